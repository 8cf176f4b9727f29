#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QListWidget>

#include "file_system.h"

namespace nomvary {

// `path` made absolute (against the process's current folder) and lexically
// normal, without a trailing "/" except for the root itself.
std::string NormalFolderPath(const std::string& path);

// A classic folder list: the root, each folder down to the open one (open
// folders), then the open folder's subfolders (closed folders), indented by
// depth. As in a file manager's folder tree, the highlighted entry is always
// the chosen folder, Path(): a click or the arrow keys choose a folder, and a
// double click or Enter also opens it to show its subfolders; opening the
// open folder again, or Reread(), reads it anew. A folder that cannot be read
// is shown unavailable (greyed, its tooltip saying why): the arrow keys pass
// over it and a click does not choose it. Paths are bytes; names are decoded
// for display only.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    // `files` reads the folders and must outlive the list.
    explicit FolderList(FileSystem& files, QWidget* parent = nullptr);

    // The chosen folder, the highlighted entry.
    const std::string& Path() const { return m_path; }
    // Opens and chooses `path`. False, changing nothing, when it is not a
    // folder that can be read.
    bool SetPath(const std::string& path);
    // The path an entry of the list stands for.
    static std::string EntryPath(const QListWidgetItem* item);
    // Reads the open folder anew: folders made or removed meanwhile show,
    // the chosen one stays chosen while it is there.
    void Reread();

signals:
    // The user chose another folder; Path() is the new one.
    void pathChanged();
    // Path() changed, by the user or by SetPath.
    void chosenFolderChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Brings the chosen folder into sight once the list has its real size.
    void showEvent(QShowEvent* event) override;

private:
    void Choose(QListWidgetItem* item);
    void Open(QListWidgetItem* item);
    // Shows the chain down to m_open and its subfolders, highlighting m_path.
    void Fill(const std::vector<std::string>& subfolders);
    // Shows the open folder as it is now, after a folder went away.
    void Refresh();
    // Scrolls the chosen entry, its name included, into sight.
    void ShowChosen();

    FileSystem& m_files;
    std::string m_path;  // the chosen folder
    std::string m_open;  // the folder whose subfolders are shown
};

}  // namespace nomvary
