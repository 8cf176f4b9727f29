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

// Ends a piece: its text stops at a NUL, one trailing line feed goes.
void AppendPiece(const char* bytes, std::size_t length, StringList* list) {
    char text[kPieceBytes + 1];
    std::memcpy(text, bytes, length);
    text[length] = '\0';
    list->emplace_back(StripNewline(text));
}

void ReadPieces(std::FILE* file, StringList* list) {
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
                    AppendPiece(piece, used, list);
                }
                return;
            }
            if (byte == '\r') {
                continue;
            }
            piece[used++] = byte;
            if (byte == '\n' || used == kPieceBytes) {
                AppendPiece(piece, used, list);
                used = 0;
            }
        }
    }
    if (used > 0) {
        AppendPiece(piece, used, list);
    }
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
        const std::string& piece = pieces[i];
        bool made = true;
        try {
            switch (kind) {
                case RuleKind::Pattern:
                    FillPatternRecord(record, Field(piece, 1), Field(piece, 2));
                    break;
                case RuleKind::Address:
                    FillAddressRecord(record, Field(piece, 1), Field(piece, 2));
                    break;
                case RuleKind::WholePattern:
                    made = FillWholePatternRecord(record, Field(piece, 1));
                    break;
            }
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

void ReadRuleFile(const char* path, StringList* list) noexcept {
    if (path == nullptr || list == nullptr) {
        return;
    }
    File file(std::fopen(path, "rb"));
    if (!file) {
        return;
    }
    try {
        ReadPieces(file.get(), list);
    } catch (...) {
        // Out of memory while appending: the pieces read so far stay.
    }
}


}  // namespace talvo
