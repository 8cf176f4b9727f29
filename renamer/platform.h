#pragma once

#include "controls.h"
#include "dialogs.h"
#include "file_system.h"
#include "settings_file.h"

namespace nomvary {

// Everything the window's handlers reach outside themselves, one part per
// kind of user: the run needs only the file system, the settings file only
// its file and the controls. The parts are owned elsewhere and must outlive
// every user of the aggregate; one object may serve as several parts.
struct Platform {
    FileSystem& files;
    SettingsFile& settingsFile;
    Dialogs& dialogs;
    Controls& controls;
};

}  // namespace nomvary
