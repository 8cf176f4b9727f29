#pragma once

// In-memory fakes of the parts of the renamer's Platform, for the tests and
// the settings fuzzer. Controls live in fields; setting one raises the
// attached Mainform's handler, as the real window does.

#include <algorithm>
#include <cerrno>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mainform.h"
#include "platform.h"

namespace nomvary::fakes {

// The window's boxes, event loop and controls.
class FakeControls : public Dialogs, public Controls {
public:
    std::set<std::string> folders{"/", "/music", "/prog", "/mnt/usb"};  // folders the lists accept
    int events = 0;
    bool ended = false;
    std::function<void()> onEvents;
    bool answerYes = false;
    std::vector<std::pair<std::string, std::string>> asked, shown;  // text, title
    std::string drive = "/", folderList = "/music";
    std::map<std::string, std::optional<std::string>> drives{{"/", "/"}, {"/mnt/usb", "/mnt/usb"}, {"/mnt/cd", {}}};
    std::array<int, 2> options{};
    std::array<bool, 5> checks{}, enabled{true, true, false, true, true};
    Mainform* form = nullptr;

    bool Checked(CheckBox box) const { return checks[static_cast<int>(box)]; }
    bool Enabled(CheckBox box) const { return enabled[static_cast<int>(box)]; }
    int Option(OptionArray array) const { return options[static_cast<int>(array)]; }

    void ProcessPendingEvents() override {
        ++events;
        if (onEvents) onEvents();
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        asked.emplace_back(text, title);
        return answerYes;
    }
    void ShowMessage(const std::string& text, const std::string& title) override { shown.emplace_back(text, title); }
    std::vector<std::string> previews;  // each preview: its summary, then its lines
    void ShowPreview(const std::string& summary, const std::vector<std::string>& lines) override {
        previews.push_back(summary);
        previews.insert(previews.end(), lines.begin(), lines.end());
    }
    void EndProgram() override { ended = true; }
    // A run's progress: notes how far it came, asks to stop after `cancelAfter` files.
    std::size_t cancelAfter = SIZE_MAX, advanced = 0;
    std::unique_ptr<RunProgress> StartProgress() override {
        struct Progress : RunProgress {
            FakeControls& fake;
            explicit Progress(FakeControls& owner) : fake(owner) {}
            bool Advance(std::size_t done, std::size_t) override { return (fake.advanced = done) < fake.cancelAfter; }
        };
        return std::make_unique<Progress>(*this);
    }

    std::string DriveText() override { return drive; }
    bool SetDriveText(const std::string& text) override {
        if (drives.count(text) == 0) return false;
        const bool changed = text != drive;
        drive = text;
        if (changed && form) form->Drive1_Change();
        return true;
    }
    std::optional<std::string> DriveRoot(const std::string& text) override {
        return drives.count(text) ? drives[text] : std::nullopt;
    }
    std::string FolderListPath() override { return folderList; }
    bool SetFolderListPath(const std::string& path) override {
        if (folders.count(path) == 0) return false;
        folderList = path;
        if (form) form->Dir1_Change();
        return true;
    }
    int SelectedOption(OptionArray array) override { return Option(array); }
    void SelectOption(OptionArray array, int index) override {
        options[static_cast<int>(array)] = index;
        if (form && array == OptionArray::blankopt) form->blankopt_Click(index);
        if (form && array == OptionArray::fnamopt) form->fnamopt_Click(index);
    }
    bool IsChecked(CheckBox box) override { return Checked(box); }
    void SetChecked(CheckBox box, bool value) override {
        const bool changed = Checked(box) != value;
        checks[static_cast<int>(box)] = value;
        if (changed && box == CheckBox::capcheck && form) form->capcheck_Click();
    }
    bool IsEnabled(CheckBox box) override { return Enabled(box); }
    void SetEnabled(CheckBox box, bool value) override { enabled[static_cast<int>(box)] = value; }
    std::string status;  // the status line
    void SetStatusText(const std::string& text) override { status = text; }
};

// The whole world in memory: one folder "/music" of files, the settings file
// as bytes, and the controls.
class FakePlatform : public FileSystem, public SettingsFile, public FakeControls {
public:
    char separator = '/';
    int writes = 0, writesAtEnd = -1;
    std::vector<std::string> files;       // the files of /music, in listing order
    std::set<std::string> refused;        // old names whose rename fails
    std::string currentFolder = "/", programFolder = "/prog";
    std::vector<std::string> listings;    // texts that started a listing
    std::optional<std::string> settings;  // the settings file; nullopt: none yet
    bool openFails = false, writeFails = false;
    std::size_t readFailsAt = SIZE_MAX;   // a read reaching past this offset fails
    bool readFailed = false;              // a read has failed
    int opens = 0;

    char FolderSeparator() const override { return separator; }
    bool SetCurrentFolder(const std::string& path) override {
        return folders.count(path) != 0 && (currentFolder = path, true);
    }
    std::string ListMatchingNames(const std::string& text) override {
        listings.push_back(text);
        m_snapshot.clear();
        m_next = 0;
        const std::size_t cut = text.rfind(separator);
        if (cut != std::string::npos && (cut == 0 ? "/" : text.substr(0, cut)) == "/music") {
            const bool all = text.substr(cut + 1) == "*.*";
            for (const std::string& name : files) {
                std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : "";
                std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) { return c | 32; });
                if (all || tail == ".mp3") m_snapshot.push_back(name);
            }
        }
        return ListMatchingNames();
    }
    std::string ListMatchingNames() override { return m_next < m_snapshot.size() ? m_snapshot[m_next++] : ""; }
    bool RenameFile(const std::string& from, const std::string& to) override {
        const auto old = std::find(files.begin(), files.end(), from);
        if (old == files.end() || refused.count(from) || std::count(files.begin(), files.end(), to)) {
            m_error = old == files.end() ? ENOENT : refused.count(from) ? EACCES : EEXIST;
            return false;
        }
        *old = to;
        m_error = 0;
        return true;
    }
    int LastRenameError() const override { return m_error; }
    bool NameTaken(const std::string& from, const std::string& to) override {
        return to != from && std::count(files.begin(), files.end(), to) != 0;
    }
    std::string ProgramFolder() override { return programFolder; }
    std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) override {
        error = folders.count(path) ? 0 : ENOENT;
        return error ? std::nullopt : std::optional<std::string>(path);
    }
    bool IsReadableFolder(const std::string& path) override { return folders.count(path) != 0; }
    std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) override {
        if (!folders.count(path)) return std::nullopt;
        const std::string prefix = path == "/" ? path : path + "/";
        std::vector<std::string> names;
        for (const std::string& folder : folders) {
            if (folder.size() > prefix.size() && folder.compare(0, prefix.size(), prefix) == 0 &&
                folder.find('/', prefix.size()) == std::string::npos) {
                names.push_back(folder.substr(prefix.size()));
            }
        }
        return names;
    }
    std::vector<Drive> Drives() override {
        std::vector<Drive> list;
        for (const auto& [text, root] : drives) list.push_back({text, root.value_or("")});
        return list;
    }
    int folderWriteError = 0;  // what FolderWriteError answers for /music
    int FolderWriteError(const std::string& folder) override { return folder == "/music" ? folderWriteError : 0; }
    // The entries of a folder: the folders under it, and the files of /music.
    std::vector<std::string> EntryNames(const std::string& folder) override {
        std::vector<std::string> names;
        const std::string prefix = folder.empty() || folder.back() == separator ? folder : folder + separator;
        for (const std::string& path : folders) {
            if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
                path.find(separator, prefix.size()) == std::string::npos) {
                names.push_back(path.substr(prefix.size()));
            }
        }
        if (prefix == "/music/") names.insert(names.end(), files.begin(), files.end());
        return names;
    }

    std::string ChooseSettingsPath(const std::string& inProgramFolder) override { return inProgramFolder; }
    bool OpenSettingsFile(const std::string& path) override {
        ++opens;
        if (openFails || path != programFolder + "/nomvary.ini") return false;
        if (!settings) settings = std::string();
        m_open = true;
        m_position = 0;
        return true;
    }
    bool IsSettingsFileOpen() const override { return m_open; }
    std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) override {
        if (!m_open || m_position + size > readFailsAt) {
            readFailed = true;
            return std::nullopt;
        }
        const std::size_t got = std::min(size, settings->size() - std::min(m_position, settings->size()));
        std::copy_n(settings->data() + m_position, got, buffer);
        m_position += got;
        return got;
    }
    bool WriteSettingsFile(const char* data, std::size_t size) override {
        ++writes;
        if (!m_open || writeFails) return false;
        if (settings->size() < m_position + size) settings->resize(m_position + size);
        std::copy_n(data, size, settings->data() + m_position);
        m_position += size;
        return true;
    }
    bool CloseSettingsFileHandle() override { return m_open && !(m_open = false); }

    void EndProgram() override {
        FakeControls::EndProgram();
        writesAtEnd = writes;
    }

    // Every part of the platform is this fake.
    Platform Parts() { return {*this, *this, *this, *this}; }

private:
    std::vector<std::string> m_snapshot;
    std::size_t m_next = 0, m_position = 0;
    bool m_open = false;
    int m_error = 0;
};

// A window over the fake: the form attached, loaded from `settings`.
struct FakeWindow {
    FakePlatform platform;
    Mainform form{platform.Parts()};
    explicit FakeWindow(std::optional<std::string> settings = std::nullopt) {
        platform.form = &form;
        platform.settings = std::move(settings);
        form.form_load();
    }
};

}  // namespace nomvary::fakes
