#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "controls.h"
#include "file_system.h"
#include "mainform_values.h"
#include "platform.h"
#include "settings_file.h"

namespace nomvary {

// The settings file: a 519-byte record, no header.
inline constexpr std::size_t kSettingsTextSize = 256;
inline constexpr std::size_t kSettingsRecordSize = 519;
inline constexpr const char* kSettingsFileName = "nomvary.ini";

// The settings file's path in the program folder: the program folder, a
// separator, "nomvary.ini"; empty without a program folder. Where the file
// cannot be kept there, SettingsFile::ChooseSettingsPath picks another place.
std::string SettingsFilePath(FileSystem& files);

// Reads the settings file into the controls and the window-level values.
// Stops at the first failure and saves instead. A stored autorun is pending
// only when the stored folder text can name no other existing folder than
// the one the list now shows (not one whose name adds blanks, nor a longer
// path cut to the field); otherwise "Autorun next time" is unchecked and the
// status line says why.
void LoadSettings(MainformValues& values, const Platform& platform);
// Writes the controls' state to the settings file; every step ignores failure.
void SaveSettings(const Platform& platform);
// Closes the settings file if it is open.
void CloseSettingsFile(SettingsFile& file);
// Select the stored drive / folder; a text naming no available drive or no
// existing folder leaves the list as it was (answered false), and so does a
// text that fills its whole field (a value that was cut to fit). The folder
// is answered true only when the list now shows exactly the stored folder.
bool ApplyStoredDrive(Controls& controls, std::string_view storedText);
bool ApplyStoredFolder(Controls& controls, std::string_view storedText);

}  // namespace nomvary
