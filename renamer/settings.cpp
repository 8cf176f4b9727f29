#include "settings.h"

#include <algorithm>
#include <array>
#include <optional>

namespace nomvary {
namespace {

constexpr std::size_t kOptionBytes = kSettingsRecordSize - 2 * kSettingsTextSize;

// A stored text up to its padding. A path never holds a NUL byte, so a NUL
// ends the text (a short file reads as zeros); the trailing blanks are the
// padding the writer added. A text that fills the whole field has no padding:
// the writer may have cut a longer value to fit, and the cut text may name
// another place, so it gives nullopt.
std::optional<std::string> StoredValue(std::string_view stored) {
    const std::size_t nul = stored.find('\0');
    if (nul != std::string_view::npos) {
        stored = stored.substr(0, nul);
    } else if (stored.size() == kSettingsTextSize && stored.back() != ' ') {
        return std::nullopt;
    }
    const std::size_t last = stored.find_last_not_of(' ');
    return std::string(last == std::string_view::npos ? std::string_view{} : stored.substr(0, last + 1));
}

// A stored field as the program's text, NUL-ended so that StoredValue sees
// where it ends. A field cut to fit stays as it is, for StoredValue to refuse.
std::string DecodedField(SettingsFile& file, std::string_view field) {
    const std::size_t nul = field.find('\0');
    if (nul == std::string_view::npos && !field.empty() && field.back() != ' ') {
        return std::string(field);
    }
    return file.FromRecordText(field.substr(0, nul)) + '\0';
}

void PutPadded(std::array<char, kSettingsRecordSize>& record, std::size_t offset, const std::string& text) {
    const std::size_t length = text.size() < kSettingsTextSize ? text.size() : kSettingsTextSize;
    for (std::size_t k = 0; k < kSettingsTextSize; ++k) {
        record[offset + k] = k < length ? text[k] : ' ';
    }
}

// Reads `size` bytes; what lies past the end of a short file reads as zeros.
// Only a read that fails outright is a failure.
bool ReadPadded(SettingsFile& file, char* buffer, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const std::optional<std::size_t> got = file.ReadSettingsFile(buffer + filled, size - filled);
        if (!got) {
            return false;
        }
        if (*got == 0) {
            break;
        }
        filled += *got;
    }
    for (; filled < size; ++filled) {
        buffer[filled] = '\0';
    }
    return true;
}

std::optional<unsigned char> ReadByte(SettingsFile& file) {
    char byte = 0;
    if (!ReadPadded(file, &byte, 1)) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(byte);
}

// How each option byte, in the order of the file, sets its control and the
// window-level values. The option arrays take 0 for member 0 and any other
// byte for member 1; the boxes are checked by exactly 1, except "except
// ({[ ]})", which takes any byte but 0 and is set only once the file is
// closed.
using ApplyOptionByte = void (*)(unsigned char byte, MainformValues& values, Controls& controls);
constexpr std::size_t kAutorunByte = 2;
constexpr std::size_t kCapsubcheckByte = 4;
constexpr std::array<ApplyOptionByte, kOptionBytes> kApplyOptionByte = {
    [](unsigned char byte, MainformValues& values, Controls& controls) {
        controls.SelectOption(OptionArray::blankopt, byte != 0 ? 1 : 0);
        values.blankToUnderscore = byte != 0;
    },
    [](unsigned char byte, MainformValues& values, Controls& controls) {
        controls.SelectOption(OptionArray::fnamopt, byte != 0 ? 1 : 0);
        values.allFiles = byte != 0;
        values.filePattern = values.allFiles ? "*.*" : "*.mp3";
    },
    [](unsigned char byte, MainformValues&, Controls& controls) { controls.SetChecked(CheckBox::autorunbox, byte == 1); },
    [](unsigned char byte, MainformValues&, Controls& controls) { controls.SetChecked(CheckBox::capcheck, byte == 1); },
    [](unsigned char, MainformValues&, Controls&) {},
    [](unsigned char byte, MainformValues&, Controls& controls) { controls.SetChecked(CheckBox::featcheck, byte == 1); },
    [](unsigned char byte, MainformValues&, Controls& controls) { controls.SetChecked(CheckBox::vscheck, byte == 1); },
};

// The record keeps the first 256 bytes of a path and pads a shorter one with
// blanks, so a stored text followed by blanks may be that folder, the same
// name with blanks of its own at the end, or a longer path cut right after a
// blank. The folder list shows the first of these that exists (`shown`,
// when `restored`); an autorun may rename there only when no other of them
// exists. Answers why it may not (the status line's text), or empty.
std::string AutorunObstacle(FileSystem& files, std::string_view storedText, bool restored,
                            const std::string& shown) {
    const std::optional<std::string> value = StoredValue(storedText);
    if (!value) {
        return "Autorun skipped: the saved folder path is too long to restore.";
    }
    if (value->empty()) {
        return "Autorun skipped: no folder was saved.";
    }
    if (!restored) {
        return "Autorun skipped: " + *value + " not found.";
    }
    const std::string ambiguous = "Autorun skipped: the saved path may name another folder than " + shown + ".";
    if (shown.size() >= kSettingsTextSize) {
        return ambiguous;  // as long as the field: cut or not, nothing tells
    }
    const std::size_t room = kSettingsTextSize - shown.size();  // blanks that followed it
    const std::size_t cut = shown.rfind(files.FolderSeparator());
    if (cut == std::string::npos) {
        return ambiguous;  // no folder to look beside
    }
    const std::string folder = shown.substr(0, cut + 1);
    const std::string name = shown.substr(cut + 1);
    // A listing that does not hold the shown folder itself could not be read.
    bool listed = name.empty();
    for (const std::string& entry : files.EntryNames(folder)) {
        listed = listed || entry == name;
        if (entry.size() <= name.size() || entry.compare(0, name.size(), name) != 0) {
            continue;
        }
        // Another candidate: the name, then blanks up to its end or up to
        // the 256th byte, where a longer path would have been cut.
        const std::string_view extra = std::string_view(entry).substr(name.size());
        const std::size_t blanks = std::min(extra.find_first_not_of(' '), extra.size());
        if (blanks >= std::min(extra.size(), room)) {
            return ambiguous;
        }
    }
    if (!listed) {
        return "Autorun skipped: the folder that holds " + shown + " cannot be read to check the saved path.";
    }
    return {};
}

// The steps of LoadSettings that stop at the first failure; false then.
bool ReadSettingsIntoControls(MainformValues& values, const Platform& platform) {
    SettingsFile& file = platform.settingsFile;
    Controls& controls = platform.controls;
    if (!platform.files.SetCurrentFolder(platform.files.ProgramFolder())) {
        return false;
    }
    if (!file.OpenSettingsFile(file.ChooseSettingsPath(SettingsFilePath(platform.files)))) {
        return false;
    }

    std::array<char, kSettingsTextSize> text{};
    if (!ReadPadded(file, text.data(), text.size())) {
        return false;
    }
    ApplyStoredDrive(controls, DecodedField(file, std::string_view(text.data(), text.size())));
    if (!ReadPadded(file, text.data(), text.size())) {
        return false;
    }
    // As the program spells it: the platform decodes what the record holds.
    const std::string storedFolder = DecodedField(file, std::string_view(text.data(), text.size()));
    const bool folderRestored = ApplyStoredFolder(controls, storedFolder);

    std::array<unsigned char, kOptionBytes> bytes{};
    for (std::size_t k = 0; k < kOptionBytes; ++k) {
        const std::optional<unsigned char> byte = ReadByte(file);
        if (!byte) {
            return false;
        }
        bytes[k] = *byte;
        kApplyOptionByte[k](*byte, values, controls);
        if (k == kAutorunByte && *byte == 1) {
            // An autorun renames at once, unasked: only ever in the folder
            // the user chose, never in whatever folder the lists fell back
            // to. One that cannot run disarms itself, so the next close does
            // not arm it for the fallback folder, and says why.
            const std::string obstacle =
                AutorunObstacle(platform.files, storedFolder, folderRestored, controls.FolderListPath());
            values.autorunPending = obstacle.empty();
            if (!obstacle.empty()) {
                controls.SetChecked(CheckBox::autorunbox, false);
                controls.SetStatusText(obstacle);
            }
        }
    }

    if (!file.CloseSettingsFileHandle()) {
        return false;
    }

    controls.SetChecked(CheckBox::capsubcheck, bytes[kCapsubcheckByte] != 0);
    controls.SetEnabled(CheckBox::capsubcheck, controls.IsChecked(CheckBox::capcheck));
    return true;
}

}  // namespace

std::string SettingsFilePath(FileSystem& files) {
    const std::string folder = files.ProgramFolder();
    if (folder.empty()) {
        // Without a program folder there is no settings file; an empty path
        // fails to open instead of landing in the file system's root.
        return {};
    }
    const char separator = files.FolderSeparator();
    if (folder.back() == separator) {
        return folder + kSettingsFileName;
    }
    return folder + separator + kSettingsFileName;
}

void CloseSettingsFile(SettingsFile& file) {
    if (file.IsSettingsFileOpen()) {
        file.CloseSettingsFileHandle();
    }
}

void SaveSettings(const Platform& platform) {
    SettingsFile& file = platform.settingsFile;
    Controls& controls = platform.controls;
    CloseSettingsFile(file);
    if (!file.OpenSettingsFile(file.ChooseSettingsPath(SettingsFilePath(platform.files)))) {
        return;
    }

    // One write of the whole record: a text whose write failed must not let
    // the next value land at its offset.
    std::array<char, kSettingsRecordSize> record{};
    PutPadded(record, 0, file.ToRecordText(controls.DriveText()));
    PutPadded(record, kSettingsTextSize, file.ToRecordText(controls.FolderListPath()));
    const std::array<bool, kOptionBytes> options = {
        controls.SelectedOption(OptionArray::blankopt) != 0,
        controls.SelectedOption(OptionArray::fnamopt) != 0,
        controls.IsChecked(CheckBox::autorunbox),
        controls.IsChecked(CheckBox::capcheck),
        controls.IsChecked(CheckBox::capsubcheck),
        controls.IsChecked(CheckBox::featcheck),
        controls.IsChecked(CheckBox::vscheck),
    };
    for (std::size_t k = 0; k < kOptionBytes; ++k) {
        record[2 * kSettingsTextSize + k] = options[k] ? 1 : 0;
    }
    file.WriteSettingsFile(record.data(), record.size());

    CloseSettingsFile(file);
}

void LoadSettings(MainformValues& values, const Platform& platform) {
    values.blankToUnderscore = false;
    values.allFiles = false;
    values.running = false;
    values.autorunPending = false;
    values.loading = true;

    if (!ReadSettingsIntoControls(values, platform)) {
        SaveSettings(platform);
    }
    values.loading = false;
}

bool ApplyStoredDrive(Controls& controls, std::string_view storedText) {
    const std::optional<std::string> drive = StoredValue(storedText);
    return drive && !drive->empty() && controls.SetDriveText(*drive);
}

bool ApplyStoredFolder(Controls& controls, std::string_view storedText) {
    const std::optional<std::string> folder = StoredValue(storedText);
    if (!folder || folder->empty()) {
        return false;
    }
    // A folder name may itself end in blanks, which the padding then hides.
    // The value without them comes first, so a stored "abc" never opens its
    // neighbour "abc "; only when it names no folder are the blanks given
    // back, one at a time.
    const std::string_view whole = storedText.substr(0, storedText.find('\0'));
    for (std::size_t length = folder->size(); length <= whole.size(); ++length) {
        const std::string candidate(whole.substr(0, length));
        if (controls.SetFolderListPath(candidate) && controls.FolderListPath() == candidate) {
            return true;
        }
    }
    return false;
}

}  // namespace nomvary
