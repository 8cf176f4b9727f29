#include "qt_platform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRadioButton>

#include <algorithm>
#include <climits>

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

// Shows nothing for the first half second of a run; then a modal box with
// "N of M files" and Cancel. While it shows, the run lets the application
// handle its events every few files' worth of time, so the window keeps
// painting and Cancel is heard; the box's modality keeps input away from the
// controls.
class QtRunProgress : public RunProgress {
public:
    explicit QtRunProgress(QWidget* window) : m_window(window) { m_clock.start(); }

    bool Advance(std::size_t done, std::size_t total) override {
        constexpr qint64 kShowAfterMs = 500;
        constexpr qint64 kUpdateEveryMs = 40;
        const qint64 now = m_clock.elapsed();
        if (!m_box) {
            if (now < kShowAfterMs) return true;
            m_box = std::make_unique<QProgressDialog>(m_window);
            m_box->setWindowTitle(QStringLiteral("Nomvary"));
            m_box->setWindowModality(Qt::ApplicationModal);
            m_box->setCancelButtonText(QStringLiteral("Cancel"));
            m_box->setAutoReset(false);
            m_box->setAutoClose(false);
            m_box->setMinimumDuration(0);
            m_box->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
            m_box->show();
        } else if (now - m_shownAt < kUpdateEveryMs && done < total) {
            return true;
        }
        m_shownAt = now;
        m_box->setLabelText(QStringLiteral("%1 of %2 files").arg(done).arg(total));
        // A shown modal box handles the pending events here.
        m_box->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
        return !m_box->wasCanceled();
    }

private:
    QWidget* m_window;
    QElapsedTimer m_clock;
    qint64 m_shownAt = 0;
    std::unique_ptr<QProgressDialog> m_box;
};

}  // namespace

std::unique_ptr<RunProgress> QtDialogs::StartProgress() { return std::make_unique<QtRunProgress>(m_window); }

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
    if (!root || !m_window.Files().IsReadableFolder(*root)) return std::nullopt;
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
