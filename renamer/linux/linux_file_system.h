#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "file_system.h"
#include "name_pattern.h"

namespace nomvary {

// The FileSystem on Linux (renameat2, /proc/self/exe, /proc/self/mounts).
//
// Names are bytes: nothing here decodes or re-encodes a file name.
class LinuxFileSystem : public FileSystem {
public:
    LinuxFileSystem() = default;
    ~LinuxFileSystem() override;
    LinuxFileSystem(const LinuxFileSystem&) = delete;
    LinuxFileSystem& operator=(const LinuxFileSystem&) = delete;

    char FolderSeparator() const override { return '/'; }
    bool SetCurrentFolder(const std::string& path) override;

    // The folder is read once when the listing starts; the names come from
    // that snapshot in name order (bytes compared as unsigned), so a file
    // renamed during the run never comes up a second time. Only regular
    // files (a symbolic link counts when it leads to one) whose names do not
    // begin with "." are listed.
    std::string ListMatchingNames(const std::string& folderAndPattern) override;
    std::string ListMatchingNames() override;

    // Renames inside the folder of the listing started last (the current
    // folder when no listing was started). Never replaces an existing file:
    // the no-replace flag of renameat2, or, where the file system refuses that
    // flag, an exclusively created placeholder that only we can replace. A
    // rename that changes only letter case also works on a case-insensitive
    // file system, through a temporary name.
    bool RenameFile(const std::string& oldName, const std::string& newName) override;

    // The folder holding the program file (from /proc/self/exe); empty when it
    // cannot be found.
    std::string ProgramFolder() override;

    int LastRenameError() const override { return m_lastRenameError; }
    bool NameTaken(const std::string& oldName, const std::string& newName) override;

    std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) override;
    bool IsReadableFolder(const std::string& path) override;
    // A symbolic link to a folder counts as a folder.
    std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) override;
    // The mounted file systems (see ReadSystemDrives).
    std::vector<Drive> Drives() override;
    std::vector<std::string> EntryNames(const std::string& folder) override;
    // Asks the kernel whether this process may add and remove entries of
    // `folder` (a read-only mount answers EROFS, also to root).
    int FolderWriteError(const std::string& folder) override;

protected:
    // The folder descriptor renames and look-ups act on.
    int WorkingFolderFd() const;

private:
    void CloseListing();
    // Whether `newName`, which differs from `oldName` only in letter case,
    // finds the old file itself: the folder holds `oldName` and no other
    // entry spelt like it. Inode numbers cannot tell, since a FUSE file
    // system may number each spelling of a name apart.
    bool CaseVariantOfItself(const std::string& oldName, const std::string& newName);
    // Notes a rename this object made in the entries index, if there is one.
    void NoteRenamed(const std::string& oldName, const std::string& newName);
    void ForgetEntries();

    int m_listingFd = -1;
    std::vector<std::string> m_listing;
    std::size_t m_nextName = 0;
    int m_lastRenameError = 0;
    // Every entry of the listed folder, by exact name and by name with its
    // ASCII letters lowered (with how many entries share it). Read on the
    // first case-only question of a listing, kept by our own renames, so a
    // folder of many such questions is read once, not once per file.
    bool m_indexed = false;
    std::unordered_set<std::string> m_entries;
    std::unordered_map<std::string, int> m_folded;
};

}  // namespace nomvary
