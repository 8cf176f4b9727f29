#include "mainform.h"

#include <optional>
#include <utility>

#include "planned_renames.h"
#include "rename_run.h"
#include "settings.h"
#include "version.h"

namespace nomvary {

void Mainform::form_load() {
    LoadSettings(m_values, m_platform);
    // When the settings moved no list, no change handler ran; the run must
    // still get the folder the list shows, never an empty path (which would
    // list the root folder).
    Dir1_Change();
}

void Mainform::Form_Activate() {
    // A toolkit may activate the window again and again (after another
    // window had the focus); the stored autorun asks for one run per start,
    // and autorunPending itself stays as the settings file gave it.
    if (m_values.autorunPending && !m_autorunStarted) {
        m_autorunStarted = true;
        Command1_Click();
    }
}

void Mainform::Form_Unload() { SaveSettings(m_platform); }

bool Mainform::Form_QueryUnload() {
    if (!m_values.running) {
        return true;
    }
    m_closeRequested = true;
    return false;
}

void Mainform::Command1_Click() { RenameFolder(); }

void Mainform::RenameFolder() {
    if (m_values.running) {
        return;
    }
    m_values.running = true;

    const bool featcheck = m_platform.controls.IsChecked(CheckBox::featcheck);
    const bool vscheck = m_platform.controls.IsChecked(CheckBox::vscheck);

    m_platform.files.SetCurrentFolder(m_values.folderPath);
    m_values.filePattern = m_values.allFiles ? "*.*" : "*.mp3";
    // The one point where a second click on "RUN" can come in; `running`
    // turns it away. (A long run's progress box handles events too, but it is
    // modal: no click reaches the window then.)
    m_platform.dialogs.ProcessPendingEvents();

    if (!m_values.folderPath.empty() && m_values.folderPath.back() == m_platform.files.FolderSeparator()) {
        m_values.folderPath.pop_back();
    }

    RenameOptions options = ReadOptions();
    options.featcheck = featcheck;
    options.vscheck = vscheck;
    // The options are read; the progress box goes before the summary shows.
    RenameReport report;
    {
        const std::unique_ptr<RunProgress> progress = m_platform.dialogs.StartProgress();
        RenameHooks hooks;
        // The progress box lets the window's events in, a close among them.
        hooks.advance = [this, &progress](std::size_t done, std::size_t total) {
            return !m_closeRequested && progress->Advance(done, total) && !m_closeRequested;
        };
        report = RenameMatchingFiles(m_platform.files, m_values.folderPath, m_values.filePattern, options, hooks);
    }

    m_values.running = false;

    if (m_closeRequested) {
        m_platform.files.SetCurrentFolder(m_platform.files.ProgramFolder());
        Form_Unload();
        m_platform.dialogs.EndProgram();
        return;
    }
    const bool exitNow = m_platform.dialogs.AskYesNo(RunSummary(report) + "\r\nExit now?", "done");
    m_platform.files.SetCurrentFolder(m_platform.files.ProgramFolder());
    if (exitNow) {
        SaveSettings(m_platform);
        m_platform.dialogs.EndProgram();
    }
}

RenameOptions Mainform::ReadOptions() {
    RenameOptions options;
    options.blankopt =
        m_values.blankToUnderscore ? BlankConversion::blankToUnderscore : BlankConversion::underscoreToBlank;
    options.capcheck = m_platform.controls.IsChecked(CheckBox::capcheck);
    options.capsubcheck = m_platform.controls.IsChecked(CheckBox::capsubcheck);
    options.featcheck = m_platform.controls.IsChecked(CheckBox::featcheck);
    options.vscheck = m_platform.controls.IsChecked(CheckBox::vscheck);
    return options;
}

void Mainform::Command3_Click() {
    if (m_values.running) {
        return;
    }
    // The run's own listing, name rule and checks, over renames that are
    // only planned; the window's values stay as they are.
    PlannedRenames planned(m_platform.files);
    std::vector<std::string> lines;
    RenameHooks hooks;
    hooks.tried = [&lines, &planned](const RenameAttempt& attempt) {
        lines.push_back(PlannedLine(attempt, planned.LastObstacle()));
    };
    const RenameReport report =
        RenameMatchingFiles(planned, m_values.folderPath, m_values.allFiles ? "*.*" : "*.mp3", ReadOptions(), hooks);
    m_platform.dialogs.ShowPreview(PlannedSummary(report), lines);
}

void Mainform::Command2_Click() { m_platform.dialogs.ShowMessage(AboutText(), "about"); }

std::string Mainform::AboutText() {
    return std::string("Nomvary ") + NomvaryVersion() +
           "\n"
           "\n"
           "Tidies the file names of one folder: turns \"_\" into blanks or blanks "
           "into \"_\", capitalises the words if you wish, and writes the \".mp3\" "
           "ending in lower case. Never replaces an existing file.";
}

void Mainform::capcheck_Click() {
    m_platform.controls.SetEnabled(CheckBox::capsubcheck, m_platform.controls.IsChecked(CheckBox::capcheck));
}

void Mainform::blankopt_Click(int index) { m_values.blankToUnderscore = index == 1; }

void Mainform::fnamopt_Click(int index) {
    m_values.allFiles = index == 1;
    m_values.filePattern = m_values.allFiles ? "*.*" : "*.mp3";
}

void Mainform::Drive1_Change() {
    const std::optional<std::string> root = m_platform.controls.DriveRoot(m_platform.controls.DriveText());
    if (!root || !m_platform.controls.SetFolderListPath(*root)) {
        return;
    }
    m_platform.dialogs.ProcessPendingEvents();
    if (!m_values.loading) {
        SaveSettings(m_platform);
    }
}

void Mainform::Dir1_Change() {
    std::string path = m_platform.controls.FolderListPath();
    // Surrounding blanks are never part of a Windows path, but on POSIX a
    // folder name may begin or end with one; trimming there would point the
    // run at another folder.
    if (m_platform.files.FolderSeparator() == '/') {
        m_values.folderPath = std::move(path);
        return;
    }
    const std::size_t first = path.find_first_not_of(' ');
    if (first == std::string::npos) {
        m_values.folderPath.clear();
        return;
    }
    const std::size_t last = path.find_last_not_of(' ');
    m_values.folderPath = path.substr(first, last - first + 1);
}

}  // namespace nomvary
