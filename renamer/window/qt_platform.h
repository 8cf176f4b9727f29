#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls.h"
#include "dialogs.h"

namespace nomvary {

class MainWindow;

// The window's boxes and event loop on Qt. The boxes belong to the attached
// window, if any.
class QtDialogs : public Dialogs {
public:
    // The window the boxes belong to and EndProgram ends; nullptr detaches.
    void AttachWindow(MainWindow* window) { m_window = window; }

    void ProcessPendingEvents() override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    // A list of the lines under the summary, in a box of its own that can be
    // made larger.
    void ShowPreview(const std::string& summary, const std::vector<std::string>& lines) override;
    // Marks the window as ended, so neither a queued event nor the close
    // that follows reaches a handler, and leaves the event loop.
    void EndProgram() override;
    std::unique_ptr<RunProgress> StartProgress() override;

private:
    MainWindow* m_window = nullptr;
};

// The controls of one MainWindow, which owns this object. Setting a control
// here raises its handler the way a user's change would.
class QtControls : public Controls {
public:
    explicit QtControls(MainWindow& window) : m_window(window) {}

    std::string DriveText() override;
    bool SetDriveText(const std::string& text) override;
    std::optional<std::string> DriveRoot(const std::string& driveText) override;
    std::string FolderListPath() override;
    bool SetFolderListPath(const std::string& path) override;
    int SelectedOption(OptionArray array) override;
    void SelectOption(OptionArray array, int index) override;
    bool IsChecked(CheckBox box) override;
    void SetChecked(CheckBox box, bool checked) override;
    bool IsEnabled(CheckBox box) override;
    void SetEnabled(CheckBox box, bool enabled) override;
    void SetStatusText(const std::string& text) override;

private:
    MainWindow& m_window;
};

}  // namespace nomvary
