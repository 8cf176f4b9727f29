#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nomvary {

// The one binary file the settings live in, opened by path. At most one file
// is open at a time. Failures are answered, never thrown.
class SettingsFile {
public:
    virtual ~SettingsFile() = default;

    // The file the settings live in, given `inProgramFolder`, the settings
    // file in the program's folder (empty when there is no such folder):
    // that file when it exists or its folder can take a new file; otherwise
    // the file of that name in the user's configuration folder for the
    // program, which is made when missing. Answers `inProgramFolder` when
    // there is no configuration folder either.
    virtual std::string ChooseSettingsPath(const std::string& inProgramFolder) = 0;

    // Opens `path` for reading and writing in binary mode, creating it empty
    // when it does not exist; a file that may be read but not written is
    // opened for reading only, and writing it then fails. The position starts
    // at 0. A file that was open is closed first. False on failure.
    virtual bool OpenSettingsFile(const std::string& path) = 0;
    virtual bool IsSettingsFileOpen() const = 0;
    // Reads up to `size` bytes at the current position, which advances.
    // Answers the number of bytes read (short at the end of the file), or
    // nullopt when reading fails or no file is open.
    virtual std::optional<std::size_t> ReadSettingsFile(char* buffer, std::size_t size) = 0;
    // Writes `size` bytes at the current position, which advances. False
    // when writing fails or no file is open.
    virtual bool WriteSettingsFile(const char* data, std::size_t size) = 0;
    // Closes the file; false when none was open or closing failed.
    virtual bool CloseSettingsFileHandle() = 0;

    // The 8-bit form in which the record keeps a drive or folder text of the
    // program, and the program's text from that form (`stored` without its
    // padding). Where the program's texts are the file system's own bytes,
    // as on Linux, both keep the text as it is.
    virtual std::string ToRecordText(const std::string& text) { return text; }
    virtual std::string FromRecordText(std::string_view stored) { return std::string(stored); }
};

}  // namespace nomvary
