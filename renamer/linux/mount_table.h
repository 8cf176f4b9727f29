#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"

namespace nomvary {

// The drives of a mount table in the format of /proc/self/mounts (device,
// mount point, type, options, ...; blanks in fields escaped as octal "\040").
// Pseudo and memory file systems are left out, and so are mounts below /proc,
// /sys, /dev and /run (except removable media under /run/media). A mount
// point mounted over again keeps only its last, visible entry. Order: the
// mount points sorted by bytes, so "/" comes first.
std::vector<Drive> ParseMountTable(std::string_view table);

// The drives of this system now: /proc/self/mounts, without mount points
// that are not folders (single files bound into place).
std::vector<Drive> ReadSystemDrives();

// The drive that holds `path` (the longest mount point that is `path` or one
// of its parent folders); nullptr when none does.
const Drive* DriveHolding(const std::vector<Drive>& drives, std::string_view path);

}  // namespace nomvary
