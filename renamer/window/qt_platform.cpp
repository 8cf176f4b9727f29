#include "qt_platform.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QVBoxLayout>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRadioButton>

#include <algorithm>
#include <climits>
#include <vector>

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

// Shows nothing for the first half second of a run; then a box with "N of M
// files" (counts grouped as the user's locale groups digits) and Cancel.
// While it shows, the run lets the application handle its events every few
// files' worth of time, so the window keeps painting and Cancel is heard.
// The window's controls are disabled meanwhile, instead of the box being
// modal: a modal box would keep the window's close request away, and a close
// must stop the run.
class QtRunProgress : public RunProgress {
public:
    explicit QtRunProgress(QWidget* window) : m_window(window) { m_clock.start(); }
    ~QtRunProgress() override {
        for (const QPointer<QWidget>& control : m_disabled) {
            if (control) control->setEnabled(true);
        }
    }
    QtRunProgress(const QtRunProgress&) = delete;
    QtRunProgress& operator=(const QtRunProgress&) = delete;

    bool Advance(std::size_t done, std::size_t total) override {
        constexpr qint64 kShowAfterMs = 500;
        constexpr qint64 kUpdateEveryMs = 40;
        const qint64 now = m_clock.elapsed();
        if (!m_box) {
            if (now < kShowAfterMs) return true;
            DisableControls();
            m_box = std::make_unique<QProgressDialog>(m_window);
            m_box->setWindowTitle(QStringLiteral("Nomvary"));
            m_box->setWindowModality(Qt::NonModal);
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
        const QLocale locale;
        m_box->setLabelText(QStringLiteral("%1 of %2 files")
                                .arg(locale.toString(static_cast<qulonglong>(done)),
                                     locale.toString(static_cast<qulonglong>(total))));
        m_box->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
        QCoreApplication::processEvents();
        return !m_box->wasCanceled();
    }

private:
    void DisableControls() {
        if (m_window == nullptr) return;
        for (QWidget* control : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isWindow() || !control->isEnabled()) continue;
            control->setEnabled(false);
            m_disabled.emplace_back(control);
        }
    }

    QWidget* m_window;
    QElapsedTimer m_clock;
    qint64 m_shownAt = 0;
    std::unique_ptr<QProgressDialog> m_box;
    std::vector<QPointer<QWidget>> m_disabled;
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

void QtDialogs::ShowPreview(const std::string& summary, const std::vector<std::string>& lines) {
    QDialog box(m_window);
    box.setObjectName(QStringLiteral("Preview"));
    box.setWindowTitle(QStringLiteral("Preview"));
    auto* layout = new QVBoxLayout(&box);
    auto* label = new QLabel(BoxText(summary), &box);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto* list = new QListWidget(&box);
    list->setUniformItemSizes(true);
    for (const std::string& line : lines) {
        list->addItem(QFile::decodeName(QByteArray(line.data(), static_cast<qsizetype>(line.size()))));
    }
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    if (m_window != nullptr) box.resize(std::max(m_window->width() * 3 / 2, 480), std::max(m_window->height(), 320));
    box.exec();
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

void QtControls::SetStatusText(const std::string& text) { m_window.SetStatusText(text); }

}  // namespace nomvary
