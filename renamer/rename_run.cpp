#include "rename_run.h"

namespace nomvary {

std::string RenameSummary(std::int32_t count) {
    if (count == 0) {
        return "No files were renamed.";
    }
    if (count == 1) {
        return "1 file renamed.";
    }
    return std::to_string(count) + " files renamed.";
}

RenameReport RenameMatchingFiles(FileSystem& files, const std::string& folder, const std::string& pattern,
                                 const RenameOptions& options, const RenameListener& listener) {
    const char separator = files.FolderSeparator();
    const bool rooted = !folder.empty() && folder.back() == separator;
    RenameReport report;
    RenameAttempt attempt;
    attempt.oldName = files.ListMatchingNames(rooted ? folder + pattern : folder + separator + pattern);
    while (!attempt.oldName.empty()) {
        attempt.newName = TransformName(attempt.oldName, options);
        if (attempt.newName != attempt.oldName) {
            if (files.RenameFile(attempt.oldName, attempt.newName)) {
                attempt.error = 0;
                ++report.count;
            } else {
                attempt.error = files.LastRenameError();
                report.failures.push_back(attempt);
            }
            if (listener) {
                listener(attempt);
            }
        }
        attempt.oldName = files.ListMatchingNames();
    }
    return report;
}

}  // namespace nomvary
