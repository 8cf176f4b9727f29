#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "file_system.h"
#include "rename_run.h"

namespace nomvary {

// What would make a planned rename fail.
enum class Obstacle { none, existingFile, earlierRename, folderNotWritable };

// Renames that are only planned, over the listing of another FileSystem:
// nothing on disk changes. A planned rename fails, as the real one would,
// when the listed folder cannot be written, when its new name is held by a
// file of the folder that no earlier planned rename frees, or when an
// earlier planned rename takes that name. Everything else is the other
// FileSystem's, which must outlive this one.
class PlannedRenames : public FileSystem {
public:
    explicit PlannedRenames(FileSystem& files) : m_files(files) {}

    char FolderSeparator() const override { return m_files.FolderSeparator(); }
    bool SetCurrentFolder(const std::string& path) override { return m_files.SetCurrentFolder(path); }
    // Starts the listing and a new plan, and notes whether the folder can be
    // written at all.
    std::string ListMatchingNames(const std::string& folderAndPattern) override;
    std::string ListMatchingNames() override { return m_files.ListMatchingNames(); }
    bool RenameFile(const std::string& oldName, const std::string& newName) override;
    int LastRenameError() const override { return m_error; }
    // Taken as the plan leaves the folder.
    bool NameTaken(const std::string& oldName, const std::string& newName) override;
    int FolderWriteError(const std::string& folder) override { return m_files.FolderWriteError(folder); }
    std::string ProgramFolder() override { return m_files.ProgramFolder(); }
    std::vector<std::string> EntryNames(const std::string& folder) override { return m_files.EntryNames(folder); }
    std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) override {
        return m_files.ResolveReadableFolder(path, error);
    }
    bool IsReadableFolder(const std::string& path) override { return m_files.IsReadableFolder(path); }
    std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) override {
        return m_files.ReadSubfolders(path);
    }
    std::vector<Drive> Drives() override { return m_files.Drives(); }

    // Why the last planned rename would fail; none when it would succeed.
    Obstacle LastObstacle() const { return m_obstacle; }

private:
    FileSystem& m_files;
    std::set<std::string> m_planned;  // names the planned renames take
    std::set<std::string> m_vacated;  // names the planned renames free
    int m_folderError = 0;
    int m_error = 0;
    Obstacle m_obstacle = Obstacle::none;
};

// The note a planned rename carries after its line, beginning with two
// blanks: "  (taken by an existing file: would fail)" and so on; empty when
// it would succeed.
std::string ObstacleNote(Obstacle obstacle);

// One line of a plan: RenameLine, then the note.
std::string PlannedLine(const RenameAttempt& attempt, Obstacle obstacle);

// The closing line of a plan: "No files would be renamed.", "1 file would be
// renamed." or "N files would be renamed.", then, when some would fail,
// " N would fail.".
std::string PlannedSummary(const RenameReport& report);

}  // namespace nomvary
