#pragma once

#include <string>

#include "mainform_values.h"
#include "name_rule.h"
#include "platform.h"

namespace nomvary {

// The window's handlers, with no widget code: the widgets (or a fake) call
// these on their events and reach back only through the parts of the
// Platform, which must outlive the form.
class Mainform {
public:
    explicit Mainform(const Platform& platform) : m_platform(platform) {}

    MainformValues& Values() { return m_values; }
    const MainformValues& Values() const { return m_values; }

    void form_load();                 // window loads: LoadSettings
    void Form_Activate();             // window becomes active: autorun when pending
    void Form_Unload();               // window closes: SaveSettings
    // The window is asked to close: answers whether it may close now. During
    // a run it may not; the run then stops after the file at hand and, in
    // place of "Exit now?", closes the way a close does: Form_Unload, then
    // the end of the program.
    bool Form_QueryUnload();
    void Command1_Click();            // "RUN": RenameFolder
    void Command2_Click();            // "about"
    // "Preview": lists what RUN would do now, renaming nothing (ShowPreview):
    // each rename in run order, with a note on each one that would fail.
    void Command3_Click();
    void capcheck_Click();            // enables "except ({[ ]})" with "Capitalize"
    void blankopt_Click(int index);
    void fnamopt_Click(int index);
    void Drive1_Change();
    void Dir1_Change();

    // The run that "RUN" starts: renames the matching files of the chosen
    // folder with the window's options, then shows the count, and how many
    // renames failed and why (RunSummary), with "Exit now?"; Yes saves the
    // settings and ends the program. A second call while a run is under way
    // returns at once.
    void RenameFolder();

    // The text of the about box.
    static std::string AboutText();

private:
    // The options of a run, from the window's values and check boxes.
    RenameOptions ReadOptions();

    Platform m_platform;
    MainformValues m_values;
    bool m_autorunStarted = false;
    bool m_closeRequested = false;  // a close came during the run
};

}  // namespace nomvary
