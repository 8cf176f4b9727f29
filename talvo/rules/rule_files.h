#pragma once

// Reading rule files into rule sets. Paths are relative to the current folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/rules/rule_store.h"

namespace talvo {

// Line pieces in one buffer, the form the loader reads a file in: no
// allocation of its own for each piece.
class RulePieces {
public:
    std::size_t size() const { return m_ends.size(); }
    std::string_view operator[](std::size_t index) const {
        const std::size_t start = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_bytes).substr(start, m_ends[index] - start);
    }
    // Throws std::bad_alloc, and then holds what it held before.
    void emplace_back(const char* bytes, std::size_t length);
    // Room for `bytes` bytes in `count` pieces in all, so appending them
    // does not grow the buffers step by step. Throws std::bad_alloc.
    void reserve(std::size_t bytes, std::size_t count) {
        m_bytes.reserve(bytes);
        m_ends.reserve(count);
    }
    void pop_back();

private:
    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};

// The folder separator of rule file paths on this platform.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// One row of the fixed table of rule files.
enum class RuleKind { Pattern, Address, WholePattern };
struct RuleFileRow {
    std::int32_t set;
    const char* extension;  // "_alt" for "Talvo<sep>Rules<sep>Talvo._alt"
    RuleKind kind;
};
inline constexpr RuleFileRow kRuleFiles[] = {
    {0, "_alt", RuleKind::Pattern},       {1, "_avo", RuleKind::Address},
    {2, "_chn", RuleKind::Pattern},       {3, "_cur", RuleKind::Pattern},
    {4, "_file", RuleKind::WholePattern}, {5, "_frd", RuleKind::Address},
    {7, "_name", RuleKind::Pattern},      {8, "_nck", RuleKind::Address},
    {9, "_prv", RuleKind::Pattern},       {10, "_qp", RuleKind::Pattern},
    {11, "_rep", RuleKind::Pattern},      {12, "_rsp", RuleKind::Pattern},
    {13, "_spm", RuleKind::Pattern},      {14, "_sus", RuleKind::Pattern},
    {15, "_vfi", RuleKind::Pattern},
};

// "Talvo/Rules/Talvo._alt" (backslashes on Windows) for the extension "_alt".
std::string RuleFilePath(const char* extension);

// How a rule file's bytes were read as characters:
//   - a file starting with EF BB BF is UTF-8 (Utf8Bom), with FF FE UTF-16
//     little-endian, with FE FF UTF-16 big-endian; the mark is not content;
//   - otherwise a file whose whole content is well-formed UTF-8 holding a
//     byte above 127 is UTF-8;
//   - any other file is code page 1251 bytes.
// In a marked file a malformed sequence or an unpaired surrogate is read as
// one U+FFFD.
enum class RuleFileEncoding { Cp1251, Utf8, Utf8Bom, Utf16Le, Utf16Be };

// Where one piece came from, for the rule checker.
struct RulePieceOrigin {
    std::int32_t line;  // 1-based line of the file the piece starts on
    bool split;         // the piece ended because it reached 512 characters (not
                        // at a line end), so the line goes on in the next piece
    bool cutAtNul;      // a NUL ended its text
};

// What reading one rule file found besides its pieces.
struct RuleFileReading {
    bool found = false;  // the file could be opened and read
    RuleFileEncoding encoding = RuleFileEncoding::Cp1251;
    std::vector<RulePieceOrigin> origins;  // one per piece appended, in order
    std::int32_t ignoredFromLine = 0;      // Ctrl-Z ended the file with more
                                           // bytes after it: the line the
                                           // Ctrl-Z stands on; 0 when nothing
                                           // was ignored
};

// Appends the file's line pieces to `list`, read as text: every CR dropped,
// Ctrl-Z ends the file, a piece ends after a line feed or after 512
// characters, a NUL ends a piece's text, one trailing line feed removed (a
// lone one stays). Characters are the bytes of a code page 1251 file; the
// pieces of a decoded file (any other RuleFileEncoding) are appended as UTF-8.
// A missing or unreadable file adds nothing. Running out of memory ends the
// reading; the pieces appended until then stay. `reading`, when given, is
// reset and then tells what the reading found; its origins match the pieces
// appended one for one, also when memory ran out. The bytes come from
// `source`, or from the file system when it is null.
void ReadRuleFile(const char* path, RulePieces* list, RuleFileReading* reading = nullptr,
                  RuleFileSource source = nullptr) noexcept;

// ReadRuleFile for a file whose whole content is `bytes`; `reading->found`
// is set.
void ReadRuleBytes(std::string_view bytes, RulePieces* list, RuleFileReading* reading = nullptr) noexcept;

// Fills `record`, whose two lists are null, from one piece read as a rule of
// `kind` (its text ends at a NUL, as the reader cuts pieces): the one way the
// loaders make a record, also used by the rule
// checker. A piece of a decoded file (`encoding` other than Cp1251: UTF-8)
// becomes the rule its characters make in code page 1251 when the code page
// holds them all; otherwise `record->wide` is set and the lists hold UTF-8.
// Exception groups are split into their words here, once. Everything the
// record points to is made in `region` and goes with it. Answers false, with
// both lists null, when the whole-pattern word could not be made (out of
// memory). Throws TokenizeOutOfMemory; what was made until then stays in the
// region.
bool FillRuleRecord(RuleRecord* record, RuleKind kind, std::string_view piece, RuleFileEncoding encoding,
                    TokenRegion& region);


}  // namespace talvo
