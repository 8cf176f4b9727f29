#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <sys/types.h>

#include "settings_file.h"

namespace nomvary {

// The settings file on a POSIX file system, read and written at an offset of
// its own. Closes a file left open when it goes. The user's configuration
// folder is $XDG_CONFIG_HOME/nomvary, or ~/.config/nomvary when that is not
// set to an absolute path.
class LinuxSettingsFile : public SettingsFile {
public:
    LinuxSettingsFile() = default;
    ~LinuxSettingsFile() override;
    LinuxSettingsFile(const LinuxSettingsFile&) = delete;
    LinuxSettingsFile& operator=(const LinuxSettingsFile&) = delete;

    std::string ChooseSettingsPath(const std::string& inProgramFolder) override;
    bool OpenSettingsFile(const std::string& path) override;
    bool IsSettingsFileOpen() const override { return m_fd >= 0; }
    std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) override;
    bool WriteSettingsFile(const char* data, std::size_t size) override;
    bool CloseSettingsFileHandle() override;

private:
    int m_fd = -1;
    off_t m_offset = 0;
};

}  // namespace nomvary
