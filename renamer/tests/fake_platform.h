#pragma once

// An in-memory Platform for the renamer's logic tests: one folder of files,
// a settings file held as bytes, controls held in fields. Setting a control
// raises the attached Mainform's handler, as the real window does.

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mainform.h"
#include "platform.h"

namespace nomvary::testing {

class FakePlatform : public Platform {
public:
    // ---- what the tests arrange and inspect ----------------------------
    char separator = '/';
    std::set<std::string> existingFolders{"/", "/music", "/prog"};
    std::string listedFolder = "/music";       // the folder whose files are below
    std::vector<std::string> files;            // names in listing order
    std::set<std::string> refusedRenames;      // old names whose rename fails
    std::string currentFolder = "/";
    std::string programFolder = "/prog";
    std::vector<std::string> listingRequests;  // texts that started a listing
    std::vector<std::string> journal;          // ordered record of notable calls

    std::optional<std::string> settingsFile;   // nullopt: no file yet
    bool openFails = false;
    std::optional<std::size_t> readFailsAt;    // a read reaching this offset fails
    bool writeFails = false;
    int opens = 0;

    std::function<void()> onPendingEvents;
    bool answerYes = false;
    std::vector<std::pair<std::string, std::string>> questions;  // text, title
    std::vector<std::pair<std::string, std::string>> messages;   // text, title
    bool ended = false;

    std::string driveText = "/";
    std::map<std::string, std::optional<std::string>> drives{{"/", "/"}};
    std::string folderListPath = "/music";
    std::array<int, 2> options{};
    std::array<bool, 5> checked{};
    std::array<bool, 5> enabled{true, true, false, true, true};
    Mainform* form = nullptr;

    bool Checked(CheckBox box) const { return checked[static_cast<std::size_t>(box)]; }
    bool Enabled(CheckBox box) const { return enabled[static_cast<std::size_t>(box)]; }
    int Option(OptionArray array) const { return options[static_cast<std::size_t>(array)]; }
    std::size_t Count(const std::string& event) const {
        return static_cast<std::size_t>(std::count(journal.begin(), journal.end(), event));
    }

    // ---- Platform ----------------------------------------------------------
    char FolderSeparator() const override { return separator; }

    bool SetCurrentFolder(const std::string& path) override {
        if (existingFolders.count(path) == 0) {
            return false;
        }
        currentFolder = path;
        return true;
    }

    std::string ListMatchingNames(const std::string& folderAndPattern) override {
        listingRequests.push_back(folderAndPattern);
        m_snapshot.clear();
        m_next = 0;
        const std::size_t cut = folderAndPattern.rfind(separator);
        if (cut == std::string::npos) {
            return {};
        }
        std::string folder = folderAndPattern.substr(0, cut);
        if (folder.empty()) {
            folder = std::string(1, separator);
        }
        if (folder != listedFolder) {
            return {};
        }
        const std::string pattern = folderAndPattern.substr(cut + 1);
        for (const std::string& name : files) {
            if (pattern == "*.*" || (pattern == "*.mp3" && EndsWithMp3(name))) {
                m_snapshot.push_back(name);
            }
        }
        return ListMatchingNames();
    }

    std::string ListMatchingNames() override {
        return m_next < m_snapshot.size() ? m_snapshot[m_next++] : std::string{};
    }

    bool RenameFile(const std::string& oldName, const std::string& newName) override {
        journal.push_back("rename " + oldName);
        const auto old = std::find(files.begin(), files.end(), oldName);
        if (old == files.end() || refusedRenames.count(oldName) != 0 ||
            std::find(files.begin(), files.end(), newName) != files.end()) {
            return false;
        }
        *old = newName;
        return true;
    }

    std::string ProgramFolder() override { return programFolder; }

    bool OpenSettingsFile(const std::string& path) override {
        ++opens;
        journal.push_back("open " + path);
        if (openFails) {
            return false;
        }
        if (!settingsFile) {
            settingsFile = std::string();
        }
        m_open = true;
        m_position = 0;
        return true;
    }

    bool IsSettingsFileOpen() const override { return m_open; }

    std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) override {
        if (!m_open || (readFailsAt && m_position + size > *readFailsAt)) {
            return std::nullopt;
        }
        const std::size_t available = m_position < settingsFile->size() ? settingsFile->size() - m_position : 0;
        const std::size_t got = std::min(size, available);
        std::copy_n(settingsFile->data() + m_position, got, buffer);
        m_position += got;
        return got;
    }

    bool WriteSettingsFile(const char* data, std::size_t size) override {
        journal.push_back("write");
        if (!m_open || writeFails) {
            return false;
        }
        if (settingsFile->size() < m_position + size) {
            settingsFile->resize(m_position + size, '\0');
        }
        std::copy_n(data, size, settingsFile->data() + m_position);
        m_position += size;
        return true;
    }

    bool CloseSettingsFileHandle() override {
        if (!m_open) {
            return false;
        }
        m_open = false;
        journal.push_back("close");
        return true;
    }

    void ProcessPendingEvents() override {
        journal.push_back("events");
        if (onPendingEvents) {
            onPendingEvents();
        }
    }

    bool AskYesNo(const std::string& text, const std::string& title) override {
        journal.push_back("ask");
        questions.emplace_back(text, title);
        return answerYes;
    }

    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.emplace_back(text, title);
    }

    void EndProgram() override {
        journal.push_back("end");
        ended = true;
    }

    std::string DriveText() override { return driveText; }

    bool SetDriveText(const std::string& text) override {
        if (drives.count(text) == 0) {
            return false;
        }
        const bool changed = text != driveText;
        driveText = text;
        if (changed && form != nullptr) {
            form->Drive1_Change();
        }
        return true;
    }

    std::optional<std::string> DriveRoot(const std::string& text) override {
        const auto drive = drives.find(text);
        return drive == drives.end() ? std::nullopt : drive->second;
    }

    std::string FolderListPath() override { return folderListPath; }

    bool SetFolderListPath(const std::string& path) override {
        if (existingFolders.count(path) == 0) {
            return false;
        }
        folderListPath = path;
        if (form != nullptr) {
            form->Dir1_Change();
        }
        return true;
    }

    int SelectedOption(OptionArray array) override { return Option(array); }

    void SelectOption(OptionArray array, int index) override {
        options[static_cast<std::size_t>(array)] = index;
        if (form == nullptr) {
            return;
        }
        if (array == OptionArray::blankopt) {
            form->blankopt_Click(index);
        } else {
            form->fnamopt_Click(index);
        }
    }

    bool IsChecked(CheckBox box) override { return Checked(box); }

    void SetChecked(CheckBox box, bool value) override {
        const bool changed = Checked(box) != value;
        checked[static_cast<std::size_t>(box)] = value;
        if (changed && box == CheckBox::capcheck && form != nullptr) {
            form->capcheck_Click();
        }
    }

    bool IsEnabled(CheckBox box) override { return Enabled(box); }
    void SetEnabled(CheckBox box, bool value) override { enabled[static_cast<std::size_t>(box)] = value; }

private:
    static bool EndsWithMp3(const std::string& name) {
        if (name.size() < 4) {
            return false;
        }
        std::string tail = name.substr(name.size() - 4);
        for (char& c : tail) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        return tail == ".mp3";
    }

    std::vector<std::string> m_snapshot;
    std::size_t m_next = 0;
    bool m_open = false;
    std::size_t m_position = 0;
};

}  // namespace nomvary::testing
