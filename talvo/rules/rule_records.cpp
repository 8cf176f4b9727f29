// Making a record of one piece, as its rule file's kind prescribes: the one
// way the loaders and the rule checker make records.

#include <algorithm>
#include <string>
#include <string_view>

#include "talvo/frame/encoding.h"
#include "talvo/rules/piece_cutting.h"
#include "talvo/rules/rule_files.h"
#include "talvo/rules/rule_store.h"

namespace talvo {
namespace {

constexpr char kFieldSeparator = 4;

// The text a decoded file's piece (UTF-8) is made into a rule from: the same
// characters in code page 1251 when the code page holds them all, so that the
// rule is exactly the one a code page 1251 file would give, written to
// `narrowed` (room for a piece); else the UTF-8 piece itself, and
// `wide` is set.
std::string_view PieceText(std::string_view piece, char (&narrowed)[kPieceCharacters], bool& wide) {
    std::size_t length = 0;
    for (std::size_t position = 0; position < piece.size() && length < kPieceCharacters;) {
        const Unit unit = UnitOfCodePoint(ReadUtf8(piece, position));
        if (unit >= kFirstWideUnit) {
            wide = true;
            return piece;
        }
        narrowed[length++] = static_cast<char>(unit);
    }
    return std::string_view(narrowed, length);
}

// The pattern field and the exception field of a piece, whose text ends at
// its end or at a NUL: fields are runs of bytes other than byte 4, counted as
// GetToken counts them; an absent field is empty.
struct Fields {
    std::string_view pattern;
    std::string_view exceptions;
};

Fields PieceFields(std::string_view piece) {
    // One walk over the bytes: pieces are mostly a few bytes long, where a
    // library search per field costs more than the bytes it looks at.
    const char* at = piece.data();
    const char* end = at + piece.size();
    std::string_view found[2];
    for (std::string_view& field : found) {
        while (at != end && *at == kFieldSeparator) {
            ++at;
        }
        const char* const start = at;
        while (at != end && *at != kFieldSeparator && *at != '\0') {
            ++at;
        }
        field = std::string_view(start, static_cast<std::size_t>(at - start));
        if (at != end && *at == '\0') {
            end = at;
        }
    }
    return {found[0], found[1]};
}

// The exception groups of a field: runs of bytes other than '@', each kept
// as written and split at blanks into its words.
RuleGroup* SplitGroups(std::string_view field, TokenRegion& region) {
    RuleGroup* first = nullptr;
    RuleGroup** link = &first;
    std::size_t at = 0;
    for (;;) {
        while (at < field.size() && field[at] == '@') {
            ++at;
        }
        if (at == field.size()) {
            return first;
        }
        const std::size_t start = at;
        while (at < field.size() && field[at] != '@') {
            ++at;
        }
        const std::string_view text = field.substr(start, at - start);
        auto* group = static_cast<RuleGroup*>(region.Allocate(sizeof(RuleGroup), alignof(RuleGroup)));
        if (group == nullptr) {
            throw TokenizeOutOfMemory("Out of memory: tokenize (1)");
        }
        *group = {nullptr, nullptr, nullptr};
        group->text = region.Copy(text);
        if (group->text == nullptr) {
            throw TokenizeOutOfMemory("Out of memory: tokenize (2)");
        }
        group->words = Tokenize(text, ' ', region);
        *link = group;
        link = &group->next;
    }
}

void FillPatternRecord(RuleRecord* record, std::string_view pattern, std::string_view exceptions,
                       TokenRegion& region) {
    if (exceptions == "-") {
        exceptions = {};
    }
    record->words = Tokenize(pattern, ' ', region);
    record->exceptions = SplitGroups(exceptions, region);
}

void FillAddressRecord(RuleRecord* record, std::string_view pattern, std::string_view exceptions,
                       TokenRegion& region) {
    if (pattern.empty()) {
        return;
    }
    if (pattern.find_first_of(".!*@") == std::string_view::npos) {
        // A bare nickname stands for every address of that nickname.
        FillPatternRecord(record, std::string(pattern) + "!*", exceptions, region);
        return;
    }
    FillPatternRecord(record, pattern, exceptions, region);
}

// Whole-pattern records hold the whole field as their one word. Without that
// word the record would catch every text, so a missing word means no record.
bool FillWholePatternRecord(RuleRecord* record, std::string_view pattern, TokenRegion& region) {
    record->words = NewTokenNode(pattern, region);
    return record->words != nullptr;
}


}  // namespace

bool FillRuleRecord(RuleRecord* record, RuleKind kind, std::string_view piece, RuleFileEncoding encoding,
                    TokenRegion& region) {
    record->wide = false;
    char narrowed[kPieceCharacters];
    const Fields fields =
        PieceFields(encoding == RuleFileEncoding::Cp1251 ? piece : PieceText(piece, narrowed, record->wide));
    switch (kind) {
        case RuleKind::Pattern:
            FillPatternRecord(record, fields.pattern, fields.exceptions, region);
            return true;
        case RuleKind::Address:
            FillAddressRecord(record, fields.pattern, fields.exceptions, region);
            return true;
        case RuleKind::WholePattern:
            return FillWholePatternRecord(record, fields.pattern, region);
    }
    return false;
}

}  // namespace talvo
