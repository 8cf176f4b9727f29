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
                                 const RenameOptions& options, const RenameHooks& hooks) {
    const char separator = files.FolderSeparator();
    const bool rooted = !folder.empty() && folder.back() == separator;
    // The whole listing first: the count of files is what a long run's
    // progress is measured against.
    std::vector<std::string> names;
    for (std::string name = files.ListMatchingNames(rooted ? folder + pattern : folder + separator + pattern);
         !name.empty(); name = files.ListMatchingNames()) {
        names.push_back(std::move(name));
    }

    RenameReport report;
    RenameAttempt attempt;
    for (std::size_t k = 0; k < names.size(); ++k) {
        attempt.oldName = std::move(names[k]);
        attempt.newName = TransformName(attempt.oldName, options);
        if (attempt.newName != attempt.oldName) {
            if (files.RenameFile(attempt.oldName, attempt.newName)) {
                attempt.error = 0;
                ++report.count;
            } else {
                attempt.error = files.LastRenameError();
                report.failures.push_back(attempt);
            }
            if (hooks.tried) {
                hooks.tried(attempt);
            }
        }
        if (hooks.advance && !hooks.advance(k + 1, names.size())) {
            break;
        }
    }
    return report;
}

}  // namespace nomvary
