#include "rename_run.h"

#include <algorithm>
#include <cerrno>
#include <utility>

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

std::string RenameFailureReason(int error) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return "name taken";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "read-only file system";
        case ENOENT:
            return "file gone";
        case ENAMETOOLONG:
            return "name too long";
        case EINVAL:
        case EILSEQ:
            return "name not allowed here";
        case EBUSY:
            return "file in use";
        case ENOSPC:
            return "no space left";
        case EIO:
            return "input/output error";
        default:
            return "system error " + std::to_string(error);
    }
}

std::string RunSummary(const RenameReport& report) {
    std::string summary = RenameSummary(report.count);
    if (report.failures.empty()) {
        return summary;
    }
    std::vector<std::pair<std::string, std::size_t>> reasons;  // in the order first met
    for (const RenameAttempt& failure : report.failures) {
        const std::string reason = RenameFailureReason(failure.error);
        const auto known = std::find_if(reasons.begin(), reasons.end(),
                                        [&reason](const auto& counted) { return counted.first == reason; });
        if (known == reasons.end()) {
            reasons.emplace_back(reason, 1);
        } else {
            ++known->second;
        }
    }
    summary += ' ' + std::to_string(report.failures.size()) + " could not be renamed: ";
    for (std::size_t k = 0; k < reasons.size(); ++k) {
        summary += (k == 0 ? "" : ", ") + reasons[k].first + " (" + std::to_string(reasons[k].second) + ")";
    }
    return summary + '.';
}

std::string QuotedName(std::string_view name) {
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; };
    if (std::none_of(name.begin(), name.end(), control)) {
        return std::string(name);
    }
    static constexpr std::string_view kLetters = "abtnvfr";  // codes 7 to 13
    std::string quoted = "$'";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'') {
            quoted += '\\';
            quoted += c;
        } else if (byte >= 7 && byte <= 13) {
            quoted += '\\';
            quoted += kLetters[byte - 7];
        } else if (byte == 27) {
            quoted += "\\e";
        } else if (control(c)) {
            quoted += '\\';
            quoted += static_cast<char>('0' + (byte >> 6));
            quoted += static_cast<char>('0' + ((byte >> 3) & 7));
            quoted += static_cast<char>('0' + (byte & 7));
        } else {
            quoted += c;
        }
    }
    return quoted + '\'';
}

std::string RenameLine(const RenameAttempt& attempt) {
    return QuotedName(attempt.oldName) + " -> " + QuotedName(attempt.newName);
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
