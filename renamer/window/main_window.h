#pragma once

#include <array>

#include <QWidget>

#include "drive_list.h"
#include "mainform.h"
#include "qt_platform.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace nomvary {

class FolderList;

// The window `Mainform`, captioned "Nomvary - " and the folder a run would
// rename in. Each control's object name is its control name: "Drive1",
// "Dir1", "Command1" (RUN), "Command2" (about), "Command3" (Preview),
// "autorunbox", "capcheck", "capsubcheck", "featcheck", "vscheck", and the
// status line "StatusLine". Members of a control
// array are named after the array and their index ("Frame1_0", "Frame1_1",
// "blankopt_0", "blankopt_1", "fnamopt_0", "fnamopt_1") and carry the index
// in the dynamic property "index" as well.
//
// Constructing the window creates the controls with their designed values,
// attaches `dialogs` to the window and runs form_load; show() it afterwards.
// `files`, `settingsFile` and `dialogs` must outlive the window; `drives`
// answers the drives the drive list offers (by default `files.Drives()`).
// The window opens at its designed size and may grow; the folder list takes
// the extra room.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    MainWindow(FileSystem& files, SettingsFile& settingsFile, QtDialogs& dialogs,
               DriveList::Source drives = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    Mainform& Form() { return m_form; }
    FileSystem& Files() { return m_files; }

    DriveList* Drive1() const { return m_drive1; }
    FolderList* Dir1() const { return m_dir1; }
    QRadioButton* Option(OptionArray array, int index) const;
    QCheckBox* Box(CheckBox box) const;

    // Shows `text` on the status line, elided to its width; the whole text is
    // its tooltip. StatusText() is the whole text.
    void SetStatusText(const std::string& text);
    const QString& StatusText() const { return m_statusText; }

    // From now on no handler runs, not even Form_Unload; the window hides.
    void EndWithoutUnload();
    bool HasEnded() const { return m_ended; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();
    struct Placement;
    // Computes the designed placement, grown where the platform's font needs
    // more room, and the designed size from it.
    void Arrange();
    // Places the controls for a client area `extra` larger than designed;
    // `measure` first grows the design where a caption needs more room.
    void Place(QSize extra, bool measure = false);
    void ShowStatusElided();
    // Runs a handler for an event of the window, unless the program has ended.
    template <typename Handler>
    void Raise(Handler handler);

    FileSystem& m_files;
    QtDialogs& m_dialogs;
    DriveList::Source m_drives;
    QtControls m_controls{*this};
    Mainform m_form;
    bool m_activated = false;
    bool m_ended = false;

    DriveList* m_drive1 = nullptr;
    FolderList* m_dir1 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    QLabel* m_status = nullptr;
    QString m_statusText;
    double m_growX = 1.0, m_growY = 1.0;
    QSize m_designSize;
    std::array<QGroupBox*, 2> m_frame1{};
    std::array<QRadioButton*, 2> m_blankopt{};
    std::array<QRadioButton*, 2> m_fnamopt{};
    QCheckBox* m_autorunbox = nullptr;
    QCheckBox* m_capcheck = nullptr;
    QCheckBox* m_capsubcheck = nullptr;
    QCheckBox* m_featcheck = nullptr;
    QCheckBox* m_vscheck = nullptr;
};

}  // namespace nomvary
