#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace nomvary {

// The window-level values of Mainform. Flags false and texts empty before
// form_load.
struct MainformValues {
    bool running = false;            // a rename run is under way
    std::string folderPath;          // the folder list's path, without surrounding blanks
    std::string filePattern;         // "*.*" or "*.mp3"
    bool allFiles = false;           // "All files" is selected
    bool blankToUnderscore = false;  // "blank to _" is selected
    bool autorunPending = false;     // the stored autorun byte was 1
    bool loading = false;            // form_load is under way
};

// The window's handlers, with no widget code: the widgets (or a fake) call
// these on their events and reach back only through the Platform.
class Mainform {
public:
    explicit Mainform(Platform& platform) : m_platform(platform) {}

    MainformValues& Values() { return m_values; }
    const MainformValues& Values() const { return m_values; }
    Platform& GetPlatform() { return m_platform; }

    void form_load();                 // window loads: LoadSettings
    void Form_Activate();             // window becomes active: autorun when pending
    void Form_Unload();               // window closes: SaveSettings
    void Command1_Click();            // "RUN": RenameFolder
    void Command2_Click();            // "about"
    void capcheck_Click();            // enables "except ({[ ]})" with "Capitalize"
    void blankopt_Click(int index);
    void fnamopt_Click(int index);
    void Drive1_Change();
    void Dir1_Change();

    // The text of the about box.
    static std::string AboutText();

private:
    Platform& m_platform;
    MainformValues m_values;
    bool m_autorunStarted = false;
};

}  // namespace nomvary
