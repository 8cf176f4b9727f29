#include "folder_list.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>


namespace nomvary {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPx = 12;

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? folder + name : folder + '/' + name;
}

QString Display(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// Indents each entry by its depth, the way a classic folder list draws its
// tree, and marks the current entry while the list has the keyboard focus
// (not every style draws a focus mark on an item).
class DepthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(Indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
        if (option.state & QStyle::State_HasFocus) {
            const bool selected = option.state & QStyle::State_Selected;
            painter->save();
            painter->setPen(QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
                                 Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }

private:
    static int Indent(const QModelIndex& index) { return index.data(kDepthRole).toInt() * kIndentPx; }
};

}  // namespace

std::string NormalFolderPath(const std::string& path) {
    std::filesystem::path full(path);
    if (full.is_relative()) {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        if (error) return {};
        full = current / full;
    }
    std::string normal = full.lexically_normal().native();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

FolderList::FolderList(FileSystem& files, QWidget* parent) : QListWidget(parent), m_files(files) {
    setItemDelegate(new DepthDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Entries are as wide as their depth and name need, so a deep folder
    // scrolls sideways instead of being cut.
    setUniformItemSizes(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { Choose(item); });
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::Open);
}

std::string FolderList::EntryPath(const QListWidgetItem* item) {
    const QByteArray path = item->data(kPathRole).toByteArray();
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

bool FolderList::SetPath(const std::string& path) {
    if (path.empty()) return false;
    const std::string normal = NormalFolderPath(path);
    if (normal.empty()) return false;
    const std::optional<std::vector<std::string>> subfolders = m_files.ReadSubfolders(normal);
    if (!subfolders) return false;
    const bool changed = normal != m_path;
    m_path = m_open = normal;
    Fill(*subfolders);
    if (changed) emit chosenFolderChanged();
    return true;
}

void FolderList::Fill(const std::vector<std::string>& subfolders) {
    QSignalBlocker quiet(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon& icon, const std::string& name, const std::string& path, int depth) {
        auto* item = new QListWidgetItem(icon, Display(name), this);
        item->setData(kPathRole, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
        item->setData(kDepthRole, depth);
        item->setToolTip(Display(path));
        if (path != m_open && !m_files.IsReadableFolder(path)) {
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            item->setToolTip(Display(path) +
                             QStringLiteral("\nCannot be opened: no permission to read it, or it is gone."));
        }
        return item;
    };

    // The chain from the root down to the open folder.
    QListWidgetItem* entry = add(open, "/", "/", 0);
    QListWidgetItem* chosen = m_path == "/" ? entry : nullptr;
    int depth = 0;
    std::size_t start = 1;
    while (start < m_open.size()) {
        std::size_t end = m_open.find('/', start);
        if (end == std::string::npos) end = m_open.size();
        entry = add(open, m_open.substr(start, end - start), m_open.substr(0, end), ++depth);
        if (m_open.substr(0, end) == m_path) chosen = entry;
        start = end + 1;
    }
    QListWidgetItem* const openEntry = entry;
    for (const std::string& name : subfolders) {
        entry = add(closed, name, Join(m_open, name), depth + 1);
        if (EntryPath(entry) == m_path) chosen = entry;
    }
    // When the chosen folder went away, the open one is chosen instead, so
    // the highlight never stands on a folder the run would not use.
    const bool lost = chosen == nullptr;
    setCurrentItem(lost ? openEntry : chosen);
    ShowChosen();
    quiet.unblock();
    if (lost) {
        m_path = m_open;
        emit chosenFolderChanged();
        emit pathChanged();
    }
}

void FolderList::Refresh() {
    if (const auto subfolders = m_files.ReadSubfolders(m_open)) Fill(*subfolders);
}

void FolderList::Reread() {
    // The open folder itself may have gone: then the nearest folder above it
    // that can still be read is opened and chosen.
    std::string folder = m_open;
    std::optional<std::vector<std::string>> subfolders;
    while (!(subfolders = m_files.ReadSubfolders(folder)) && folder != "/") {
        const std::size_t slash = folder.rfind('/');
        folder = slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
    }
    if (!subfolders) return;
    m_open = folder;
    Fill(*subfolders);
}

void FolderList::Choose(QListWidgetItem* item) {
    if (item == nullptr) return;
    const std::string target = EntryPath(item);
    if (target == m_path) return;
    if (!m_files.IsReadableFolder(target)) {
        // The folder went away or became unreadable: it is not chosen, and the
        // list shows what is there now, the chosen folder still highlighted.
        QTimer::singleShot(0, this, [this] { Refresh(); });
        return;
    }
    m_path = target;
    emit chosenFolderChanged();
    emit pathChanged();
}

void FolderList::Open(QListWidgetItem* item) {
    if (item == nullptr) return;
    Choose(item);
    const std::string target = EntryPath(item);
    if (target != m_path) return;
    if (target == m_open) {
        Reread();
        return;
    }
    if (const auto subfolders = m_files.ReadSubfolders(target)) {
        m_open = target;
        Fill(*subfolders);
    }
}

void FolderList::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    ShowChosen();
}

void FolderList::ShowChosen() {
    QListWidgetItem* chosen = currentItem();
    if (chosen == nullptr) return;
    scrollToItem(chosen);
    // Deep entries begin far to the right: show where the chosen one's name
    // begins.
    horizontalScrollBar()->setValue(chosen->data(kDepthRole).toInt() * kIndentPx);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace nomvary
