#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nomvary {

// One entry of the window's drive list.
struct Drive {
    std::string text;  // what the drive list shows and the settings file keeps
    std::string root;  // the drive's root folder, where the folder list goes
};

// The file system as the program sees it: the folder being renamed, the
// drives and folders the window offers, and the program's own folder. Every
// platform is one implementation of this; names and paths are UTF-8 or raw
// bytes, as the platform's names are.
//
// Failures are answered (false, empty, nullopt) and never thrown: the callers
// skip a failed step and go on.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder separator the run appends before the pattern and strips from
    // the end of the folder path ('\\' on Windows, '/' on POSIX).
    virtual char FolderSeparator() const = 0;
    // Makes `path` the process's current folder. False when it cannot.
    virtual bool SetCurrentFolder(const std::string& path) = 0;
    // Starts a listing of folder + separator + pattern and answers its first
    // matching name (bare, without the folder). Only ordinary files are
    // listed, no folders and no hidden files. An empty answer ends the
    // listing; a listing that cannot start answers empty.
    virtual std::string ListMatchingNames(const std::string& folderAndPattern) = 0;
    // The next name of the listing started last; empty when it is done.
    virtual std::string ListMatchingNames() = 0;
    // Renames a file of the listed folder (bare names, relative to the
    // current folder). Fails, changing nothing, when another file already has
    // the new name or the file cannot be renamed. A rename that changes only
    // the letter case is valid.
    virtual bool RenameFile(const std::string& oldName, const std::string& newName) = 0;
    // The errno-style reason of the last RenameFile that failed; 0 after a
    // success.
    virtual int LastRenameError() const = 0;
    // True when renaming `oldName` to `newName` in the listed folder would
    // meet another file already holding the new name, as RenameFile would
    // see it (a preview check; the rename itself never relies on it).
    virtual bool NameTaken(const std::string& oldName, const std::string& newName) = 0;
    // The folder that holds the program file, without a trailing separator.
    virtual std::string ProgramFolder() = 0;

    // `path` (relative to the current folder, or absolute) as an absolute
    // path with links resolved, when it is a folder whose entries can be
    // read; otherwise nullopt, with the errno-style reason in `error`.
    virtual std::optional<std::string> ResolveReadableFolder(const std::string& path, int& error) = 0;
    // True when `path` is a folder whose entries can be read.
    virtual bool IsReadableFolder(const std::string& path) = 0;
    // The subfolders of `path` a user would pick (no hidden ones, none whose
    // name begins with "."), sorted without regard to ASCII case with bytes
    // breaking ties; nullopt when the folder cannot be read.
    virtual std::optional<std::vector<std::string>> ReadSubfolders(const std::string& path) = 0;
    // The drives a user would pick now, in the order the list shows them.
    virtual std::vector<Drive> Drives() = 0;
    // 0 when the files of `folder` may be renamed, as far as that can be known
    // without renaming one; otherwise the errno-style reason they cannot (a
    // read-only file system, no permission to change the folder).
    virtual int FolderWriteError(const std::string& folder) = 0;
    // The names of every entry of `folder` (of any kind, hidden ones too, but
    // not "." and ".."), in no set order; empty when it cannot be read.
    virtual std::vector<std::string> EntryNames(const std::string& folder) = 0;
};

}  // namespace nomvary
