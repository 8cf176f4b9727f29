#include "main_window.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QResizeEvent>
#include <QShortcut>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "drive_list.h"
#include "folder_list.h"

namespace nomvary {
namespace {

// The window was designed in twips: 15 twips are one pixel at 96 DPI. Qt's
// pixels are device independent, so a high-DPI screen scales them for us.
constexpr double kTwipsPerPixel = 15.0;
constexpr int kClientWidthTwips = 4815;
constexpr int kClientHeightTwips = 4950;

QString ArrayMemberName(const char* array, int index) {
    return QString::fromLatin1(array) + QLatin1Char('_') + QString::number(index);
}

template <typename Widget>
Widget* MakeMember(QWidget* parent, const char* array, int index, const QString& caption = {}) {
    auto* widget = new Widget(caption, parent);
    widget->setObjectName(ArrayMemberName(array, index));
    widget->setProperty("index", index);
    return widget;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

std::string StartFolder() {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).native();
    return error ? std::string("/") : folder;
}

}  // namespace

MainWindow::MainWindow(FileSystem& files, SettingsFile& settingsFile, QtDialogs& dialogs,
                       DriveList::Source drives, QWidget* parent)
    : QWidget(parent),
      m_files(files),
      m_dialogs(dialogs),
      m_drives(drives ? std::move(drives) : DriveList::Source([&files] { return files.Drives(); })),
      m_form(Platform{files, settingsFile, dialogs, m_controls}) {
    setObjectName(QStringLiteral("Mainform"));
    setWindowTitle(QStringLiteral("Nomvary"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("nomvary"), QIcon(QStringLiteral(":/nomvary.svg"))));

    CreateControls();
    Arrange();
    // The keyboard focus shows from the start, not only after the first Tab.
    setAttribute(Qt::WA_KeyboardFocusChange);
    m_dialogs.AttachWindow(this);

    // The lists start at the process's current folder, as designed values:
    // no change handler runs before form_load.
    const std::string start = StartFolder();
    m_drive1->SelectDriveHolding(start);
    if (!m_dir1->SetPath(start)) m_dir1->SetPath("/");

    ConnectHandlers();
    m_form.form_load();
}

MainWindow::~MainWindow() { m_dialogs.AttachWindow(nullptr); }

void MainWindow::CreateControls() {
    m_drive1 = new DriveList(m_drives, this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->setAccessibleName(QStringLiteral("Drive"));

    m_dir1 = new FolderList(m_files, this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setAccessibleName(QStringLiteral("Folder"));
    // The folder a run would rename in stays in sight, whatever the list
    // shows.
    connect(m_dir1, &FolderList::chosenFolderChanged, this, [this] {
        const std::string& path = m_dir1->Path();
        setWindowTitle(QStringLiteral("Nomvary - ") +
                       QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
    });

    m_command1 = new QPushButton(QStringLiteral("RUN"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    QFont arial = m_command1->font();
    arial.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    arial.setPointSizeF(9);
    arial.setBold(true);
    m_command1->setFont(arial);

    for (int i = 0; i < 2; ++i) {
        m_frame1[i] = MakeMember<QGroupBox>(this, "Frame1", i);
        m_frame1[i]->setFocusPolicy(Qt::NoFocus);
    }
    m_blankopt[0] = MakeMember<QRadioButton>(m_frame1[0], "blankopt", 0, QStringLiteral("_ to blank"));
    m_blankopt[1] = MakeMember<QRadioButton>(m_frame1[0], "blankopt", 1, QStringLiteral("blank to _"));
    m_fnamopt[0] = MakeMember<QRadioButton>(m_frame1[1], "fnamopt", 0, QStringLiteral("Just mp3's"));
    m_fnamopt[1] = MakeMember<QRadioButton>(m_frame1[1], "fnamopt", 1, QStringLiteral("All files"));
    m_blankopt[0]->setChecked(true);
    m_fnamopt[0]->setChecked(true);

    m_autorunbox = MakeCheckBox(this, "autorunbox", "Autorun next time");
    m_capcheck = MakeCheckBox(this, "capcheck", "Capitalize");
    m_capsubcheck = MakeCheckBox(this, "capsubcheck", "except ({[ ]})");
    // Enabled exactly while "Capitalize" is checked, also when no settings
    // could be loaded to set it up.
    m_capsubcheck->setEnabled(false);
    m_featcheck = MakeCheckBox(this, "featcheck", "Exclude \"feat.\"");
    m_vscheck = MakeCheckBox(this, "vscheck", "Exclude \"vs.\"");

    m_command3 = new QPushButton(QStringLiteral("Preview"), this);
    m_command3->setObjectName(QStringLiteral("Command3"));
    m_command3->setToolTip(QStringLiteral("Lists what RUN would rename, and what would fail, without renaming"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setTextFormat(Qt::PlainText);

    m_command2 = new QPushButton(QStringLiteral("about"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    QFont verdana = m_command2->font();
    verdana.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    verdana.setPointSizeF(8.25);
    verdana.setBold(false);
    m_command2->setFont(verdana);

    const std::array<QWidget*, 14> tabOrder = {
        m_drive1,     m_dir1,       m_command1,  m_command3,  m_blankopt[0], m_blankopt[1], m_fnamopt[0],
        m_fnamopt[1], m_autorunbox, m_capcheck, m_capsubcheck, m_featcheck,  m_vscheck,     m_command2};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

// How a control follows a window grown past its designed size: the folder
// list takes the extra room, the column of options keeps to the right edge,
// the bottom row to the bottom edge.
enum class Anchor { none, widen, grow, right, down, downWiden };

struct MainWindow::Placement {
    QWidget* widget;
    int left, top, width, height;  // twips, inside the parent
    bool measureWidth;             // the caption must fit across
    bool measureHeight;
    Anchor anchor;
};

void MainWindow::Arrange() {
    // Where the platform's font needs more room than the design gave, the
    // whole form grows by the same factor along that axis: every caption fits
    // and no control runs into its neighbour.
    m_growX = m_growY = 1.0;
    Place(QSize(0, 0), true);
    const auto x = [this](int twips) { return static_cast<int>(std::ceil(twips * m_growX / kTwipsPerPixel)); };
    const auto y = [this](int twips) { return static_cast<int>(std::ceil(twips * m_growY / kTwipsPerPixel)); };
    m_designSize = QSize(x(kClientWidthTwips), y(kClientHeightTwips));
    setMinimumSize(m_designSize);
    resize(m_designSize);
    Place(QSize(0, 0));
}

void MainWindow::Place(QSize extra, bool measure) {
    const std::array<Placement, 17> design = {{
        {m_drive1, 240, 240, 2535, 315, false, true, Anchor::widen},
        {m_dir1, 240, 720, 2535, 3240, false, false, Anchor::grow},
        {m_command1, 3000, 240, 1575, 495, true, true, Anchor::right},
        {m_frame1[0], 3000, 840, 1575, 975, false, false, Anchor::right},
        {m_blankopt[0], 240, 150, 1095, 375, true, true, Anchor::none},
        {m_blankopt[1], 240, 510, 1095, 375, true, true, Anchor::none},
        {m_frame1[1], 3000, 1920, 1575, 975, false, false, Anchor::right},
        {m_fnamopt[0], 240, 150, 1215, 375, true, true, Anchor::none},
        {m_fnamopt[1], 240, 510, 1095, 375, true, true, Anchor::none},
        {m_autorunbox, 3000, 3120, 1575, 255, true, true, Anchor::right},
        {m_capcheck, 3000, 3480, 1575, 255, true, true, Anchor::right},
        {m_capsubcheck, 3240, 3720, 1455, 255, true, true, Anchor::right},
        {m_featcheck, 3000, 4080, 1575, 255, true, true, Anchor::right},
        {m_vscheck, 3000, 4440, 1455, 255, true, true, Anchor::right},
        // "Preview" shares the row under the folder list with "about".
        {m_command3, 240, 4260, 1215, 375, true, true, Anchor::down},
        {m_command2, 1560, 4260, 1215, 375, true, true, Anchor::down},
        {m_status, 240, 4680, 4335, 255, false, true, Anchor::downWiden},
    }};
    if (measure) {
        for (const Placement& p : design) {
            const QSize hint = p.widget->sizeHint();
            if (p.measureWidth) m_growX = std::max(m_growX, hint.width() * kTwipsPerPixel / p.width);
            if (p.measureHeight) m_growY = std::max(m_growY, hint.height() * kTwipsPerPixel / p.height);
        }
    }
    const auto x = [this](int twips) { return static_cast<int>(std::ceil(twips * m_growX / kTwipsPerPixel)); };
    const auto y = [this](int twips) { return static_cast<int>(std::ceil(twips * m_growY / kTwipsPerPixel)); };
    const int dx = std::max(0, extra.width()), dy = std::max(0, extra.height());
    for (const Placement& p : design) {
        QRect r(x(p.left), y(p.top), x(p.width), y(p.height));
        switch (p.anchor) {
            case Anchor::none: break;
            case Anchor::widen: r.setWidth(r.width() + dx); break;
            case Anchor::grow: r.setSize(r.size() + QSize(dx, dy)); break;
            case Anchor::right: r.translate(dx, 0); break;
            case Anchor::down: r.translate(0, dy); break;
            case Anchor::downWiden: r.translate(0, dy); r.setWidth(r.width() + dx); break;
        }
        p.widget->setGeometry(r);
    }
    ShowStatusElided();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_designSize.isValid()) Place(size() - m_designSize);
}

void MainWindow::SetStatusText(const std::string& text) {
    m_statusText = QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    m_status->setToolTip(m_statusText);
    ShowStatusElided();
}

void MainWindow::ShowStatusElided() {
    m_status->setText(m_status->fontMetrics().elidedText(m_statusText, Qt::ElideMiddle, m_status->width()));
}

template <typename Handler>
void MainWindow::Raise(Handler handler) {
    if (!m_ended) handler();
}

void MainWindow::ConnectHandlers() {
    connect(m_drive1, &DriveList::driveChanged, this, [this] { Raise([this] { m_form.Drive1_Change(); }); });
    connect(m_dir1, &FolderList::pathChanged, this, [this] { Raise([this] { m_form.Dir1_Change(); }); });
    connect(m_command1, &QPushButton::clicked, this, [this] { Raise([this] { m_form.Command1_Click(); }); });
    connect(m_command2, &QPushButton::clicked, this, [this] { Raise([this] { m_form.Command2_Click(); }); });
    connect(m_command3, &QPushButton::clicked, this, [this] { Raise([this] { m_form.Command3_Click(); }); });
    // F5 reads the shown folder anew, wherever the focus is; not during a run.
    auto* reread = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(reread, &QShortcut::activated, this, [this] {
        if (!m_ended && !m_form.Values().running) m_dir1->Reread();
    });
    connect(m_capcheck, &QCheckBox::clicked, this, [this] { Raise([this] { m_form.capcheck_Click(); }); });
    for (int i = 0; i < 2; ++i) {
        connect(m_blankopt[i], &QRadioButton::clicked, this,
                [this, i] { Raise([this, i] { m_form.blankopt_Click(i); }); });
        connect(m_fnamopt[i], &QRadioButton::clicked, this,
                [this, i] { Raise([this, i] { m_form.fnamopt_Click(i); }); });
    }
}

QRadioButton* MainWindow::Option(OptionArray array, int index) const {
    const auto& members = array == OptionArray::blankopt ? m_blankopt : m_fnamopt;
    return members[index == 0 ? 0 : 1];
}

QCheckBox* MainWindow::Box(CheckBox box) const {
    switch (box) {
        case CheckBox::autorunbox: return m_autorunbox;
        case CheckBox::capcheck: return m_capcheck;
        case CheckBox::capsubcheck: return m_capsubcheck;
        case CheckBox::featcheck: return m_featcheck;
        case CheckBox::vscheck: return m_vscheck;
    }
    return m_autorunbox;
}

void MainWindow::EndWithoutUnload() {
    m_ended = true;
    hide();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || m_activated) return;
    // Only the first activation counts: the window becomes active again each
    // time a message box closes, and the autorun must not start over.
    m_activated = true;
    // Queued, so the window is drawn before an autorun's message box covers it.
    QTimer::singleShot(0, this, [this] { Raise([this] { m_form.Form_Activate(); }); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // During a run the close waits for the run to stop after the file at
    // hand; the run then closes the window itself.
    if (!m_ended && !m_form.Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Raise([this] { m_form.Form_Unload(); });
    event->accept();
}

}  // namespace nomvary
