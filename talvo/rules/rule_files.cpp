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

// Where the pieces go, and for the rule checker what is known about them.
// Origins are worked out per piece, not per byte: a piece that ends in a line
// feed ends its line, any other piece is followed by the rest of its line.
struct PieceSink {
    StringList* list;
    RuleFileReading* reading;  // null: only the pieces are wanted
    std::int32_t nextLine = 1;
};

// Ends a piece: its text stops at a NUL, one trailing line feed goes.
void AppendPiece(const char* bytes, std::size_t length, bool split, PieceSink& sink) {
    char text[kPieceBytes + 1];
    std::memcpy(text, bytes, length);
    text[length] = '\0';
    if (sink.reading != nullptr) {
        sink.reading->origins.push_back({sink.nextLine, split, std::memchr(bytes, '\0', length) != nullptr});
        if (bytes[length - 1] == '\n') {
            ++sink.nextLine;
        }
    }
    try {
        sink.list->emplace_back(StripNewline(text));
    } catch (...) {
        if (sink.reading != nullptr) {
            sink.reading->origins.pop_back();
        }
        throw;
    }
}

// After the last piece: the line a Ctrl-Z stands on when more bytes follow
// it, and no split for the last piece, which no other piece follows.
void FinishReading(PieceSink& sink, bool bytesAfterEnd) {
    if (sink.reading == nullptr) {
        return;
    }
    if (bytesAfterEnd) {
        sink.reading->ignoredFromLine = sink.nextLine;
    }
    if (!sink.reading->origins.empty()) {
        sink.reading->origins.back().split = false;
    }
}

void ReadPieces(std::FILE* file, PieceSink& sink) {
    char piece[kPieceBytes];
    std::size_t used = 0;
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got == 0) {
            break;
        }
        for (std::size_t i = 0; i < got; ++i) {
            const char byte = chunk[i];
            if (byte == kEndOfFile) {
                if (used > 0) {
                    AppendPiece(piece, used, false, sink);
                }
                FinishReading(sink, sink.reading != nullptr && (i + 1 < got || std::fgetc(file) != EOF));
                return;
            }
            if (byte == '\r') {
                continue;
            }
            piece[used++] = byte;
            if (byte == '\n' || used == kPieceBytes) {
                AppendPiece(piece, used, byte != '\n', sink);
                used = 0;
            }
        }
    }
    if (used > 0) {
        AppendPiece(piece, used, false, sink);
    }
    FinishReading(sink, false);
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

void LoadRuleSet(RuleStore& store, const char* path, std::int32_t setNumber, RuleKind kind) {
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
    PieceSink sink{list, reading};
    try {
        ReadPieces(file.get(), sink);
    } catch (...) {
        // Out of memory while appending: the pieces read so far stay.
    }
}


}  // namespace talvo
