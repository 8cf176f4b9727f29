#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QListWidget>

namespace nomvary {

// The subfolders of `path` a user would pick (no names beginning with "."),
// sorted without regard to ASCII case; nullopt when the folder cannot be read.
std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path);

// `path` made absolute (against the process's current folder) and lexically
// normal, without a trailing "/" except for the root itself.
std::string NormalFolderPath(const std::string& path);

// A classic folder list: the root, each folder down to the current one (open
// folders), then the current folder's subfolders (closed folders), indented
// by depth. Double click or Enter opens the highlighted folder; the arrow keys
// only move the highlight. Paths are bytes; names are decoded for display only.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    const std::string& Path() const { return m_path; }
    // Moves the list to `path`. False, changing nothing, when it is not a
    // folder that can be read.
    bool SetPath(const std::string& path);
    // The path an entry of the list stands for.
    static std::string EntryPath(const QListWidgetItem* item);

signals:
    // The user opened another folder; Path() is the new one.
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Open(QListWidgetItem* item);
    void Fill(const std::vector<std::string>& subfolders);

    std::string m_path;
};

}  // namespace nomvary
