#pragma once

// The platform side of the stand-in host: loading a shared library by path at
// run time and finding its exports, the folder of the running program, and
// what stands at a path. Everything platform-specific of talvo-host lives in
// dynamic_library.cpp. Paths are byte strings, passed to the system as they are.

#include <memory>
#include <string>

namespace talvo_host {

class DynamicLibrary {
public:
    // The loaded library, or null with the loader's reason in `error`.
    static std::unique_ptr<DynamicLibrary> Open(const std::string& path, std::string& error);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of the export `name` (its plain, undecorated name), or null.
    void* Symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : m_handle(handle) {}
    void* m_handle;
};

// The folder that holds the running program, ending in a separator; empty
// when the system does not tell.
std::string ExecutableFolder();

// The file name of the Talvo library on this platform.
const char* LibraryFileName();

// True when standard input is a terminal rather than a file or a pipe.
bool StandardInputIsTerminal();

// The absolute form of `path` (an empty path is the current folder): with
// links and "." resolved where it exists, else joined to the current folder.
std::string AbsolutePath(const std::string& path);

enum class PathKind {
    Missing,      // nothing stands there
    File,         // anything that is not a folder
    Folder,
    Unreachable,  // the system will not say (a folder above cannot be searched)
};
PathKind KindOfPath(const std::string& path);

// True when the files inside the folder `path` can be opened by name, as far
// as the folder's own permissions go (always true on Windows).
bool FolderCanBeSearched(const std::string& path);

}  // namespace talvo_host
