#include "windows_settings_file.h"

#include <windows.h>

#include <algorithm>

#include "settings.h"
#include "wide_text.h"

namespace nomvary {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Whether a new file can be made in `folder`: a probe file that goes again
// as soon as it is closed. Asking the access rights would miss the folder
// redirection and read-only media that only an attempt shows.
bool FolderTakesNewFile(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\.nomvary-" + std::to_wstring(GetCurrentProcessId()) + L".probe";
    HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

}  // namespace

std::string RecordTextFromUtf8(const std::string& text, unsigned codePage) {
    const std::wstring wide = WideFromUtf8(text);
    if (wide.empty()) return {};
    BOOL lost = FALSE;
    // UTF-7 and UTF-8 "ANSI" pages take no lost-character flag; they hold
    // every character anyway.
    const bool unicodePage = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL* lostFlag = unicodePage ? nullptr : &lost;
    const DWORD flags = unicodePage ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, lostFlag);
    if (size <= 0 || lost) return text;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                        lostFlag);
    // A character that only looked the same in the page is lost too: the
    // text must come back as it went.
    return Utf8FromRecordText(out, codePage) == text && !lost ? out : text;
}

std::string Utf8FromRecordText(std::string_view stored, unsigned codePage) {
    if (stored.empty() || IsUtf8BeyondAscii(stored)) return std::string(stored);
    const int size = MultiByteToWideChar(codePage, 0, stored.data(), static_cast<int>(stored.size()), nullptr, 0);
    if (size <= 0) return std::string(stored);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, stored.data(), static_cast<int>(stored.size()), wide.data(), size);
    return Utf8FromWide(wide);
}

WindowsSettingsFile::~WindowsSettingsFile() {
    if (m_handle != nullptr) CloseHandle(m_handle);
}

std::string WindowsSettingsFile::ChooseSettingsPath(const std::string& inProgramFolder) {
    const std::wstring path = WideFromUtf8(inProgramFolder);
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut != std::wstring::npos) {
        const std::wstring folder = path.substr(0, cut);
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES || FolderTakesNewFile(folder)) {
            return inProgramFolder;
        }
    }
    // A program under Program Files cannot write its own folder: each user's
    // choices go where Windows keeps a user's program settings.
    wchar_t appData[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return inProgramFolder;
    std::wstring config(appData, length);
    while (!config.empty() && IsSeparator(config.back())) config.pop_back();
    config += L"\\nomvary";
    CreateDirectoryW(config.c_str(), nullptr);
    const std::wstring name = cut == std::wstring::npos ? WideFromUtf8(kSettingsFileName) : path.substr(cut + 1);
    return Utf8FromWide(config + L'\\' + name);
}

bool WindowsSettingsFile::OpenSettingsFile(const std::string& path) {
    CloseSettingsFileHandle();
    if (path.empty()) return false;
    const std::wstring wide = WideFromUtf8(path);
    // OPEN_ALWAYS, not CREATE_ALWAYS: a longer file keeps its bytes past the
    // record.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        // A file we may read but not write still holds the user's choices;
        // writing it then fails and changes nothing.
        handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return false;
    }
    m_handle = handle;
    return true;
}

std::optional<std::size_t> WindowsSettingsFile::ReadSettingsFile(char* buffer, std::size_t size) {
    if (m_handle == nullptr) return std::nullopt;
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        if (!ReadFile(m_handle, buffer + done, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool WindowsSettingsFile::WriteSettingsFile(const char* data, std::size_t size) {
    if (m_handle == nullptr) return false;
    std::size_t done = 0;
    while (done < size) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        if (!WriteFile(m_handle, data + done, want, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

bool WindowsSettingsFile::CloseSettingsFileHandle() {
    if (m_handle == nullptr) return false;
    const bool closed = CloseHandle(m_handle) != 0;
    m_handle = nullptr;
    return closed;
}

std::string WindowsSettingsFile::ToRecordText(const std::string& text) { return RecordTextFromUtf8(text, GetACP()); }

std::string WindowsSettingsFile::FromRecordText(std::string_view stored) {
    return Utf8FromRecordText(stored, GetACP());
}

}  // namespace nomvary
