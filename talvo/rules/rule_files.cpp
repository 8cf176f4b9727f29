#include "talvo/rules/rule_files.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "talvo/rules/rule_store.h"

namespace talvo {
namespace {

constexpr std::size_t kPieceBytes = 512;
constexpr char kFieldSeparator = 4;
constexpr char kEndOfFile = 26;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Cuts a file's bytes into pieces and, for the rule checker, notes where
// each piece came from.
class PieceCutter {
public:
    PieceCutter(StringList* list, RuleFileReading* reading) : m_list(list), m_reading(reading) {}

    // Answers false once a Ctrl-Z has ended the file.
    bool Take(char byte) {
        if (byte == kEndOfFile) {
            Flush(false);
            return false;
        }
        if (byte == '\r') {
            return true;
        }
        if (m_used == 0) {
            m_pieceLine = m_line;
            m_pieceHasNul = false;
        }
        m_pieceHasNul |= byte == '\0';
        m_piece[m_used++] = byte;
        if (byte == '\n') {
            ++m_line;
            Flush(false);
        } else if (m_used == kPieceBytes) {
            Flush(true);
        }
        return true;
    }

    // After the last byte: the last piece, and the Ctrl-Z's line when bytes
    // followed it.
    void Finish(bool bytesAfterEnd) {
        Flush(false);
        if (m_reading == nullptr) {
            return;
        }
        if (bytesAfterEnd) {
            m_reading->ignoredFromLine = m_line;
        }
        // Only a piece that another piece of its line follows was split.
        if (!m_reading->origins.empty()) {
            m_reading->origins.back().split = false;
        }
    }

private:
    // Ends a piece: its text stops at a NUL, one trailing line feed goes.
    void Flush(bool split) {
        if (m_used == 0) {
            return;
        }
        char text[kPieceBytes + 1];
        std::memcpy(text, m_piece, m_used);
        text[m_used] = '\0';
        m_used = 0;
        if (m_reading != nullptr) {
            m_reading->origins.push_back({m_pieceLine, split, m_pieceHasNul});
        }
        try {
            m_list->emplace_back(StripNewline(text));
        } catch (...) {
            if (m_reading != nullptr) {
                m_reading->origins.pop_back();
            }
            throw;
        }
    }

    StringList* m_list;
    RuleFileReading* m_reading;
    char m_piece[kPieceBytes];
    std::size_t m_used = 0;
    std::int32_t m_line = 1;
    std::int32_t m_pieceLine = 1;
    bool m_pieceHasNul = false;
};

void ReadPieces(std::FILE* file, StringList* list, RuleFileReading* reading) {
    PieceCutter cutter(list, reading);
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got == 0) {
            break;
        }
        for (std::size_t i = 0; i < got; ++i) {
            if (!cutter.Take(chunk[i])) {
                cutter.Finish(i + 1 < got || std::fgetc(file) != EOF);
                return;
            }
        }
    }
    cutter.Finish(false);
}

// The pattern and exception fields of a piece; absent fields are empty.
std::string Field(const std::string& piece, std::int32_t number) {
    return GetToken(piece.c_str(), kFieldSeparator, number);
}

void FillPatternRecord(RuleRecord* record, const std::string& pattern, std::string exceptions) {
    if (exceptions == "-") {
        exceptions.clear();
    }
    record->words = Tokenize(pattern.c_str(), ' ');
    record->exceptions = Tokenize(exceptions.c_str(), '@');
}

void FillAddressRecord(RuleRecord* record, std::string pattern, const std::string& exceptions) {
    if (pattern.empty()) {
        return;
    }
    if (pattern.find_first_of(".!*@") == std::string::npos) {
        // A bare nickname stands for every address of that nickname.
        pattern += "!*";
    }
    FillPatternRecord(record, pattern, exceptions);
}

// Whole-pattern records hold the whole field as their one word. Without that
// word the record would catch every text, so a missing word means no record.
bool FillWholePatternRecord(RuleRecord* record, const std::string& pattern) {
    record->words = NewTokenNode(pattern.c_str());
    return record->words != nullptr;
}

// Takes back the record at `index`, which ends the set there.
void DropRecord(RuleSet set, std::size_t index, RuleStore& store) noexcept {
    store.incomplete = true;
    FreeTokenList(set[index]->words);
    FreeTokenList(set[index]->exceptions);
    HeapFree(set[index]);
    set[index] = nullptr;
}

}  // namespace

void LoadRuleSet(const char* path, std::int32_t setNumber, RuleKind kind) {
    RuleStore& store = TheRuleStore();
    StringList pieces;
    ReadRuleFile(path, &pieces);
    const std::size_t count = pieces.size();
    if (count >= SIZE_MAX / sizeof(RuleRecord*) - 1) {
        store.incomplete = true;
        return;
    }
    const std::size_t bytes = (count + 1) * sizeof(RuleRecord*);
    auto* set = static_cast<RuleSet>(HeapAllocate(bytes));
    if (set == nullptr) {
        store.incomplete = true;
        return;
    }
    std::memset(set, 0, bytes);
    store.sets[setNumber] = set;
    // Once one record is missing the set ends there; records made after it
    // could never be reached, not even to be freed, so none are made.
    bool setEnded = false;
    for (std::size_t i = 0; i < count; ++i) {
        ++store.entryCount;
        if (setEnded) {
            continue;
        }
        auto* record = static_cast<RuleRecord*>(HeapAllocate(sizeof(RuleRecord)));
        if (record == nullptr) {
            store.incomplete = true;
            setEnded = true;
            continue;
        }
        record->words = nullptr;
        record->exceptions = nullptr;
        set[i] = record;
        bool made = false;
        try {
            made = FillRuleRecord(record, kind, pieces[i]);
        } catch (...) {
            // A half-filled record would catch more than its rule says.
            DropRecord(set, i, store);
            throw;
        }
        if (!made) {
            DropRecord(set, i, store);
            setEnded = true;
        }
    }
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

bool FillRuleRecord(RuleRecord* record, RuleKind kind, const std::string& piece) {
    switch (kind) {
        case RuleKind::Pattern:
            FillPatternRecord(record, Field(piece, 1), Field(piece, 2));
            return true;
        case RuleKind::Address:
            FillAddressRecord(record, Field(piece, 1), Field(piece, 2));
            return true;
        case RuleKind::WholePattern:
            return FillWholePatternRecord(record, Field(piece, 1));
    }
    return false;
}

void ReadRuleFile(const char* path, StringList* list, RuleFileReading* reading) noexcept {
    if (reading != nullptr) {
        *reading = RuleFileReading{};
    }
    if (path == nullptr || list == nullptr) {
        return;
    }
    File file(std::fopen(path, "rb"));
    if (!file) {
        return;
    }
    if (reading != nullptr) {
        reading->found = true;
    }
    try {
        ReadPieces(file.get(), list, reading);
    } catch (...) {
        // Out of memory while appending: the pieces read so far stay.
    }
}


}  // namespace talvo
