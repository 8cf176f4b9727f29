#pragma once

#include <optional>
#include <string>

namespace nomvary {

// The check boxes of the window, by the names of their controls.
enum class CheckBox { autorunbox, capcheck, capsubcheck, featcheck, vscheck };

// The option-button arrays of the window; each has the members 0 and 1.
enum class OptionArray { blankopt, fnamopt };

// The state of the window's controls. Setting a control's value raises the
// same handler as a user's change.
class Controls {
public:
    virtual ~Controls() = default;

    // The drive list's current drive text.
    virtual std::string DriveText() = 0;
    // Selects the drive that `text` names (raising Drive1_Change when the
    // drive changes). False, changing nothing, when no available drive has
    // that text.
    virtual bool SetDriveText(const std::string& text) = 0;
    // The root folder of the drive that `driveText` names, or nullopt when
    // that drive has no readable root.
    virtual std::optional<std::string> DriveRoot(const std::string& driveText) = 0;
    // The folder list's current path.
    virtual std::string FolderListPath() = 0;
    // Moves the folder list to `path` (raising Dir1_Change). False, changing
    // nothing, when the folder does not exist or cannot be read.
    virtual bool SetFolderListPath(const std::string& path) = 0;
    // The selected member (0 or 1) of an option array.
    virtual int SelectedOption(OptionArray array) = 0;
    // Selects a member, raising the array's click handler with its index.
    virtual void SelectOption(OptionArray array, int index) = 0;
    virtual bool IsChecked(CheckBox box) = 0;
    // Sets the check mark, raising the box's click handler when it changes.
    virtual void SetChecked(CheckBox box, bool checked) = 0;
    virtual bool IsEnabled(CheckBox box) = 0;
    virtual void SetEnabled(CheckBox box, bool enabled) = 0;
    // Shows `text` on the window's status line, in place of what it showed
    // (an empty text clears it). The line tells, without a modal box, why
    // something the user may expect did not happen.
    virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace nomvary
