#include "talvo/host/dynamic_library.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#if defined(_WIN32)
#include <io.h>
#include <stdio.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace talvo_host {

#if defined(_WIN32)

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "LoadLibrary failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module));
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(static_cast<HMODULE>(m_handle)); }

void* DynamicLibrary::Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

std::string ExecutableFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return std::string();
    }
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

const char* LibraryFileName() { return "Talvo.dll"; }

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

std::string AbsolutePath(const std::string& path) {
    char* full = _fullpath(nullptr, path.empty() ? "." : path.c_str(), 0);
    if (full == nullptr) {
        return path;
    }
    std::string absolute(full);
    std::free(full);
    return absolute;
}

PathKind KindOfPath(const std::string& path) {
    struct _stat status;
    if (_stat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? PathKind::Missing : PathKind::Unreachable;
    }
    return (status.st_mode & _S_IFMT) == _S_IFDIR ? PathKind::Folder : PathKind::File;
}

bool FolderCanBeSearched(const std::string&) { return true; }

#else

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "dlopen failed";
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() { dlclose(m_handle); }

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(m_handle, name); }

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof path) {
        return std::string();
    }
    std::string folder(path, static_cast<std::size_t>(length));
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

const char* LibraryFileName() { return "libtalvo.so"; }

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

std::string AbsolutePath(const std::string& path) {
    const std::string given = path.empty() ? "." : path;
    if (char* resolved = realpath(given.c_str(), nullptr)) {
        std::string absolute(resolved);
        std::free(resolved);
        return absolute;
    }
    if (given.front() == '/') {
        return given;
    }
    char* current = getcwd(nullptr, 0);
    if (current == nullptr) {
        return given;
    }
    std::string absolute(current);
    std::free(current);
    return absolute + (absolute.back() == '/' ? "" : "/") + given;
}

PathKind KindOfPath(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unreachable;
    }
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}

bool FolderCanBeSearched(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

#endif

}  // namespace talvo_host
