// Reading a rule file: its bytes, from the file system or the source a
// harness passes, and the encoding they are in; the cutting is piece_cutting's.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "talvo/frame/encoding.h"
#include "talvo/rules/piece_cutting.h"
#include "talvo/rules/rule_files.h"

namespace talvo {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadFromFileSystem(const char* path, std::string* bytes) {
    File file(std::fopen(path, "rb"));
    if (!file) {
        return false;
    }
    // The size, where the file tells a plausible one, saves growing the
    // content step by step. (A folder may tell any number.)
    constexpr long kMostReserved = 256L * 1024 * 1024;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0 && size <= kMostReserved) {
            bytes->reserve(static_cast<std::size_t>(size));
        }
        std::rewind(file.get());
    }
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got == 0) {
            break;
        }
        bytes->append(chunk, got);
    }
    // A folder opens but cannot be read.
    return std::ferror(file.get()) == 0;
}

// The encoding of a file's content and the length of its mark.
RuleFileEncoding Detect(std::string_view bytes, std::size_t& markLength) {
    static constexpr struct {
        std::string_view mark;
        RuleFileEncoding encoding;
    } kMarks[] = {{"\xEF\xBB\xBF", RuleFileEncoding::Utf8Bom},
                  {"\xFF\xFE", RuleFileEncoding::Utf16Le},
                  {"\xFE\xFF", RuleFileEncoding::Utf16Be}};
    for (const auto& [mark, encoding] : kMarks) {
        if (bytes.substr(0, mark.size()) == mark) {
            markLength = mark.size();
            return encoding;
        }
    }
    markLength = 0;
    return IsUtf8Text(bytes) ? RuleFileEncoding::Utf8 : RuleFileEncoding::Cp1251;
}


// Reserving for more pieces than this is left to growing: an estimate from
// the size can be far too high for a file of long lines or UTF-16.
constexpr std::size_t kMostPiecesReserved = 4096;
// Rule lines are rarely shorter than this. Estimating from the size instead
// of counting line feeds keeps a pass over the whole file out of loading; a
// file of longer lines only gets more room than it uses, at most the cap.
constexpr std::size_t kShortestLineEstimate = 8;

void ReadBytesInto(std::string_view bytes, RulePieces* list, RuleFileReading* reading) noexcept {
    RuleFileReading ignored;
    RuleFileReading& filled = reading != nullptr ? *reading : ignored;
    filled = RuleFileReading{};
    filled.found = true;
    if (list == nullptr) {
        return;
    }
    try {
        std::size_t start = 0;
        const RuleFileEncoding encoding = Detect(bytes, start);
        // Room at once for what the pieces most likely take, so that they
        // do not grow their buffers step by step: pieces hold no more bytes
        // than a code page 1251 file and about as many as a UTF-8 one, and
        // there is a piece for each line (a UTF-16 file, or very short
        // lines, may still need more).
        if (list->size() == 0) {
            const std::size_t pieces = std::min(bytes.size() / kShortestLineEstimate + 1, kMostPiecesReserved);
            list->reserve(bytes.size(), pieces);
            filled.origins.reserve(pieces);
        }
        CutPieces(bytes, start, encoding, list, &filled);
    } catch (...) {
        // Out of memory while appending: the pieces read so far stay, and
        // the last of them is not followed by the rest of its line.
        if (!filled.origins.empty()) {
            filled.origins.back().split = false;
        }
    }
}

void ReadFileInto(const char* path, RulePieces* list, RuleFileReading* reading, RuleFileSource source) noexcept {
    if (reading != nullptr) {
        *reading = RuleFileReading{};
    }
    if (path == nullptr || list == nullptr) {
        return;
    }
    if (source != nullptr) {
        std::string_view bytes;
        if (source(path, &bytes)) {
            ReadBytesInto(bytes, list, reading);
        }
        return;
    }
    std::string bytes;
    try {
        if (!ReadFromFileSystem(path, &bytes)) {
            return;
        }
    } catch (...) {
        return;  // no memory for the file's content
    }
    ReadBytesInto(std::string_view(bytes), list, reading);
}


}  // namespace

void ReadRuleBytes(std::string_view bytes, RulePieces* list, RuleFileReading* reading) noexcept {
    ReadBytesInto(bytes, list, reading);
}

void ReadRuleFile(const char* path, RulePieces* list, RuleFileReading* reading, RuleFileSource source) noexcept {
    ReadFileInto(path, list, reading, source);
}

std::string RuleFilePath(const char* extension) {
    std::string path = "Talvo";
    path += kPathSeparator;
    path += "Rules";
    path += kPathSeparator;
    path += "Talvo.";
    path += extension;
    return path;
}

}  // namespace talvo
