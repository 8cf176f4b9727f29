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

void QtDialogs::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool QtDialogs::AskYesNo(const std::string& text, const std::string& title) {
    return RunBox(m_window, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void QtDialogs::ShowMessage(const std::string& text, const std::string& title) {
    RunBox(m_window, text, title, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::EndProgram() {
    if (m_window != nullptr) m_window->EndWithoutUnload();
    QCoreApplication::exit(0);
}

std::string QtControls::DriveText() { return m_window.Drive1()->DriveText(); }

bool QtControls::SetDriveText(const std::string& text) {
    bool changed = false;
    if (!m_window.Drive1()->SelectDrive(text, changed)) return false;
    if (changed) m_window.Form().Drive1_Change();
    return true;
}

std::optional<std::string> QtControls::DriveRoot(const std::string& driveText) {
    std::optional<std::string> root = m_window.Drive1()->RootOf(driveText);
    if (!root || !IsReadableFolder(*root)) return std::nullopt;
    return root;
}

std::string QtControls::FolderListPath() { return m_window.Dir1()->Path(); }

bool QtControls::SetFolderListPath(const std::string& path) {
    if (!m_window.Dir1()->SetPath(path)) return false;
    m_window.Form().Dir1_Change();
    return true;
}

int QtControls::SelectedOption(OptionArray array) {
    return m_window.Option(array, 1)->isChecked() ? 1 : 0;
}

void QtControls::SelectOption(OptionArray array, int index) {
    m_window.Option(array, index)->setChecked(true);
    if (array == OptionArray::blankopt) {
        m_window.Form().blankopt_Click(index);
    } else {
        m_window.Form().fnamopt_Click(index);
    }
}

bool QtControls::IsChecked(CheckBox box) { return m_window.Box(box)->isChecked(); }

void QtControls::SetChecked(CheckBox box, bool checked) {
    if (m_window.Box(box)->isChecked() == checked) return;
    m_window.Box(box)->setChecked(checked);
    if (box == CheckBox::capcheck) m_window.Form().capcheck_Click();
}

bool QtControls::IsEnabled(CheckBox box) { return m_window.Box(box)->isEnabled(); }

void QtControls::SetEnabled(CheckBox box, bool enabled) {
    m_window.Box(box)->setEnabled(enabled);
}

}  // namespace nomvary
