#pragma once

#include <string>

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

}  // namespace nomvary
