#include "windows_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <memory>

#include "name_pattern.h"
#include "wide_text.h"

namespace nomvary {
namespace {

struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + L'\\' + name;
}

// Opens a listing of every entry of `folder`; null when it cannot be read.
FindHandle FindEntries(const std::wstring& folder, WIN32_FIND_DATAW& found) {
    HANDLE handle = FindFirstFileExW(Join(folder, L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    return FindHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

bool IsUserVisible(const WIN32_FIND_DATAW& found) {
    return found.cFileName[0] != L'.' &&
           (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool IsBareName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

// Names equal as Windows file systems compare them.
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int ErrnoFromWindowsError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_NOT_READY:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return EINVAL;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        default:
            return EIO;
    }
}

bool WindowsFileSystem::SetCurrentFolder(const std::string& path) {
    return SetCurrentDirectoryW(WideFromUtf8(path).c_str()) != 0;
}

std::string WindowsFileSystem::ListMatchingNames(const std::string& folderAndPattern) {
    m_listing.clear();
    m_nextName = 0;
    const std::wstring wide = WideFromUtf8(folderAndPattern);
    const std::size_t cut = wide.find_last_of(L"\\/");
    m_folder = cut == std::wstring::npos ? L"." : wide.substr(0, cut + 1);
    const std::string pattern = Utf8FromWide(cut == std::wstring::npos ? wide : wide.substr(cut + 1));

    WIN32_FIND_DATAW found;
    const FindHandle entries = FindEntries(m_folder, found);
    if (!entries) return {};
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsUserVisible(found)) continue;
        std::string name = Utf8FromWide(found.cFileName);
        if (PatternMatches(pattern, name)) m_listing.push_back(std::move(name));
    } while (FindNextFileW(entries.get(), &found));
    std::sort(m_listing.begin(), m_listing.end());
    return ListMatchingNames();
}

std::string WindowsFileSystem::ListMatchingNames() {
    return m_nextName < m_listing.size() ? m_listing[m_nextName++] : std::string();
}

bool WindowsFileSystem::RenameFile(const std::string& oldName, const std::string& newName) {
    const std::wstring from = WideFromUtf8(oldName), to = WideFromUtf8(newName);
    if (!IsBareName(from) || !IsBareName(to)) {
        m_lastRenameError = EINVAL;
        return false;
    }
    const std::wstring folder = m_folder.empty() ? L"." : m_folder;
    const std::wstring fromPath = Join(folder, from), toPath = Join(folder, to);
    // Without MOVEFILE_REPLACE_EXISTING an existing target always refuses.
    if (!SameNameIgnoringCase(from, to)) {
        if (MoveFileExW(fromPath.c_str(), toPath.c_str(), 0)) {
            m_lastRenameError = 0;
            return true;
        }
        m_lastRenameError = ErrnoFromWindowsError(GetLastError());
        return false;
    }
    // A case-only rename: the new name finds the file itself, which some file
    // systems then leave as it was while reporting success. A temporary name
    // gets there in two steps, each still replacing nothing; another file
    // spelt like the new name still refuses the second step.
    if (NameTaken(oldName, newName)) {
        m_lastRenameError = EEXIST;
        return false;
    }
    const std::wstring temporary = Join(folder, L".nomvary-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                                    std::to_wstring(GetTickCount64()) + L".tmp");
    DWORD error = ERROR_SUCCESS;
    if (MoveFileExW(fromPath.c_str(), temporary.c_str(), 0)) {
        if (MoveFileExW(temporary.c_str(), toPath.c_str(), 0)) {
            m_lastRenameError = 0;
            return true;
        }
        error = GetLastError();
        MoveFileExW(temporary.c_str(), fromPath.c_str(), 0);
    } else {
        error = GetLastError();
    }
    m_lastRenameError = ErrnoFromWindowsError(error);
    return false;
}

bool WindowsFileSystem::NameTaken(const std::string& oldName, const std::string& newName) {
    const std::wstring from = WideFromUtf8(oldName), to = WideFromUtf8(newName);
    const std::wstring folder = m_folder.empty() ? L"." : m_folder;
    if (!Exists(Join(folder, to))) return false;
    if (!SameNameIgnoringCase(from, to)) return true;
    // The new name may find the file itself; it is taken only when another
    // entry of the folder is spelt that way.
    WIN32_FIND_DATAW found;
    const FindHandle entries = FindEntries(folder, found);
    if (!entries) return true;
    do {
        if (from != found.cFileName && SameNameIgnoringCase(to, found.cFileName)) return true;
    } while (FindNextFileW(entries.get(), &found));
    return false;
}

int WindowsFileSystem::FolderWriteError(const std::string& folder) {
    const std::wstring wide = WideFromUtf8(folder.empty() ? "." : folder);
    if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return ErrnoFromWindowsError(GetLastError());
    wchar_t root[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (GetVolumePathNameW(wide.c_str(), root, MAX_PATH + 1) &&
        GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
        (flags & FILE_READ_ONLY_VOLUME) != 0) {
        return EROFS;
    }
    return 0;
}

std::vector<std::string> WindowsFileSystem::EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const FindHandle entries = FindEntries(WideFromUtf8(folder.empty() ? "." : folder), found);
    if (!entries) return names;
    do {
        const std::wstring_view name(found.cFileName);
        if (name != L"." && name != L"..") names.push_back(Utf8FromWide(name));
    } while (FindNextFileW(entries.get(), &found));
    return names;
}

std::string WindowsFileSystem::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::string() : Utf8FromWide(path.substr(0, cut));
}

std::optional<std::string> WindowsFileSystem::ResolveReadableFolder(const std::string& path, int& error) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed == 0 ? 0 : GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        error = ErrnoFromWindowsError(GetLastError());
        return std::nullopt;
    }
    full.resize(length);
    // "C:\" keeps its separator; any other folder loses it.
    while (full.size() > 3 && IsSeparator(full.back())) full.pop_back();
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = ErrnoFromWindowsError(GetLastError());
        return std::nullopt;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = ENOTDIR;
        return std::nullopt;
    }
    WIN32_FIND_DATAW found;
    if (!FindEntries(full, found)) {
        error = ErrnoFromWindowsError(GetLastError());
        return std::nullopt;
    }
    error = 0;
    return Utf8FromWide(full);
}

bool WindowsFileSystem::IsReadableFolder(const std::string& path) {
    WIN32_FIND_DATAW found;
    return !path.empty() && FindEntries(WideFromUtf8(path), found) != nullptr;
}

std::optional<std::vector<std::string>> WindowsFileSystem::ReadSubfolders(const std::string& path) {
    WIN32_FIND_DATAW found;
    const FindHandle entries = FindEntries(WideFromUtf8(path), found);
    if (!entries) return std::nullopt;
    std::vector<std::string> names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && IsUserVisible(found)) {
            names.push_back(Utf8FromWide(found.cFileName));
        }
    } while (FindNextFileW(entries.get(), &found));
    std::sort(names.begin(), names.end(), FolderNameLess);
    return names;
}

std::vector<Drive> WindowsFileSystem::Drives() {
    std::wstring roots(128, L'\0');
    DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (length > roots.size()) {
        roots.assign(length, L'\0');
        length = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    }
    if (length == 0 || length > roots.size()) return {};
    roots.resize(length);

    // A drive without a medium must not ask the user to insert one.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::vector<Drive> drives;
    for (std::size_t start = 0; start < roots.size();) {
        const std::size_t end = roots.find(L'\0', start);
        const std::wstring root = roots.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? roots.size() : end + 1;
        if (root.size() < 2 || root[1] != L':') continue;
        std::wstring text{static_cast<wchar_t>(std::towlower(root[0])), L':'};
        wchar_t label[MAX_PATH + 1] = {};
        if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
            label[0] != L'\0') {
            text += L" [";
            text += label;
            text += L']';
        }
        drives.push_back(Drive{Utf8FromWide(text), Utf8FromWide(root)});
    }
    SetErrorMode(oldMode);
    return drives;
}

}  // namespace nomvary
