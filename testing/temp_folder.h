#pragma once

// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the object goes. Tests never touch a folder
// they did not make.

#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace testkit {

namespace fs = std::filesystem;

// A path from the bytes the programs use for names: the bytes themselves on
// POSIX, UTF-8 on Windows (where a narrow path would be read in the ANSI
// code page); and back.
inline fs::path PathOf(std::string_view bytes) {
#ifdef _WIN32
    return fs::path(std::u8string(bytes.begin(), bytes.end()));
#else
    return fs::path(bytes);
#endif
}

inline std::string BytesOf(const fs::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.native();
#endif
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
    if (!path.parent_path().empty()) fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Name to contents; "<dir>" stands for a folder.
using Files = std::map<std::string, std::string>;

class TempFolder {
public:
    // `tag` names the folder so a left-over one tells which test made it.
    explicit TempFolder(std::string_view tag = "test") {
#ifdef _WIN32
        for (unsigned k = 0;; ++k) {
            m_path = fs::temp_directory_path() / (std::string(tag) + "-" + std::to_string(_getpid()) + "-" + std::to_string(k));
            if (fs::create_directory(m_path)) break;
            if (k == 1000) throw std::runtime_error("no fresh temporary folder");
        }
#else
        std::string pattern = (fs::temp_directory_path() / (std::string(tag) + "-XXXXXX")).native();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        if (m_previous) fs::current_path(*m_previous, ignored);
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return m_path; }
    std::string operator/(std::string_view relative) const { return BytesOf(m_path / PathOf(relative)); }

    // Makes the folder current until the object goes; the folder that was
    // current comes back then.
    TempFolder& MakeCurrent() {
        if (!m_previous) m_previous = fs::current_path();
        fs::current_path(m_path);
        return *this;
    }

    // Writes `bytes` exactly to `relative`, making its folders.
    void Write(const fs::path& relative, std::string_view bytes) const { WriteFile(m_path / relative, bytes); }
    std::string Read(const fs::path& relative) const { return ReadFile(m_path / relative); }

    void WriteAll(const Files& files) const {
        for (const auto& [name, bytes] : files) Write(name, bytes);
    }
    // Every entry directly in the folder (or in `relative`) with its contents.
    Files Contents(const fs::path& relative = {}) const {
        Files entries;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_path / relative)) {
            entries[BytesOf(entry.path().filename())] = entry.is_directory() ? "<dir>" : ReadFile(entry.path());
        }
        return entries;
    }

private:
    fs::path m_path;
    std::optional<fs::path> m_previous;
};

}  // namespace testkit
