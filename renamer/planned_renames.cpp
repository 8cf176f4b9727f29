#include "planned_renames.h"

#include <cerrno>

namespace nomvary {

std::string PlannedRenames::ListMatchingNames(const std::string& folderAndPattern) {
    m_planned.clear();
    m_vacated.clear();
    const std::size_t cut = folderAndPattern.rfind(FolderSeparator());
    // The folder keeps its separator when it is a root ("/", "C:\").
    const std::string folder = cut == std::string::npos                       ? std::string(".")
                               : cut == 0 || folderAndPattern[cut - 1] == ':' ? folderAndPattern.substr(0, cut + 1)
                                                                              : folderAndPattern.substr(0, cut);
    m_folderError = m_files.FolderWriteError(folder);
    return m_files.ListMatchingNames(folderAndPattern);
}

bool PlannedRenames::NameTaken(const std::string& oldName, const std::string& newName) {
    return m_planned.count(newName) != 0 || (m_vacated.count(newName) == 0 && m_files.NameTaken(oldName, newName));
}

bool PlannedRenames::RenameFile(const std::string& oldName, const std::string& newName) {
    if (m_folderError != 0) {
        m_obstacle = Obstacle::folderNotWritable;
        m_error = m_folderError;
        return false;
    }
    if (m_planned.count(newName) != 0) {
        m_obstacle = Obstacle::earlierRename;
    } else if (m_vacated.count(newName) == 0 && m_files.NameTaken(oldName, newName)) {
        m_obstacle = Obstacle::existingFile;
    } else {
        m_obstacle = Obstacle::none;
        m_error = 0;
        m_planned.insert(newName);
        m_planned.erase(oldName);
        m_vacated.insert(oldName);
        m_vacated.erase(newName);
        return true;
    }
    m_error = EEXIST;
    return false;
}

std::string ObstacleNote(Obstacle obstacle) {
    switch (obstacle) {
        case Obstacle::none:
            return {};
        case Obstacle::existingFile:
            return "  (taken by an existing file: would fail)";
        case Obstacle::earlierRename:
            return "  (taken by an earlier rename of this run: would fail)";
        case Obstacle::folderNotWritable:
            return "  (folder not writable: would fail)";
    }
    return {};
}

std::string PlannedLine(const RenameAttempt& attempt, Obstacle obstacle) {
    return RenameLine(attempt) + ObstacleNote(obstacle);
}

std::string PlannedSummary(const RenameReport& report) {
    std::string summary = report.count == 0   ? std::string("No files would be renamed.")
                          : report.count == 1 ? std::string("1 file would be renamed.")
                                              : std::to_string(report.count) + " files would be renamed.";
    if (!report.failures.empty()) {
        summary += ' ' + std::to_string(report.failures.size()) + " would fail.";
    }
    return summary;
}

}  // namespace nomvary
