#pragma once

// Test helper: a fresh folder under the system's temporary folder, current for
// the object's lifetime; the previous current folder comes back and the folder
// is removed on destruction.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace talvo_test {

class ScopedTempFolder {
public:
    ScopedTempFolder() : m_previous(std::filesystem::current_path()) {
        std::random_device seed;
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("talvo-test-" + std::to_string(seed()) + std::to_string(seed()));
        } while (!std::filesystem::create_directory(m_path));
        std::filesystem::current_path(m_path);
    }
    ~ScopedTempFolder() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes `bytes` exactly to `relative`, making its folders.
    void Write(const std::filesystem::path& relative, std::string_view bytes) const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Writes the rule file "Talvo/Rules/Talvo.<extension>".
    void WriteRules(const std::string& extension, std::string_view bytes) const {
        Write(std::filesystem::path("Talvo") / "Rules" / ("Talvo." + extension), bytes);
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

}  // namespace talvo_test
