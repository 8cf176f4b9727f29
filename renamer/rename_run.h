#pragma once

#include <cstdint>
#include <string>

#include "mainform.h"
#include "name_rule.h"
#include "platform.h"

namespace nomvary {

// The first line of the closing message for `count` renames.
std::string RenameSummary(std::int32_t count);

// The batch run that "RUN" starts: lists the chosen folder, renames every file
// whose name TransformName changes, counts the renames and asks "Exit now?".
// A second call while a run is under way returns at once.
void RenameFolder(MainformValues& values, Platform& platform);

}  // namespace nomvary
