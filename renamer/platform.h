#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace nomvary {

// The check boxes of the window, by the names of their controls.
enum class CheckBox { autorunbox, capcheck, capsubcheck, featcheck, vscheck };

// The option-button arrays of the window; each has the members 0 and 1.
enum class OptionArray { blankopt, fnamopt };

// Everything the renamer needs from the outside world: the file system, the
// settings file, the window's modal boxes and event loop, and the controls'
// state. The run, the settings and the window's handlers reach the world only
// through this interface, so they are tested with a fake of it.
//
// Failures are answered (false, empty, nullopt) and never thrown: the callers
// skip a failed step and go on.
class Platform {
public:
    virtual ~Platform() = default;

    // ---- File system ----------------------------------------------------
    // The folder separator the run appends before the pattern and strips from
    // the end of the folder path ('\\' on Windows, '/' on POSIX).
    virtual char FolderSeparator() const = 0;
    // Makes `path` the process's current folder. False when it cannot.
    virtual bool SetCurrentFolder(const std::string& path) = 0;
    // Starts a listing of folder + separator + pattern and answers its first
    // matching name (bare, without the folder). Only ordinary files are
    // listed, no folders and no hidden files. An empty answer ends the
    // listing; a listing that cannot start answers empty.
    virtual std::string ListMatchingNames(const std::string& folderAndPattern) = 0;
    // The next name of the listing started last; empty when it is done.
    virtual std::string ListMatchingNames() = 0;
    // Renames a file of the listed folder (bare names, relative to the
    // current folder). Fails, changing nothing, when another file already has
    // the new name or the file cannot be renamed. A rename that changes only
    // the letter case is valid.
    virtual bool RenameFile(const std::string& oldName, const std::string& newName) = 0;
    // The folder that holds the program file, without a trailing separator.
    virtual std::string ProgramFolder() = 0;

    // ---- The settings file ---------------------------------------------
    // Opens `path` for reading and writing in binary mode, creating it empty
    // when it does not exist; the position starts at 0. False on failure.
    virtual bool OpenSettingsFile(const std::string& path) = 0;
    virtual bool IsSettingsFileOpen() const = 0;
    // Reads up to `size` bytes at the current position, which advances.
    // Answers the number of bytes read (short at the end of the file), or
    // nullopt when reading fails or no file is open.
    virtual std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) = 0;
    // Writes `size` bytes at the current position, which advances.
    virtual bool WriteSettingsFile(const char* data, std::size_t size) = 0;
    // Closes the file; false when none was open or closing failed.
    virtual bool CloseSettingsFileHandle() = 0;

    // ---- The window ------------------------------------------------------
    // Lets the window handle the events queued so far, once.
    virtual void ProcessPendingEvents() = 0;
    // Modal Yes/No box, Yes the default button, no icon. True for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // Modal box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // Ends the program at once; no further handler runs.
    virtual void EndProgram() = 0;

    // ---- The controls ----------------------------------------------------
    // Setting a control's value raises the same handler as a user's change.
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
};

}  // namespace nomvary
