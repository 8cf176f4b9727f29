#pragma once

#include "linux_file_system.h"
#include "linux_settings_file.h"

namespace nomvary {

// The platform parts a program of this system uses.
using PlatformFileSystem = LinuxFileSystem;
using PlatformSettingsFile = LinuxSettingsFile;

}  // namespace nomvary
