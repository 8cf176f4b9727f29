#pragma once

// The rule checker of talvo-host: reads the fifteen rule files with the
// library's own reading and record-making code (linked in, not loaded) and
// tells what LoadRules makes of them, warning about lines that surely do not
// do what their writer meant. It changes nothing and judges only what the
// records themselves show.
//
// Output, one finding a line, each line led by a fixed word:
//   folder <absolute rules folder>
//   file <name> set=<n> kind=<pattern|address|whole-pattern> <found|missing|unreadable>
//        [encoding=<cp1251|utf-8|utf-8-bom|utf-16le|utf-16be>] entries=<n>
//   warning <name>:<line> <code> "<text>": <explanation>
//   summary found=<n> missing=<n> unreadable=<n> entries=<n> warnings=<n>
// (a file line is one line). The codes are listed in kWarningCodes. <text> is
// the entry as read, at most 60 bytes of it ("..." after the quote when cut),
// with '"' and '\' escaped by '\' and bytes below 32 and 127 as \xHH.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/rules/rule_files.h"

namespace talvo_host {

inline constexpr int kCheckClean = 0;
inline constexpr int kCheckWarnings = 1;
inline constexpr int kCheckCannotRead = 2;

// Every warning code, in the order of the documentation.
inline constexpr const char* kWarningCodes[] = {
    "catches-every-text",    // no words: every text that no exception group matches
    "never-catches",         // no text RuleFilter can be given satisfies the entry
    "catches-no-address",    // address set: it catches only texts that are no nick!user@host
    "catches-no-file-name",  // whole-pattern set: it catches only texts that end with a blank
    "catches-one-text",      // pattern set: a word without wildcards, so only the text that is that word
    "blank-line",            // a blank line: an entry that catches nothing but takes a number
    "split-at-512",          // the line was longer than one piece
    "cut-at-nul",            // a NUL ended the entry's text
    "ignored-after-ctrl-z",  // a Ctrl-Z ended the file with more after it
    "guessed-utf-8",         // no byte-order mark, read as UTF-8, characters code page 1251 lacks
    "unreadable",            // the file is there but could not be read
};

enum class RuleFileState { Found, Missing, Unreadable };

struct RuleFileReport {
    const talvo::RuleFileRow* row;
    RuleFileState state;
    talvo::RuleFileEncoding encoding;
    std::size_t entries;
};

struct RuleWarning {
    std::string file;  // "Talvo._spm"
    std::int32_t line;  // 0 for the whole file
    const char* code;   // one of kWarningCodes
    std::string text;   // the entry's text as read (not escaped)
    std::string explanation;
};

struct RuleFolderReport {
    std::string folder;   // the absolute rules folder
    std::string problem;  // why the folder cannot be read; empty when it can
    std::vector<RuleFileReport> files;  // one per rule file, in loading order
    std::vector<RuleWarning> warnings;
};

// What `kind` makes of one piece, judged from the record the loaders make of
// it: at most one code of kWarningCodes (those about the entry's words and
// groups, not the line's reading), with its explanation; an empty code when the record shows nothing wrong (or could
// not be made).
struct EntryJudgement {
    const char* code = nullptr;
    std::string explanation;
};
// A piece of a decoded file (`encoding` other than Cp1251) is UTF-8 and is
// judged as the characters it holds; explanations are then UTF-8 too.
EntryJudgement JudgeEntry(talvo::RuleKind kind, std::string_view piece,
                          talvo::RuleFileEncoding encoding = talvo::RuleFileEncoding::Cp1251);

// Reads the rule files under `base` (empty: the current folder), where
// LoadRules would find them with `base` as its current folder. With
// `lineWarnings` false only the files are reported.
RuleFolderReport CheckRuleFolder(const std::string& base, bool lineWarnings);

// The "folder" and "file" lines of `report`.
void PrintRuleFiles(const RuleFolderReport& report, std::ostream& out);

// talvo-host --check [FOLDER]: prints the whole report to `out` (a folder
// that cannot be read also to `err`) and answers the exit status: 0 clean, 1
// warnings, 2 the folder cannot be read.
int RunRuleCheck(const std::string& base, std::ostream& out, std::ostream& err);

}  // namespace talvo_host
