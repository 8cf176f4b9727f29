#pragma once

#include "windows_file_system.h"
#include "windows_settings_file.h"

namespace nomvary {

// The platform parts a program of this system uses.
using PlatformFileSystem = WindowsFileSystem;
using PlatformSettingsFile = WindowsSettingsFile;

}  // namespace nomvary
