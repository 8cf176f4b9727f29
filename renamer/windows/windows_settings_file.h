#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings_file.h"

namespace nomvary {

// The record's texts in 8 bits: read as UTF-8 when they are valid UTF-8 with
// a byte above 127, else in the ANSI code page (what older records hold);
// written in the ANSI code page when every character exists there, else in
// UTF-8. `codePage` is the ANSI code page to use.
std::string RecordTextFromUtf8(const std::string& text, unsigned codePage);
std::string Utf8FromRecordText(std::string_view stored, unsigned codePage);

// The settings file on Windows, through the wide API. Closes a file left
// open when it goes. The user's configuration folder is %APPDATA%\nomvary.
class WindowsSettingsFile : public SettingsFile {
public:
    WindowsSettingsFile() = default;
    ~WindowsSettingsFile() override;
    WindowsSettingsFile(const WindowsSettingsFile&) = delete;
    WindowsSettingsFile& operator=(const WindowsSettingsFile&) = delete;

    std::string ChooseSettingsPath(const std::string& inProgramFolder) override;
    bool OpenSettingsFile(const std::string& path) override;
    bool IsSettingsFileOpen() const override { return m_handle != nullptr; }
    std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) override;
    bool WriteSettingsFile(const char* data, std::size_t size) override;
    bool CloseSettingsFileHandle() override;

    // In the system's ANSI code page (see RecordTextFromUtf8).
    std::string ToRecordText(const std::string& text) override;
    std::string FromRecordText(std::string_view stored) override;

private:
    void* m_handle = nullptr;  // the open file's HANDLE, null when none is open
};

}  // namespace nomvary
