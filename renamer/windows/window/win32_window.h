#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls.h"
#include "dialogs.h"
#include "file_system.h"
#include "mainform.h"
#include "settings_file.h"

namespace nomvary {

// The window `Mainform` as a native Win32 window of standard controls:
// "Nomvary - " and the folder a run would rename in as its title. It maps
// the controls and boxes onto Mainform and the interfaces and does nothing
// of its own. Controls carry their tab index as their control id plus
// kFirstControlId: Drive1 (a drop-down list), Dir1 (a list box holding the
// folder chain and the open folder's subfolders), Command1 ("RUN"),
// Command3 ("Preview"), blankopt 0 and 1, fnamopt 0 and 1, autorunbox,
// capcheck, capsubcheck, featcheck, vscheck, Command2 ("about"), then the
// status line and the frames Frame1 0 and 1.
//
// Create() makes the window and its controls with their designed values
// and runs form_load; Show() shows it. `files` and `settingsFile` must
// outlive the window.
class Win32Window : public Controls, public Dialogs {
public:
    static constexpr int kFirstControlId = 100;
    // The window class, by which other programs may find the window.
    static constexpr const wchar_t* kClassName = L"NomvaryMainform";

    Win32Window(HINSTANCE instance, FileSystem& files, SettingsFile& settingsFile);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // False when the window could not be made.
    bool Create();
    void Show(int showCommand);
    // Runs the message loop until the program ends; answers the exit code.
    int RunMessageLoop();

    // Controls
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

    // Dialogs
    void ProcessPendingEvents() override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void ShowPreview(const std::string& summary, const std::vector<std::string>& lines) override;
    void EndProgram() override;
    std::unique_ptr<RunProgress> StartProgress() override;

private:
    enum Control {
        kDrive1,
        kDir1,
        kCommand1,
        kCommand3,
        kBlankopt0,
        kBlankopt1,
        kFnamopt0,
        kFnamopt1,
        kAutorunbox,
        kCapcheck,
        kCapsubcheck,
        kFeatcheck,
        kVscheck,
        kCommand2,
        kStatus,
        kFrame1_0,
        kFrame1_1,
        kControlCount
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Enter in the folder list opens the chosen folder, as a double click does.
    static LRESULT CALLBACK FolderListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR window);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int control, int notification);
    void CreateControls();
    void Arrange();
    void ApplyFonts();
    UINT Dpi() const;
    HWND Item(Control control) const { return m_controls[control]; }
    HWND BoxHandle(CheckBox box) const;
    HWND OptionHandle(OptionArray array, int index) const;

    // The drive list: read again whenever it opens.
    void RefreshDrives();
    void ShowDrives();
    // The folder list: the chain from the drive's root down to m_open, then
    // m_open's subfolders; the highlighted entry is m_path.
    bool OpenFolder(const std::string& path);
    void FillFolders(const std::vector<std::string>& subfolders);
    void ChooseFolderEntry(int index, bool open);
    void ShowTitle();

    HINSTANCE m_instance;
    FileSystem& m_files;
    Mainform m_form;
    HWND m_window = nullptr;
    std::array<HWND, kControlCount> m_controls{};
    HFONT m_font = nullptr, m_runFont = nullptr, m_aboutFont = nullptr;
    bool m_activated = false;
    bool m_ended = false;
    int m_exitCode = 0;

    std::vector<Drive> m_drives;
    std::string m_currentDrive;
    std::string m_path;                     // the chosen folder
    std::string m_open;                     // the folder whose subfolders show
    std::vector<std::string> m_entryPaths;  // the folder list's entries, by index
};

}  // namespace nomvary
