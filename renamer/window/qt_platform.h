#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drive_table.h"
#include "platform.h"

namespace nomvary {

class MainWindow;

// The platform of the window: the Qt message boxes, the event loop and the
// controls of one MainWindow. Setting a control here raises its handler the
// way a user's change would.
class QtPlatform : public Platform {
public:
    QtPlatform() = default;

    // The window whose controls this platform reads and sets; nullptr detaches.
    void AttachWindow(MainWindow* window) { m_window = window; }

    // The drives the drive list offers: the system's mounted file systems.
    virtual std::vector<Drive> AvailableDrives();

    void ProcessPendingEvents() override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    // Marks the window as ended, so neither a queued event nor the close
    // that follows reaches a handler, and leaves the event loop.
    void EndProgram() override;

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

private:
    MainWindow* m_window = nullptr;
};

}  // namespace nomvary
