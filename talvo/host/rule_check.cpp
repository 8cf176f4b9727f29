#include "talvo/host/rule_check.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <ostream>

#include "talvo/frame/encoding.h"
#include "talvo/host/dynamic_library.h"
#include "talvo/rules/rule_filter.h"
#include "talvo/tools/wildcards.h"

namespace talvo_host {
namespace {

using talvo::RuleKind;

constexpr std::size_t kShownTextBytes = 60;

const char* KindName(RuleKind kind) {
    switch (kind) {
        case RuleKind::Pattern:
            return "pattern";
        case RuleKind::Address:
            return "address";
        case RuleKind::WholePattern:
            return "whole-pattern";
    }
    return "?";
}

const char* EncodingName(talvo::RuleFileEncoding encoding) {
    switch (encoding) {
        case talvo::RuleFileEncoding::Cp1251:
            return "cp1251";
        case talvo::RuleFileEncoding::Utf8:
            return "utf-8";
        case talvo::RuleFileEncoding::Utf8Bom:
            return "utf-8-bom";
        case talvo::RuleFileEncoding::Utf16Le:
            return "utf-16le";
        case talvo::RuleFileEncoding::Utf16Be:
            return "utf-16be";
    }
    return "?";
}

const char* StateName(RuleFileState state) {
    switch (state) {
        case RuleFileState::Found:
            return "found";
        case RuleFileState::Missing:
            return "missing";
        case RuleFileState::Unreadable:
            return "unreadable";
    }
    return "?";
}

// The text as it appears in a report line: quoted, control bytes visible.
std::string Shown(const std::string& text) {
    std::string shown = "\"";
    for (std::size_t i = 0; i < text.size() && i < kShownTextBytes; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            shown += '\\';
            shown += static_cast<char>(byte);
        } else if (byte < 32 || byte == 127) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    shown += '"';
    if (text.size() > kShownTextBytes) {
        shown += "...";
    }
    return shown;
}

bool HasWildcard(const char* word) {
    for (; *word != '\0'; ++word) {
        if (*word == Tools::kAnyRun || *word == Tools::kAnyOne) {
            return true;
        }
    }
    return false;
}

std::string Quoted(const char* word) {
    std::string quoted(1, '"');
    quoted += word;
    quoted += '"';
    return quoted;
}

// True for a word that every text of the kind matches: stars only, or in an
// address set stars around the one "!" every nick!user@host holds.
bool MatchesEveryText(RuleKind kind, const char* word) {
    std::string rest;
    for (const char* byte = word; *byte != '\0'; ++byte) {
        if (*byte != '*') rest += *byte;
    }
    const std::string whole(word);
    return rest.empty() ||
           (kind == RuleKind::Address && rest == "!" && whole.front() == '*' && whole.back() == '*');
}

EntryJudgement Judged(const char* code, std::string explanation) {
    EntryJudgement judgement;
    judgement.code = code;
    judgement.explanation = std::move(explanation);
    return judgement;
}

// TestRule for a text in the record's own form: UTF-8 in a wide record.
bool Catches(const talvo::RuleRecord& record, const char* text) {
    if (!record.wide) {
        return talvo::TestRule(&record, text);
    }
    talvo::UnitString units(talvo::UnitsFromUtf8(text, nullptr, 0), 0);
    talvo::UnitsFromUtf8(text, units.data(), units.size());
    return talvo::TestRuleUnits(&record, units);
}

// True when every text that matches all of the record's words holds a "!"
// (a word holds one as a plain byte, which no wildcard stands for).
bool WordsNeedExclamation(const talvo::RuleRecord& record) {
    for (const talvo::TokenNode* word = record.words; word != nullptr; word = word->next) {
        if (std::strchr(word->text, '!') != nullptr) {
            return true;
        }
    }
    return false;
}

// The judgement of a record the loaders made. The order matters: a group of
// blanks ends every search at the entry before its words are looked at.
// "never-catches" is kept for entries that RuleFilter can never answer; an
// entry that still catches some text, only never one of the kind its set is
// searched with, gets a code that says so.
EntryJudgement JudgeRecord(RuleKind kind, const talvo::RuleRecord& record) {
    int groupNumber = 0;
    for (const talvo::RuleGroup* group = record.exceptions; group != nullptr; group = group->next) {
        ++groupNumber;
        if (group->words == nullptr) {
            return Judged("never-catches", "exception group " + std::to_string(groupNumber) +
                                               " is made of blanks only, which stops the entry from catching any text");
        }
        bool everyText = true;
        for (const talvo::TokenNode* word = group->words; word != nullptr && everyText; word = word->next) {
            everyText = MatchesEveryText(kind, word->text);
        }
        if (!everyText) {
            continue;
        }
        const std::string which = "exception group " + std::to_string(groupNumber) + " (" + Quoted(group->text) + ")";
        const char* const noAt = " (\"@\" separates exception groups, so an exception cannot hold an \"@\")";
        if (kind != RuleKind::Address) {
            return Judged("never-catches", which + " matches every text, so the entry catches none");
        }
        // In an address set the group matches every text that holds a "!".
        if (WordsNeedExclamation(record)) {
            return Judged("never-catches", which + " matches every text that holds a \"!\", and every text the "
                                                   "words match holds one, so the entry catches none" + noAt);
        }
        return Judged("catches-no-address", which + " matches every text that holds a \"!\", so the entry "
                                                    "catches only texts without one, and every nick!user@host "
                                                    "address holds one" + noAt);
    }
    if (kind == RuleKind::WholePattern) {
        const std::string mask = record.words->text;
        if (mask.empty()) {
            return Judged("never-catches", "the mask is empty, and an empty mask matches no text");
        }
        if (mask.front() == ' ') {
            return Judged("never-catches",
                          "the mask begins with a blank, which belongs to it, and the text RuleFilter tests never "
                          "begins with one (the blanks after the start number are skipped)");
        }
        if (mask.back() == ' ') {
            return Judged("catches-no-file-name",
                          "the mask ends with a blank, which belongs to it: it catches only a text that ends "
                          "with a blank, and no Windows file name does");
        }
        return {};
    }
    if (record.words == nullptr) {
        return Judged("catches-every-text",
                      record.exceptions == nullptr
                          ? "the pattern field holds no words, so the entry catches every text"
                          : "the pattern field holds no words, so the entry catches every text that none of "
                            "its exception groups matches");
    }
    for (const talvo::TokenNode* word = record.words; word != nullptr; word = word->next) {
        if (kind == RuleKind::Address && word->text[0] == '!') {
            const bool onlyWord = word == record.words && word->next == nullptr;
            return Judged("catches-no-address",
                          "the word " + Quoted(word->text) +
                              " matches only a text that begins with \"!\", and no nick!user@host address does" +
                              (std::string(word->text) != "!*" ? ""
                               : onlyWord ? " (a pattern field of blanks only becomes \"!*\")"
                                          : " (a blank at the end of a bare nickname parts it from the \"!*\" "
                                            "added to it)"));
        }
    }
    // A word without wildcards matches one text only (in any letter case).
    // The entry catches nothing when it does not catch that text.
    for (const talvo::TokenNode* word = record.words; word != nullptr; word = word->next) {
        if (HasWildcard(word->text)) {
            continue;
        }
        if (Catches(record, word->text)) {
            // In a pattern set a text is a chat line, which such a word
            // matches only when it is the whole line; in an address or file
            // name set a whole address or name is a sound rule. A lone line
            // feed is a blank line, told by the line warnings.
            if (kind == RuleKind::Pattern && std::strcmp(word->text, "\n") != 0) {
                return Judged("catches-one-text",
                              "the word " + Quoted(word->text) + " has no wildcard, so the entry catches only the "
                              "text " + Quoted(word->text) + " itself, in any letter case (every word must match "
                              "the whole text; put \"*\" around a word to find it inside one)");
            }
            break;
        }
        const talvo::RuleRecord wordsOnly{record.words, nullptr, record.wide};
        return Judged("never-catches",
                      "the word " + Quoted(word->text) + " has no wildcard, so only the text " + Quoted(word->text) +
                          " matches it, and " +
                          (Catches(wordsOnly, word->text)
                               ? "an exception group of the entry matches that text"
                               : "the other words do not (every word must match the whole text; put \"*\" "
                                 "around a word to find it inside one)"));
    }
    return {};
}

void AddWarning(RuleFolderReport& report, const talvo::RuleFileRow& row, std::int32_t line, const char* code,
                const std::string& text, const std::string& explanation) {
    report.warnings.push_back({std::string("Talvo.") + row.extension, line, code, text, explanation});
}

// True when a UTF-8 piece holds a character code page 1251 lacks.
bool HoldsWideCharacter(std::string_view piece) {
    for (std::size_t position = 0; position < piece.size();) {
        if (talvo::UnitOfCodePoint(talvo::ReadUtf8(piece, position)) >= talvo::kFirstWideUnit) {
            return true;
        }
    }
    return false;
}

// The split-at-512 explanation for the line whose pieces are `first` to
// `last`. A line of a whole number of pieces leaves its line feed to a piece
// of its own.
std::string SplitExplanation(const talvo::RulePieces& pieces, std::size_t first, std::size_t last) {
    const std::string entries = std::to_string(last - first + 1) + " entries, " + std::to_string(first + 1) +
                                " to " + std::to_string(last + 1);
    if (pieces[last] != "\n") {
        return "the line is longer than 512 characters and was read as " + entries;
    }
    const std::size_t length = 512 * (last - first);
    return "the line holds " + std::string(length == 512 ? "exactly " : "") + std::to_string(length) +
           " characters, so its line feed does not fit the " + (length == 512 ? "piece" : "last piece") +
           " and was read as an entry of its own (one that holds only a line feed): " + entries;
}

void AddLineWarnings(RuleFolderReport& report, const talvo::RuleFileRow& row, const talvo::RulePieces& pieces,
                     const talvo::RuleFileReading& reading) {
    const std::size_t count = std::min(reading.origins.size(), pieces.size());
    bool wideNoted = false;
    for (std::size_t i = 0; i < count; ++i) {
        const talvo::RulePieceOrigin& origin = reading.origins[i];
        const std::string piece(pieces[i]);
        const bool startsLine = i == 0 || !reading.origins[i - 1].split;
        if (startsLine && !origin.split && piece == "\n") {
            AddWarning(report, row, origin.line, "blank-line", piece,
                       "a blank line is an entry that holds only a line feed, which no text holds, so it catches "
                       "nothing; it still takes an entry number, so the entries after it are numbered one higher");
        }
        if (startsLine && origin.split) {
            // A reading that ran out of memory may end on a split piece.
            std::size_t last = i;
            while (last + 1 < count && reading.origins[last].split) {
                ++last;
            }
            if (last > i) {
                AddWarning(report, row, origin.line, "split-at-512", piece, SplitExplanation(pieces, i, last));
            }
        }
        if (origin.cutAtNul) {
            AddWarning(report, row, origin.line, "cut-at-nul", piece,
                       "a NUL byte ends the entry's text; the bytes after it in the piece are not read");
        }
        if (!wideNoted && reading.encoding == talvo::RuleFileEncoding::Utf8 && HoldsWideCharacter(pieces[i])) {
            wideNoted = true;
            AddWarning(report, row, origin.line, "guessed-utf-8", piece,
                       "the file has no byte-order mark and all of it is well-formed UTF-8, so it is read as "
                       "UTF-8, and this line then holds characters code page 1251 lacks; if the file was "
                       "written in code page 1251, these bytes meant other letters (a file saved as UTF-8 with "
                       "a byte-order mark is read as UTF-8 without this warning)");
        }
        const EntryJudgement judgement = JudgeEntry(row.kind, pieces[i], reading.encoding);
        if (judgement.code != nullptr) {
            AddWarning(report, row, origin.line, judgement.code, piece, judgement.explanation);
        }
    }
    if (reading.ignoredFromLine > 0) {
        std::string kept;
        if (count > 0 && reading.origins[count - 1].line == reading.ignoredFromLine) {
            kept = pieces[count - 1];
        }
        AddWarning(report, row, reading.ignoredFromLine, "ignored-after-ctrl-z", kept,
                   "a Ctrl-Z (byte 26) ends the file here; nothing after it is read");
    }
}

std::string Joined(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == talvo::kPathSeparator) {
        return folder + name;
    }
    return folder + talvo::kPathSeparator + name;
}

std::string RulesFolderProblem(const std::string& base, const std::string& rules) {
    const PathKind baseKind = KindOfPath(base.empty() ? "." : base);
    if (baseKind != PathKind::Folder) {
        return baseKind == PathKind::Missing ? "the folder " + base + " does not exist"
                                             : "the folder " + base + " cannot be read";
    }
    switch (KindOfPath(rules)) {
        case PathKind::Missing:
            return "it does not exist";
        case PathKind::File:
            return "it is not a folder";
        case PathKind::Unreachable:
            return "it cannot be reached";
        case PathKind::Folder:
            break;
    }
    return FolderCanBeSearched(rules) ? std::string() : "its files may not be opened";
}

}  // namespace

EntryJudgement JudgeEntry(RuleKind kind, std::string_view piece, talvo::RuleFileEncoding encoding) {
    // The record and its lists live in the region, and go with it.
    talvo::TokenRegion region;
    talvo::RuleRecord record{nullptr, nullptr, false};
    bool made = false;
    try {
        made = talvo::FillRuleRecord(&record, kind, piece, encoding, region);
    } catch (...) {
        made = false;
    }
    if (!made) {
        return {};
    }
    try {
        EntryJudgement judgement = JudgeRecord(kind, record);
        // The record of a decoded piece holds the code page 1251 bytes of its
        // characters; the words it quotes go back to UTF-8 like the piece.
        if (encoding != talvo::RuleFileEncoding::Cp1251 && !record.wide) {
            judgement.explanation = talvo::Utf8FromCp1251(judgement.explanation);
        }
        return judgement;
    } catch (...) {
        return {};  // out of memory: no judgement, rather than a wrong one
    }
}

RuleFolderReport CheckRuleFolder(const std::string& base, bool lineWarnings) {
    RuleFolderReport report;
    const std::string relativeRules =
        std::string("Talvo") + talvo::kPathSeparator + "Rules";
    report.folder = Joined(AbsolutePath(base), relativeRules);
    report.problem = RulesFolderProblem(base, base.empty() ? relativeRules : Joined(base, relativeRules));
    if (!report.problem.empty()) {
        return report;
    }
    for (const talvo::RuleFileRow& row : talvo::kRuleFiles) {
        const std::string path = Joined(base, talvo::RuleFilePath(row.extension));
        talvo::RulePieces pieces;
        talvo::RuleFileReading reading;
        const PathKind kind = KindOfPath(path);
        if (kind == PathKind::File) {
            talvo::ReadRuleFile(path.c_str(), &pieces, &reading);
        }
        RuleFileState state = RuleFileState::Missing;
        if (reading.found) {
            state = RuleFileState::Found;
        } else if (kind != PathKind::Missing) {
            state = RuleFileState::Unreadable;
        }
        report.files.push_back({&row, state, reading.encoding, pieces.size()});
        if (!lineWarnings) {
            continue;
        }
        if (state == RuleFileState::Unreadable) {
            AddWarning(report, row, 0, "unreadable", "",
                       kind == PathKind::Folder ? "a folder stands where the file should be; LoadRules reads it "
                                                  "as an empty set"
                                                : "the file is there but cannot be opened; LoadRules reads it "
                                                  "as an empty set");
        }
        AddLineWarnings(report, row, pieces, reading);
    }
    return report;
}

void PrintRuleFiles(const RuleFolderReport& report, std::ostream& out) {
    out << "folder " << report.folder << "\n";
    for (const RuleFileReport& file : report.files) {
        out << "file Talvo." << file.row->extension << " set=" << file.row->set << " kind=" << KindName(file.row->kind)
            << " " << StateName(file.state);
        if (file.state == RuleFileState::Found) {
            out << " encoding=" << EncodingName(file.encoding);
        }
        out << " entries=" << file.entries << "\n";
    }
}

int RunRuleCheck(const std::string& base, std::ostream& out, std::ostream& err) {
    const RuleFolderReport report = CheckRuleFolder(base, true);
    PrintRuleFiles(report, out);
    if (!report.problem.empty()) {
        out.flush();
        err << "talvo-host: cannot read the rules folder " << report.folder << ": " << report.problem << "\n";
        return kCheckCannotRead;
    }
    for (const RuleWarning& warning : report.warnings) {
        out << "warning " << warning.file << ":" << warning.line << " " << warning.code << " "
            << Shown(warning.text) << ": " << warning.explanation << "\n";
    }
    std::size_t counts[3] = {0, 0, 0};
    std::size_t entries = 0;
    for (const RuleFileReport& file : report.files) {
        ++counts[static_cast<int>(file.state)];
        entries += file.entries;
    }
    out << "summary found=" << counts[0] << " missing=" << counts[1] << " unreadable=" << counts[2]
        << " entries=" << entries << " warnings=" << report.warnings.size() << "\n";
    return report.warnings.empty() ? kCheckClean : kCheckWarnings;
}

}  // namespace talvo_host
