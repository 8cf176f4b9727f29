#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "file_system.h"

namespace nomvary {

// Another file system's listing with renames that are only planned: nothing
// on disk changes. A planned rename fails, as the real one would, when its
// new name is held by a file of the folder that no earlier planned rename
// frees, or by the new name of an earlier planned rename. Everything but the
// renames is the wrapped file system's, which must outlive this one.
class DryRunFileSystem : public FileSystem {
public:
    explicit DryRunFileSystem(FileSystem& real) : m_real(real) {}

    char FolderSeparator() const override { return m_real.FolderSeparator(); }
    bool SetCurrentFolder(const std::string& path) override { return m_real.SetCurrentFolder(path); }
    std::string ListMatchingNames(const std::string& folderAndPattern) override {
        return m_real.ListMatchingNames(folderAndPattern);
    }
    std::string ListMatchingNames() override { return m_real.ListMatchingNames(); }
    bool RenameFile(const std::string& oldName, const std::string& newName) override;
    int LastRenameError() const override { return m_error; }
    // Whether the new name would be taken after the renames planned so far.
    bool NameTaken(const std::string& oldName, const std::string& newName) override;
    std::string ProgramFolder() override { return m_real.ProgramFolder(); }
    std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) override {
        return m_real.ResolveReadableFolder(path, error);
    }
    bool IsReadableFolder(const std::string& path) override { return m_real.IsReadableFolder(path); }
    std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) override {
        return m_real.ReadSubfolders(path);
    }
    std::vector<Drive> Drives() override { return m_real.Drives(); }
    int FolderWriteError(const std::string& folder) override { return m_real.FolderWriteError(folder); }
    std::vector<std::string> EntryNames(const std::string& folder) override { return m_real.EntryNames(folder); }

    // Whether the last planned rename that failed met the new name of an
    // earlier planned rename (else a file of the folder holds it).
    bool LastTakenByEarlierRename() const { return m_takenByEarlierRename; }

private:
    FileSystem& m_real;
    std::set<std::string> m_planned;  // names the planned renames take
    std::set<std::string> m_vacated;  // names the planned renames free
    int m_error = 0;
    bool m_takenByEarlierRename = false;
};

}  // namespace nomvary
