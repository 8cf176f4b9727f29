#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace nomvary {

// How far a run has come, shown to the user; see Dialogs::StartProgress.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // `done` of `total` files are through. False once the user asked the
    // run to stop.
    virtual bool Advance(std::size_t done, std::size_t total) = 0;
};

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
    // What a run would do, in a modal box titled "Preview" with an OK button:
    // `lines`, one planned rename each in run order, scrolled when many,
    // under `summary`.
    virtual void ShowPreview(const std::string& summary, const std::vector<std::string>& lines) = 0;
    // Ends the program at once; no further handler runs.
    virtual void EndProgram() = 0;
    // Starts the progress of a run that begins now. Nothing shows until the
    // run has lasted about half a second; then a modal box says "N of M
    // files" and offers Cancel, and the window keeps painting while its
    // controls take no input. The box goes with the answered object, which
    // is never null.
    virtual std::unique_ptr<RunProgress> StartProgress() = 0;
};

}  // namespace nomvary
