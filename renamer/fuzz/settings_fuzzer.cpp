// LoadSettings (the window's form_load) on any settings file, through a small
// in-memory platform, with failures of the platform mixed in.
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
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "mainform.h"
#include "settings.h"

namespace {

using nomvary::CheckBox;
using nomvary::OptionArray;

void Require(bool holds, const char* what, std::string_view file) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "settings_fuzzer: %s\n  file (%zu bytes): ", what, file.size());
    for (const char byte : file) {
        std::fprintf(stderr, "%02x", static_cast<unsigned char>(byte));
    }
    std::fputs("\n", stderr);
    std::abort();
}

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

// The controls in fields, the settings file as bytes. Setting a control
// raises the form's handler, as the window does.
class MemoryPlatform : public nomvary::FileSystem, public nomvary::SettingsFile, public nomvary::Dialogs,
                       public nomvary::Controls {
public:
    std::set<std::string> folders{"/", "/music", "/prog", "/music/a b", "/music/a b ", "/prog/x"};
    std::map<std::string, std::optional<std::string>> drives{{"/", "/"}, {"D:", "/music"}, {"E:", std::nullopt}};
    std::string programFolder = "/prog";
    std::optional<std::string> file;  // nullopt: no file yet
    bool openFails = false;
    bool writeFails = false;
    std::optional<std::size_t> readFailsAt;
    bool readFailed = false;
    std::string drive = "/";
    std::string folderList = "/music";
    std::array<int, 2> options{};
    std::array<bool, 5> checks{};
    std::array<bool, 5> enabled{true, true, false, true, true};
    nomvary::Mainform* form = nullptr;

    bool Checked(CheckBox box) const { return checks[static_cast<std::size_t>(box)]; }
    bool Enabled(CheckBox box) const { return enabled[static_cast<std::size_t>(box)]; }
    int Option(OptionArray array) const { return options[static_cast<std::size_t>(array)]; }

    char FolderSeparator() const override { return '/'; }
    bool SetCurrentFolder(const std::string& path) override { return folders.count(path) != 0; }
    std::string ListMatchingNames(const std::string&) override { return {}; }
    std::string ListMatchingNames() override { return {}; }
    bool RenameFile(const std::string&, const std::string&) override { return false; }
    int LastRenameError() const override { return 0; }
    std::string ProgramFolder() override { return programFolder; }

    bool OpenSettingsFile(const std::string&) override {
        if (openFails) {
            return false;
        }
        if (!file) {
            file = std::string();
        }
        m_open = true;
        m_position = 0;
        return true;
    }
    bool IsSettingsFileOpen() const override { return m_open; }
    std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) override {
        if (!m_open || (readFailsAt && m_position + size > *readFailsAt)) {
            readFailed = true;
            return std::nullopt;
        }
        const std::size_t got = std::min(size, file->size() - std::min(m_position, file->size()));
        std::copy_n(file->data() + m_position, got, buffer);
        m_position += got;
        return got;
    }
    bool WriteSettingsFile(const char* data, std::size_t size) override {
        if (!m_open || writeFails) {
            return false;
        }
        if (file->size() < m_position + size) {
            file->resize(m_position + size);
        }
        std::copy_n(data, size, file->data() + m_position);
        m_position += size;
        return true;
    }
    bool CloseSettingsFileHandle() override { return std::exchange(m_open, false); }

    void ProcessPendingEvents() override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void ShowMessage(const std::string&, const std::string&) override {}
    void EndProgram() override {}

    std::string DriveText() override { return drive; }
    bool SetDriveText(const std::string& text) override {
        if (drives.count(text) == 0) {
            return false;
        }
        const bool changed = text != drive;
        drive = text;
        if (changed) {
            form->Drive1_Change();
        }
        return true;
    }
    std::optional<std::string> DriveRoot(const std::string& text) override {
        const auto found = drives.find(text);
        return found == drives.end() ? std::nullopt : found->second;
    }
    std::string FolderListPath() override { return folderList; }
    bool SetFolderListPath(const std::string& path) override {
        if (folders.count(path) == 0) {
            return false;
        }
        folderList = path;
        form->Dir1_Change();
        return true;
    }
    int SelectedOption(OptionArray array) override { return Option(array); }
    void SelectOption(OptionArray array, int index) override {
        options[static_cast<std::size_t>(array)] = index;
        if (array == OptionArray::blankopt) {
            form->blankopt_Click(index);
        } else {
            form->fnamopt_Click(index);
        }
    }
    bool IsChecked(CheckBox box) override { return Checked(box); }
    void SetChecked(CheckBox box, bool value) override {
        const bool changed = Checked(box) != value;
        checks[static_cast<std::size_t>(box)] = value;
        if (changed && box == CheckBox::capcheck) {
            form->capcheck_Click();
        }
    }
    bool IsEnabled(CheckBox box) override { return Enabled(box); }
    void SetEnabled(CheckBox box, bool value) override { enabled[static_cast<std::size_t>(box)] = value; }

private:
    bool m_open = false;
    std::size_t m_position = 0;
};

// The record SaveSettings writes for the fake's controls as they stand.
std::string RecordOf(const MemoryPlatform& platform) {
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
    MemoryPlatform platform;
    nomvary::Mainform form({platform, platform, platform, platform});
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
        platform.file = file;
    }
    const std::optional<std::string> before = platform.file;

    form.form_load();

    const nomvary::MainformValues& values = form.Values();
    Require(!values.loading && !values.running, "the load left the window loading or running", file);
    Require(!platform.IsSettingsFileOpen(), "the load left the settings file open", file);
    Require(values.folderPath == platform.folderList, "the run's folder is not the folder list's", file);
    const bool failed = platform.openFails || (failures & 8) != 0 || platform.readFailed;
    if (!failed) {
        const std::string_view stored = *platform.file;
        Require(platform.file == before || (!before && stored.empty()), "a successful load changed the file",
                file);
        Require(platform.Option(OptionArray::blankopt) == (ByteAt(stored, 512) != 0 ? 1 : 0) &&
                    values.blankToUnderscore == (ByteAt(stored, 512) != 0),
                "\"blank to _\" does not follow byte 512", file);
        Require(platform.Option(OptionArray::fnamopt) == (ByteAt(stored, 513) != 0 ? 1 : 0) &&
                    values.allFiles == (ByteAt(stored, 513) != 0) &&
                    values.filePattern == (values.allFiles ? "*.*" : "*.mp3"),
                "\"All files\" does not follow byte 513", file);
        Require(platform.Checked(CheckBox::autorunbox) == (ByteAt(stored, 514) == 1) &&
                    values.autorunPending == (ByteAt(stored, 514) == 1),
                "autorun does not follow byte 514", file);
        Require(platform.Checked(CheckBox::capcheck) == (ByteAt(stored, 515) == 1), "byte 515", file);
        Require(platform.Checked(CheckBox::capsubcheck) == (ByteAt(stored, 516) != 0), "byte 516", file);
        Require(platform.Checked(CheckBox::featcheck) == (ByteAt(stored, 517) == 1), "byte 517", file);
        Require(platform.Checked(CheckBox::vscheck) == (ByteAt(stored, 518) == 1), "byte 518", file);
        Require(platform.Enabled(CheckBox::capsubcheck) == platform.Checked(CheckBox::capcheck),
                "\"except ({[ ]})\" is not enabled exactly with \"Capitalize\"", file);

        // The drive: the stored text without its padding, when a drive has it.
        const std::string drive = Unpadded(StoredText(stored, 0));
        const bool driveMoved = !drive.empty() && drive != "/" && platform.drives.count(drive) != 0;
        Require(platform.drive == (driveMoved ? drive : "/"), "the stored drive was not applied as it reads", file);
        // The folder: the longest stored text (blanks a folder name ends in
        // included) that names a folder; else where the drive put the list.
        std::string folder = "/music";
        if (driveMoved) {
            const std::optional<std::string>& root = platform.drives.at(drive);
            if (root && platform.folders.count(*root) != 0) {
                folder = *root;
            }
        }
        const std::string storedFolder = StoredText(stored, nomvary::kSettingsTextSize);
        const std::string unpadded = Unpadded(storedFolder);
        for (std::size_t length = storedFolder.size(); !unpadded.empty() && length >= unpadded.size(); --length) {
            if (platform.folders.count(storedFolder.substr(0, length)) != 0) {
                folder = storedFolder.substr(0, length);
                break;
            }
        }
        Require(platform.folderList == folder, "the stored folder was not applied as it reads", file);
        return 0;
    }

    // The load failed and saved instead.
    if (platform.openFails || platform.writeFails) {
        Require(platform.file == before ||
                    (!before && platform.file && platform.file->empty()),
                "a save that could not write changed the file", file);
        return 0;
    }
    const std::string record = RecordOf(platform);
    const std::string& after = *platform.file;
    Require(after.size() == std::max(record.size(), before ? before->size() : 0) &&
                after.compare(0, record.size(), record) == 0,
            "the save after a failed load did not write the controls' record", file);
    if (before && before->size() > record.size()) {
        Require(after.compare(record.size(), std::string::npos, *before, record.size()) == 0,
                "the save after a failed load changed bytes past the record", file);
    }
    return 0;
}
