#include "rename_run.h"

#include "settings.h"

namespace nomvary {

std::string RenameSummary(std::int32_t count) {
    if (count == 0) {
        return "No files were renamed.";
    }
    if (count == 1) {
        return "1 file renamed.";
    }
    return std::to_string(count) + " files renamed.";
}

void RenameFolder(MainformValues& values, Platform& platform) {
    if (values.running) {
        return;
    }
    values.running = true;
    std::int32_t count = 0;

    const bool featcheck = platform.IsChecked(CheckBox::featcheck);
    const bool vscheck = platform.IsChecked(CheckBox::vscheck);

    platform.SetCurrentFolder(values.folderPath);
    values.filePattern = values.allFiles ? "*.*" : "*.mp3";
    // The only point where a second click on "RUN" can come in; `running`
    // turns it away.
    platform.ProcessPendingEvents();

    const char separator = platform.FolderSeparator();
    if (!values.folderPath.empty() && values.folderPath.back() == separator) {
        values.folderPath.pop_back();
    }

    RenameOptions options;
    options.blankopt = values.blankToUnderscore ? 1 : 0;
    options.capcheck = platform.IsChecked(CheckBox::capcheck);
    options.capsubcheck = platform.IsChecked(CheckBox::capsubcheck);
    options.featcheck = featcheck;
    options.vscheck = vscheck;

    std::string name = platform.ListMatchingNames(values.folderPath + separator + values.filePattern);
    while (!name.empty()) {
        const std::string newName = TransformName(name, options);
        if (newName != name && platform.RenameFile(name, newName)) {
            ++count;
        }
        name = platform.ListMatchingNames();
    }

    values.running = false;

    const bool exitNow = platform.AskYesNo(RenameSummary(count) + "\r\nExit now?", "done");
    platform.SetCurrentFolder(platform.ProgramFolder());
    if (exitNow) {
        SaveSettings(platform);
        platform.EndProgram();
    }
}

}  // namespace nomvary
