#pragma once

// Reading rule files into rule sets. Paths are relative to the current folder.

#include <cstdint>
#include <string>
#include <vector>

namespace talvo {

using StringList = std::vector<std::string>;

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

// Appends the file's line pieces to `list`, read as text: every CR dropped,
// Ctrl-Z ends the file, a piece ends after a line feed or after 512 bytes, a
// NUL ends a piece's text, one trailing line feed removed (a lone one stays).
// A missing or unreadable file adds nothing. Running out of memory ends the
// reading; the pieces appended until then stay.
void ReadRuleFile(const char* path, StringList* list) noexcept;

// Fills the slot `set` (0..15) from the file at `path`, reading each piece
// as a rule of `kind`, and adds the number of pieces read to entryCount.
// Throws TokenizeOutOfMemory when splitting a field runs out of memory.
void LoadRuleSet(const char* path, std::int32_t set, RuleKind kind);

}  // namespace talvo
