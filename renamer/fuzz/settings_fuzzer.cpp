// LoadSettings (the window's form_load) on any settings file, through the
// in-memory fake of the platform, with failures of the platform mixed in.
//
// Input: byte 0 picks the failures (bit 0: the file cannot be opened, bit 1:
// a read reaching past offset 3 * byte 1 fails, bit 2: writing fails, bit 3:
// the program folder cannot be made current, bit 4: there is no file yet);
// the rest is the settings file.
//
// After a load that met no failure, every control shows what the file's bytes
// say by the read rules, and the file is untouched. After one that failed,
// the file holds the record of the controls as they were left (bytes past the
// record untouched) or, when it could not be written, is as it was. Either
// way the load ends with the file closed and the window out of loading.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fake_platform.h"
#include "mainform.h"
#include "settings.h"
#include "testing/fuzz_check.h"

namespace {

using nomvary::CheckBox;
using nomvary::OptionArray;
using nomvary::fakes::FakePlatform;
using testkit::Require;

unsigned char ByteAt(std::string_view file, std::size_t offset) {
    return offset < file.size() ? static_cast<unsigned char>(file[offset]) : 0;
}

// The 256-byte text at `offset` up to a NUL (a short file reads as zeros).
std::string StoredText(std::string_view file, std::size_t offset) {
    std::string text;
    for (std::size_t k = 0; k < nomvary::kSettingsTextSize && ByteAt(file, offset + k) != 0; ++k) {
        text += static_cast<char>(ByteAt(file, offset + k));
    }
    return text;
}

bool MaybeCut(const std::string& text) { return text.size() == nomvary::kSettingsTextSize && text.back() != ' '; }

std::string Unpadded(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

std::string Padded(std::string text) {
    text.resize(nomvary::kSettingsTextSize, ' ');
    return text;
}

// The record SaveSettings writes for the fake's controls as they stand.
std::string RecordOf(const FakePlatform& platform) {
    std::string record = Padded(platform.drive.substr(0, nomvary::kSettingsTextSize)) +
                         Padded(platform.folderList.substr(0, nomvary::kSettingsTextSize));
    record += static_cast<char>(platform.Option(OptionArray::blankopt) != 0);
    record += static_cast<char>(platform.Option(OptionArray::fnamopt) != 0);
    for (CheckBox box : {CheckBox::autorunbox, CheckBox::capcheck, CheckBox::capsubcheck, CheckBox::featcheck,
                         CheckBox::vscheck}) {
        record += static_cast<char>(platform.Checked(box));
    }
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    FakePlatform platform;
    // Folders whose names end in blanks, and a drive whose root is another
    // drive's folder, so the stored texts have something to find.
    platform.folders = {"/", "/music", "/prog", "/music/a b", "/music/a b ", "/prog/x"};
    platform.drives = {{"/", "/"}, {"D:", "/music"}, {"E:", std::nullopt}};
    nomvary::Mainform form(platform.Parts());
    platform.form = &form;

    const std::uint8_t failures = data[0];
    platform.openFails = (failures & 1) != 0;
    if ((failures & 2) != 0) {
        platform.readFailsAt = std::size_t{3} * data[1];
    }
    platform.writeFails = (failures & 4) != 0;
    if ((failures & 8) != 0) {
        platform.folders.erase(platform.programFolder);
    }
    const std::string file(reinterpret_cast<const char*>(data + 2), size - 2);
    if ((failures & 16) == 0) {
        platform.settings = file;
    }
    const std::optional<std::string> before = platform.settings;

    form.form_load();

    const nomvary::MainformValues& values = form.Values();
    Require(!values.loading && !values.running, "the load left the window loading or running", file);
    Require(!platform.IsSettingsFileOpen(), "the load left the settings file open", file);
    Require(values.folderPath == platform.folderList, "the run's folder is not the folder list's", file);
    const bool failed = platform.openFails || (failures & 8) != 0 || platform.readFailed;
    if (!failed) {
        const std::string_view stored = *platform.settings;
        Require(platform.settings == before || (!before && stored.empty()), "a successful load changed the file",
                file);
        Require(platform.Option(OptionArray::blankopt) == (ByteAt(stored, 512) != 0 ? 1 : 0) &&
                    values.blankToUnderscore == (ByteAt(stored, 512) != 0),
                "\"blank to _\" does not follow byte 512", file);
        Require(platform.Option(OptionArray::fnamopt) == (ByteAt(stored, 513) != 0 ? 1 : 0) &&
                    values.allFiles == (ByteAt(stored, 513) != 0) &&
                    values.filePattern == (values.allFiles ? "*.*" : "*.mp3"),
                "\"All files\" does not follow byte 513", file);
        Require(platform.Checked(CheckBox::autorunbox) == (ByteAt(stored, 514) == 1),
                "\"Autorun next time\" does not follow byte 514", file);
        Require(platform.Checked(CheckBox::capcheck) == (ByteAt(stored, 515) == 1), "byte 515", file);
        Require(platform.Checked(CheckBox::capsubcheck) == (ByteAt(stored, 516) != 0), "byte 516", file);
        Require(platform.Checked(CheckBox::featcheck) == (ByteAt(stored, 517) == 1), "byte 517", file);
        Require(platform.Checked(CheckBox::vscheck) == (ByteAt(stored, 518) == 1), "byte 518", file);
        Require(platform.Enabled(CheckBox::capsubcheck) == platform.Checked(CheckBox::capcheck),
                "\"except ({[ ]})\" is not enabled exactly with \"Capitalize\"", file);

        // The drive: the stored text without its padding, when a drive has it
        // and the text does not fill its field (a value cut to fit).
        const std::string storedDrive = StoredText(stored, 0);
        const std::string drive = MaybeCut(storedDrive) ? std::string() : Unpadded(storedDrive);
        const bool driveMoved = !drive.empty() && drive != "/" && platform.drives.count(drive) != 0;
        Require(platform.drive == (driveMoved ? drive : "/"), "the stored drive was not applied as it reads", file);
        // The folder: the stored text without its padding, else with ever
        // more of the blanks it ends in, whichever names a folder first; else
        // where the drive put the list.
        std::string folder = "/music";
        bool restored = false;
        if (driveMoved) {
            const std::optional<std::string>& root = platform.drives.at(drive);
            if (root && platform.folders.count(*root) != 0) {
                folder = *root;
            }
        }
        const std::string storedFolder = StoredText(stored, nomvary::kSettingsTextSize);
        const std::string unpadded = Unpadded(storedFolder);
        for (std::size_t length = unpadded.size();
             !unpadded.empty() && !MaybeCut(storedFolder) && length <= storedFolder.size(); ++length) {
            if (platform.folders.count(storedFolder.substr(0, length)) != 0) {
                folder = storedFolder.substr(0, length);
                restored = true;
                break;
            }
        }
        Require(platform.folderList == folder, "the stored folder was not applied as it reads", file);
        Require(values.autorunPending == (ByteAt(stored, 514) == 1 && restored),
                "an autorun is pending without byte 514 and the stored folder restored", file);
        return 0;
    }

    // The load failed and saved instead.
    if (platform.openFails || platform.writeFails) {
        Require(platform.settings == before ||
                    (!before && platform.settings && platform.settings->empty()),
                "a save that could not write changed the file", file);
        return 0;
    }
    const std::string record = RecordOf(platform);
    const std::string& after = *platform.settings;
    Require(after.size() == std::max(record.size(), before ? before->size() : 0) &&
                after.compare(0, record.size(), record) == 0,
            "the save after a failed load did not write the controls' record", file);
    if (before && before->size() > record.size()) {
        Require(after.compare(record.size(), std::string::npos, *before, record.size()) == 0,
                "the save after a failed load changed bytes past the record", file);
    }
    return 0;
}
