#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QComboBox>

#include "mount_table.h"

namespace nomvary {

// The drive list: the mounted file systems, read again whenever it opens so
// that a stick plugged in meanwhile shows up. Its drive text is the entry's
// text as bytes, which is what the settings file keeps. The open list shows
// every text whole, and each entry (the current one on the closed list too)
// has its text as a tooltip.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    using Source = std::function<std::vector<Drive>()>;

    explicit DriveList(Source source, QWidget* parent = nullptr);

    // The current drive's text; empty when the list is empty.
    std::string DriveText() const;
    // Selects the drive with this text. False, changing nothing, when no
    // available drive has it; `changed` tells whether another drive was chosen.
    bool SelectDrive(const std::string& text, bool& changed);
    // Selects, without a change event, the drive holding `path`.
    void SelectDriveHolding(const std::string& path);
    // The root of the drive with this text, as the system mounts it now.
    std::optional<std::string> RootOf(const std::string& text);
    // Reads the mounted drives again, keeping the current one.
    void Refresh();

signals:
    // The user picked another drive.
    void driveChanged();

protected:
    void showPopup() override;
    // Draws the current text elided to the closed list's width.
    void paintEvent(QPaintEvent* event) override;

private:
    void OnActivated(int index);
    void ShowCurrentInToolTip();
    int IndexOf(const std::string& text) const;

    Source m_source;
    std::vector<Drive> m_drives;
    std::string m_current;
};

}  // namespace nomvary
