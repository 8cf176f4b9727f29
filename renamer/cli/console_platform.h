#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "mainform.h"
#include "posix_file_system.h"

namespace nomvary {

// The platform of nomvary-cli: the real file system, the controls held in
// fields, no settings file and no questions. Every rename is reported on
// `out` as «old -> new»; a failed one on `err` with its reason.
//
// The console never asks "Exit now?": AskYesNo answers No without printing,
// so the run ends with the summary alone and the settings are never saved.
class ConsolePlatform : public PosixFileSystem {
public:
    ConsolePlatform(bool dryRun, std::FILE* out, std::FILE* err);

    // The form whose handlers the controls raise.
    void Attach(Mainform& form) { m_form = &form; }

    // Renames that failed (or, in a dry run, would fail).
    int Failures() const { return m_failures; }
    // Renames made (or, in a dry run, that would be made).
    int Renames() const { return m_renames; }
    // The text of the last question the run asked (its closing message).
    const std::string& LastQuestion() const { return m_lastQuestion; }

    bool RenameFile(const std::string& oldName, const std::string& newName) override;

    bool OpenSettingsFile(const std::string& path) override;

    void ProcessPendingEvents() override {}
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void EndProgram() override;

    std::string DriveText() override { return "/"; }
    bool SetDriveText(const std::string& text) override { return text == "/"; }
    std::optional<std::string> DriveRoot(const std::string& driveText) override;
    std::string FolderListPath() override { return m_folder; }
    bool SetFolderListPath(const std::string& path) override;
    int SelectedOption(OptionArray array) override;
    void SelectOption(OptionArray array, int index) override;
    bool IsChecked(CheckBox box) override;
    void SetChecked(CheckBox box, bool checked) override;
    bool IsEnabled(CheckBox box) override;
    void SetEnabled(CheckBox box, bool enabled) override;

private:
    void PrintRename(const std::string& oldName, const std::string& newName, const char* note);

    bool m_dryRun;
    std::FILE* m_out;
    std::FILE* m_err;
    Mainform* m_form = nullptr;
    std::string m_folder;
    std::array<int, 2> m_options{};
    std::array<bool, 5> m_checked{};
    std::array<bool, 5> m_enabled{true, true, false, true, true};
    // A dry run renames nothing, so it keeps track of the names its planned
    // renames would free and take.
    std::set<std::string> m_planned;
    std::set<std::string> m_vacated;
    int m_failures = 0;
    int m_renames = 0;
    std::string m_lastQuestion;
};

}  // namespace nomvary
