#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "file_system.h"

namespace nomvary {

// The errno-style reason for a Windows error code (EEXIST, ENOENT, EACCES,
// ...; EIO for one without a closer match).
int ErrnoFromWindowsError(unsigned long error);

// The FileSystem on Windows, through the wide (UTF-16) API. Names and paths
// are UTF-8 here and UTF-16 on disk (see wide_text.h), so the name rule sees
// the same bytes for a name as on Linux.
class WindowsFileSystem : public FileSystem {
public:
    char FolderSeparator() const override { return '\\'; }
    bool SetCurrentFolder(const std::string& path) override;

    // The folder is read once when the listing starts; the names come from
    // that snapshot in the order of their UTF-8 bytes (compared as unsigned),
    // as on Linux. Only files are listed: no folders, no hidden or system
    // files, no names beginning with ".".
    std::string ListMatchingNames(const std::string& folderAndPattern) override;
    std::string ListMatchingNames() override;

    // Renames inside the folder of the listing started last (the current
    // folder when none was started), never replacing a file: a file whose
    // name equals the new one without regard to case refuses the rename, as
    // Windows file systems compare names. A rename that changes only the
    // letter case of the file's own name goes ahead.
    bool RenameFile(const std::string& oldName, const std::string& newName) override;
    int LastRenameError() const override { return m_lastRenameError; }
    bool NameTaken(const std::string& oldName, const std::string& newName) override;

    // A folder on a read-only volume (a CD, a write-protected card) gives
    // EROFS; Windows has no cheaper sure test of write rights than a write.
    int FolderWriteError(const std::string& folder) override;
    std::vector<std::string> EntryNames(const std::string& folder) override;

    // The folder of the running .exe; empty when it cannot be found.
    std::string ProgramFolder() override;

    // `path` made absolute against the current folder (Windows resolves no
    // links in a path of its own accord).
    std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) override;
    bool IsReadableFolder(const std::string& path) override;
    std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) override;
    // Every drive letter in use, as "c: [LABEL]", or "c:" for a drive without
    // a label or without a medium; in the order of the letters.
    std::vector<Drive> Drives() override;

private:
    std::wstring m_folder;  // the folder of the last listing, empty before one
    std::vector<std::string> m_listing;
    std::size_t m_nextName = 0;
    int m_lastRenameError = 0;
};

}  // namespace nomvary
