#include "qt_platform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QRadioButton>

#include <dirent.h>

#include "drive_list.h"
#include "folder_list.h"
#include "main_window.h"

namespace nomvary {
namespace {

// The program's texts break lines with CR LF; a label wants a bare LF.
QString BoxText(const std::string& text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

int RunBox(QWidget* parent, const std::string& text, const std::string& title,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::NoIcon, BoxText(title), BoxText(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

bool IsReadableFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return false;
    closedir(dir);
    return true;
}

}  // namespace

std::vector<Drive> QtPlatform::AvailableDrives() { return ReadSystemDrives(); }

void QtPlatform::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool QtPlatform::AskYesNo(const std::string& text, const std::string& title) {
    return RunBox(m_window, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void QtPlatform::ShowMessage(const std::string& text, const std::string& title) {
    RunBox(m_window, text, title, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPlatform::EndProgram() {
    if (m_window != nullptr) m_window->EndWithoutUnload();
    QCoreApplication::exit(0);
}

std::string QtPlatform::DriveText() { return m_window ? m_window->Drive1()->DriveText() : std::string(); }

bool QtPlatform::SetDriveText(const std::string& text) {
    if (m_window == nullptr) return false;
    bool changed = false;
    if (!m_window->Drive1()->SelectDrive(text, changed)) return false;
    if (changed) m_window->Form().Drive1_Change();
    return true;
}

std::optional<std::string> QtPlatform::DriveRoot(const std::string& driveText) {
    if (m_window == nullptr) return std::nullopt;
    std::optional<std::string> root = m_window->Drive1()->RootOf(driveText);
    if (!root || !IsReadableFolder(*root)) return std::nullopt;
    return root;
}

std::string QtPlatform::FolderListPath() { return m_window ? m_window->Dir1()->Path() : std::string(); }

bool QtPlatform::SetFolderListPath(const std::string& path) {
    if (m_window == nullptr || !m_window->Dir1()->SetPath(path)) return false;
    m_window->Form().Dir1_Change();
    return true;
}

int QtPlatform::SelectedOption(OptionArray array) {
    return m_window && m_window->Option(array, 1)->isChecked() ? 1 : 0;
}

void QtPlatform::SelectOption(OptionArray array, int index) {
    if (m_window == nullptr) return;
    m_window->Option(array, index)->setChecked(true);
    if (array == OptionArray::blankopt) {
        m_window->Form().blankopt_Click(index);
    } else {
        m_window->Form().fnamopt_Click(index);
    }
}

bool QtPlatform::IsChecked(CheckBox box) { return m_window && m_window->Box(box)->isChecked(); }

void QtPlatform::SetChecked(CheckBox box, bool checked) {
    if (m_window == nullptr || m_window->Box(box)->isChecked() == checked) return;
    m_window->Box(box)->setChecked(checked);
    if (box == CheckBox::capcheck) m_window->Form().capcheck_Click();
}

bool QtPlatform::IsEnabled(CheckBox box) { return m_window && m_window->Box(box)->isEnabled(); }

void QtPlatform::SetEnabled(CheckBox box, bool enabled) {
    if (m_window != nullptr) m_window->Box(box)->setEnabled(enabled);
}

}  // namespace nomvary
