#include "linux_settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings.h"

namespace nomvary {

LinuxSettingsFile::~LinuxSettingsFile() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::string LinuxSettingsFile::ChooseSettingsPath(const std::string& inProgramFolder) {
    const std::size_t slash = inProgramFolder.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = slash == 0 ? "/" : inProgramFolder.substr(0, slash);
        if (access(inProgramFolder.c_str(), F_OK) == 0 || access(folder.c_str(), W_OK) == 0) {
            return inProgramFolder;
        }
    }
    // A program installed system-wide sits in a folder its users cannot
    // write: their choices go where each user keeps a program's settings.
    std::filesystem::path config;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        config = configHome;
    } else if (home != nullptr && home[0] == '/') {
        config = std::filesystem::path(home) / ".config";
    } else {
        return inProgramFolder;
    }
    config /= "nomvary";
    std::error_code ignored;
    std::filesystem::create_directories(config, ignored);
    const std::string name = slash == std::string::npos ? kSettingsFileName : inProgramFolder.substr(slash + 1);
    return (config / name).native();
}

bool LinuxSettingsFile::OpenSettingsFile(const std::string& path) {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (path.empty()) {
        return false;
    }
    // No O_TRUNC: a longer file keeps its bytes past the record.
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        // A file we may read but not write still holds the user's choices;
        // writing it then fails and changes nothing.
        m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (m_fd >= 0 && (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            close(m_fd);
            m_fd = -1;
        }
    }
    m_offset = 0;
    return m_fd >= 0;
}

std::optional<std::size_t> LinuxSettingsFile::ReadSettingsFile(char* buffer, std::size_t size) {
    if (m_fd < 0) {
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(m_fd, buffer + done, size - done, m_offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
        m_offset += got;
    }
    return done;
}

bool LinuxSettingsFile::WriteSettingsFile(const char* data, std::size_t size) {
    if (m_fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = pwrite(m_fd, data + done, size - done, m_offset);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(put);
        m_offset += put;
    }
    return true;
}

bool LinuxSettingsFile::CloseSettingsFileHandle() {
    if (m_fd < 0) {
        return false;
    }
    const int result = close(m_fd);
    m_fd = -1;
    return result == 0;
}

}  // namespace nomvary
