#pragma once

// Temporary folders and file contents for the tests that touch the disk.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace nomvary::testing {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nomvary-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

inline void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using Files = std::map<std::string, std::string>;

inline void WriteFiles(const fs::path& folder, const Files& files) {
    for (const auto& [name, bytes] : files) WriteFile(folder / name, bytes);
}

// Every entry of a folder with its contents ("<dir>" for a folder).
inline Files Contents(const fs::path& folder) {
    Files entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        entries[entry.path().filename().string()] = entry.is_directory() ? "<dir>" : ReadFile(entry.path());
    }
    return entries;
}

}  // namespace nomvary::testing
