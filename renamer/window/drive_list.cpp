#include "drive_list.h"

#include <QAbstractItemView>
#include <QFile>
#include <QPen>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

namespace nomvary {
namespace {

QString Display(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace

DriveList::DriveList(Source source, QWidget* parent) : QComboBox(parent), m_source(std::move(source)) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Refresh();
    connect(this, &QComboBox::activated, this, &DriveList::OnActivated);
}

std::string DriveList::DriveText() const { return m_current; }

int DriveList::IndexOf(const std::string& text) const {
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].text == text) return static_cast<int>(i);
    }
    return -1;
}

void DriveList::Refresh() {
    std::vector<Drive> drives = m_source();
    // A drive that went away stays listed while it is the current one, so the
    // list never shows a drive the program did not choose.
    bool hasCurrent = m_current.empty();
    for (const Drive& drive : drives) hasCurrent = hasCurrent || drive.text == m_current;
    if (!hasCurrent) {
        for (const Drive& drive : m_drives) {
            if (drive.text == m_current) drives.push_back(drive);
        }
    }
    m_drives = std::move(drives);

    const QSignalBlocker quiet(this);
    clear();
    for (const Drive& drive : m_drives) {
        addItem(Display(drive.text));
        // A long mount point would be cut in the closed list.
        setItemData(count() - 1, Display(drive.text), Qt::ToolTipRole);
    }
    setCurrentIndex(IndexOf(m_current));
    if (currentIndex() < 0 && !m_drives.empty()) {
        setCurrentIndex(0);
        m_current = m_drives.front().text;
    }
    ShowCurrentInToolTip();
}

void DriveList::ShowCurrentInToolTip() { setToolTip(Display(m_current)); }

bool DriveList::SelectDrive(const std::string& text, bool& changed) {
    changed = false;
    Refresh();
    const int index = IndexOf(text);
    if (index < 0) return false;
    changed = text != m_current;
    m_current = text;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
    ShowCurrentInToolTip();
    return true;
}

void DriveList::SelectDriveHolding(const std::string& path) {
    Refresh();
    if (const Drive* drive = DriveHolding(m_drives, path)) {
        m_current = drive->text;
        const QSignalBlocker quiet(this);
        setCurrentIndex(IndexOf(m_current));
        ShowCurrentInToolTip();
    }
}

std::optional<std::string> DriveList::RootOf(const std::string& text) {
    for (const Drive& drive : m_source()) {
        if (drive.text == text) return drive.root;
    }
    return std::nullopt;
}

void DriveList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    // A text too long for the closed list loses its middle to an ellipsis,
    // keeping the start of the mount point and the file system type.
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    int room = field.width();
    if (!option.currentIcon.isNull()) room -= option.iconSize.width() + 4;
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, std::max(room, 0));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    // Not every style marks a focused closed list; the keyboard focus starts
    // here, so it must show.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        painter.drawRect(field.adjusted(1, 1, -2, -2));
    }
}

void DriveList::showPopup() {
    Refresh();
    // The open list is as wide as its longest entry needs, even where that
    // is wider than the closed list.
    view()->setTextElideMode(Qt::ElideNone);
    const int needed = view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                       view()->verticalScrollBar()->sizeHint().width();
    view()->setMinimumWidth(std::max(width(), needed));
    QComboBox::showPopup();
}

void DriveList::OnActivated(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_drives.size()) return;
    const std::string& text = m_drives[static_cast<std::size_t>(index)].text;
    if (text == m_current) return;
    m_current = text;
    ShowCurrentInToolTip();
    emit driveChanged();
}

}  // namespace nomvary
