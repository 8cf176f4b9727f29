#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "name_rule.h"

namespace nomvary {

// The first line of the closing message for `count` renames.
std::string RenameSummary(std::int32_t count);

// One rename the run tried: the listed name, the name TransformName gave it,
// and the file system's reason when it failed (0 when it succeeded).
struct RenameAttempt {
    std::string oldName;
    std::string newName;
    int error = 0;
};

// What a run did: the renames that succeeded and each one that failed, in the
// order they were tried.
struct RenameReport {
    std::int32_t count = 0;
    std::vector<RenameAttempt> failures;
};

// What a caller hears during a run; either may be empty.
struct RenameHooks {
    // Each rename as it is tried, succeeded or failed.
    std::function<void(const RenameAttempt&)> tried;
    // After each listed file: `done` of `total` are through. Answering false
    // stops the run there.
    std::function<bool(std::size_t done, std::size_t total)> advance;
};

// Why a rename failed, from the file system's errno-style reason, in the
// words the user is shown: "name taken", "permission denied", and so on.
std::string RenameFailureReason(int error);

// The first line of a run's closing message: RenameSummary of the count,
// then, when renames failed, how many and why, grouped by reason in the order
// each reason was first met: "17 files renamed. 3 could not be renamed: name
// taken (2), permission denied (1)."
std::string RunSummary(const RenameReport& report);

// A file name as it is printed, so that one rename is always one line: a
// name holding a control byte (codes 1 to 31 and 127) in the shell's $'...'
// form, where \\, \' and \a \b \t \n \v \f \r \e stand for themselves and
// every other control byte is \ and three octal digits; any other name as
// it is, byte for byte.
std::string QuotedName(std::string_view name);

// "old -> new", each name quoted as QuotedName does.
std::string RenameLine(const RenameAttempt& attempt);

// The batch run itself: lists the files of `folder` that match `pattern`,
// then computes each new name with TransformName and renames the file when
// the name changes, one file at a time. A name already in its final form is
// not tried. `folder` may end in the separator (a drive or file-system root).
// Every failure is skipped; a listing that cannot start renames nothing.
RenameReport RenameMatchingFiles(FileSystem& files, const std::string& folder, const std::string& pattern,
                                 const RenameOptions& options, const RenameHooks& hooks = {});

}  // namespace nomvary
