#pragma once

#include <string>

namespace nomvary {

// The file system as the batch run sees it: the folder being renamed and the
// program's own folder.
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
    // The folder that holds the program file, without a trailing separator.
    virtual std::string ProgramFolder() = 0;

};

}  // namespace nomvary
