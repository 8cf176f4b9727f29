#pragma once

#include <string>

namespace nomvary {

// The window's modal boxes and its event loop.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Lets the window handle the events queued so far, once.
    virtual void ProcessPendingEvents() = 0;
    // Modal Yes/No box, Yes the default button, no icon. True for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // Modal box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // Ends the program at once; no further handler runs.
    virtual void EndProgram() = 0;
};

}  // namespace nomvary
