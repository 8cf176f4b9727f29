#include "talvo/rules/rule_files.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "talvo/frame/encoding.h"
#include "talvo/rules/rule_store.h"
#include "talvo/tools/byte_scan.h"


namespace talvo {
namespace {

constexpr std::size_t kPieceCharacters = 512;
constexpr char kFieldSeparator = 4;
constexpr char32_t kEndOfFile = 26;

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

RuleFileSource g_source = nullptr;

// Cuts a file's characters into pieces and appends them: CR dropped, a piece
// ends after a line feed or after 512 characters, a NUL ends a piece's text,
// one trailing line feed goes unless the piece is that line feed alone.
// `Char` is a byte of a code page 1251 file, or a code point of a decoded
// one, whose pieces are appended as UTF-8.
template <typename Char, typename List>
class PieceCutter {
public:
    PieceCutter(List* list, RuleFileReading* reading) : m_list(list), m_reading(reading) {}

    // Takes the next character; answers false at the Ctrl-Z that ends the file.
    bool Take(Char character) {
        const auto code = static_cast<char32_t>(character);
        if (code == kEndOfFile) {
            return false;
        }
        if (code == '\r') {
            return true;
        }
        if (m_used == 0) {
            m_pieceLine = m_line;
        }
        m_piece[m_used++] = character;
        if (code == '\n') {
            ++m_line;
            Append(false);
        } else if (m_used == kPieceCharacters) {
            Append(true);
        }
        return true;
    }

    // Takes `count` characters none of which is CR, LF or Ctrl-Z, at most as
    // many as the piece has room for.
    void TakeRun(const Char* characters, std::size_t count) {
        if (count == 0) {
            return;
        }
        if (m_used == 0) {
            m_pieceLine = m_line;
        }
        std::memcpy(m_piece + m_used, characters, count * sizeof(Char));
        m_used += count;
        if (m_used == kPieceCharacters) {
            Append(true);
        }
    }

    // How many more characters the piece has room for.
    std::size_t Room() const { return kPieceCharacters - m_used; }

    // Appends what is left when the file (or its Ctrl-Z) ends.
    void Finish() {
        if (m_used > 0) {
            Append(false);
        }
    }

    // The line the next character stands on.
    std::int32_t Line() const { return m_line; }

private:
    void Append(bool split) {
        std::size_t length = 0;
        if constexpr (sizeof(Char) == 1) {
            const void* nul = std::memchr(m_piece, '\0', m_used);
            length = nul != nullptr ? static_cast<std::size_t>(static_cast<const Char*>(nul) - m_piece) : m_used;
        } else {
            while (length < m_used && m_piece[length] != Char{0}) {
                ++length;
            }
        }
        const bool cutAtNul = length < m_used;
        if (length > 1 && m_piece[length - 1] == Char{'\n'}) {
            --length;
        }
        m_used = 0;
        m_reading->origins.push_back({m_pieceLine, split, cutAtNul});
        const std::size_t before = m_list->size();
        try {
            if constexpr (sizeof(Char) == 1) {
                m_list->emplace_back(m_piece, length);
            } else {
                char utf8[kPieceCharacters * 4];
                std::size_t bytes = 0;
                for (std::size_t i = 0; i < length; ++i) {
                    bytes += WriteUtf8(m_piece[i], utf8 + bytes);
                }
                m_list->emplace_back(utf8, bytes);
            }
        } catch (...) {
            m_reading->origins.pop_back();
            if (m_list->size() > before) {
                m_list->pop_back();
            }
            throw;
        }
    }

    List* m_list;
    RuleFileReading* m_reading;
    Char m_piece[kPieceCharacters];
    std::size_t m_used = 0;
    std::int32_t m_line = 1;
    std::int32_t m_pieceLine = 1;
};

// How many of the first `limit` bytes come before one the cutter must look
// at: a CR, a LF or a Ctrl-Z.
std::size_t PlainRun(const char* bytes, std::size_t limit) {
    return Tools::FirstPlace(bytes, limit, Tools::AnyOfThree('\r', '\n', static_cast<char>(kEndOfFile)));
}

// Gives the cutter a character; at the Ctrl-Z that ends the file answers
// false, and notes its line when bytes follow it (`more`).
template <typename Cutter, typename Char>
bool TakeOrEnd(Cutter& cutter, Char character, bool more, RuleFileReading* reading) {
    const std::int32_t line = cutter.Line();
    if (cutter.Take(character)) {
        return true;
    }
    if (more) {
        reading->ignoredFromLine = line;
    }
    return false;
}

// Appends what is left; the last piece is never split, as nothing of its
// line follows.
template <typename Cutter>
void FinishFile(Cutter& cutter, RuleFileReading* reading) {
    cutter.Finish();
    if (!reading->origins.empty()) {
        reading->origins.back().split = false;
    }
}

// Cuts a code page 1251 file: the runs between the bytes the cutter must look
// at go in whole.
template <typename List>
void CutBytes(std::string_view bytes, List* list, RuleFileReading* reading) {
    PieceCutter<char, List> cutter(list, reading);
    const char* const data = bytes.data();
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::size_t window = std::min(cutter.Room(), bytes.size() - position);
        const std::size_t run = PlainRun(data + position, window);
        cutter.TakeRun(data + position, run);
        position += run;
        if (run == window) {
            continue;
        }
        const char character = data[position++];
        if (!TakeOrEnd(cutter, character, position < bytes.size(), reading)) {
            break;
        }
    }
    FinishFile(cutter, reading);
}

// Feeds the characters that `next` reads from `bytes` (from `position` on)
// through a cutter.
template <typename Char, typename Next, typename List>
void CutPieces(std::string_view bytes, std::size_t position, Next next, List* list, RuleFileReading* reading) {
    PieceCutter<Char, List> cutter(list, reading);
    while (position < bytes.size()) {
        const Char character = next(bytes, position);
        if (!TakeOrEnd(cutter, character, position < bytes.size(), reading)) {
            break;
        }
    }
    FinishFile(cutter, reading);
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

template <typename List>
void ReadPieces(std::string_view bytes, List* list, RuleFileReading* reading) {
    std::size_t position = 0;
    reading->encoding = Detect(bytes, position);
    switch (reading->encoding) {
        case RuleFileEncoding::Cp1251:
            CutBytes(bytes, list, reading);
            break;
        case RuleFileEncoding::Utf8:
        case RuleFileEncoding::Utf8Bom:
            CutPieces<char32_t>(bytes, position, ReadUtf8, list, reading);
            break;
        case RuleFileEncoding::Utf16Le:
        case RuleFileEncoding::Utf16Be: {
            const bool bigEndian = reading->encoding == RuleFileEncoding::Utf16Be;
            CutPieces<char32_t>(
                bytes, position,
                [bigEndian](std::string_view all, std::size_t& at) { return ReadUtf16(all, at, bigEndian); }, list,
                reading);
            break;
        }
    }
}

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
    std::string_view found[2];
    std::size_t at = 0;
    const auto ends = [&piece](std::size_t place) { return place == piece.size() || piece[place] == '\0'; };
    for (std::string_view& field : found) {
        while (!ends(at) && piece[at] == kFieldSeparator) {
            ++at;
        }
        const std::size_t start = at;
        while (!ends(at) && piece[at] != kFieldSeparator) {
            ++at;
        }
        field = piece.substr(start, at - start);
    }
    return {found[0], found[1]};
}

void FillPatternRecord(RuleRecord* record, std::string_view pattern, std::string_view exceptions,
                       TokenRegion* region) {
    if (exceptions == "-") {
        exceptions = {};
    }
    record->words = Tokenize(pattern, ' ', region);
    record->exceptions = Tokenize(exceptions, '@', region);
}

void FillAddressRecord(RuleRecord* record, std::string_view pattern, std::string_view exceptions,
                       TokenRegion* region) {
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
bool FillWholePatternRecord(RuleRecord* record, std::string_view pattern, TokenRegion* region) {
    record->words = NewTokenNode(pattern, region);
    return record->words != nullptr;
}

// Takes back the record at `index`, which ends the set there. Its memory
// stays in the store's region until the store goes.
void DropRecord(RuleSet set, std::size_t index, RuleStore& store) noexcept {
    store.incomplete = true;
    set[index] = nullptr;
}

}  // namespace

void LoadRuleSet(RuleStore& store, const char* path, std::int32_t setNumber, RuleKind kind) {
    RulePieces pieces;
    RuleFileReading reading;
    ReadRuleFile(path, &pieces, &reading);
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
    SetCompiler compiler(set, count);
    // Once one record is missing the set ends there; records made after it
    // could never be reached, not even to be freed, so none are made.
    bool setEnded = false;
    for (std::size_t i = 0; i < count; ++i) {
        ++store.entryCount;
        if (setEnded) {
            continue;
        }
        auto* record = static_cast<RuleRecord*>(store.region.Allocate(sizeof(RuleRecord), alignof(RuleRecord)));
        if (record == nullptr) {
            store.incomplete = true;
            setEnded = true;
            continue;
        }
        record->words = nullptr;
        record->exceptions = nullptr;
        record->wide = false;
        set[i] = record;
        bool made = false;
        try {
            made = FillRuleRecord(record, kind, pieces[i], reading.encoding, &store.region);
        } catch (...) {
            // A half-filled record would catch more than its rule says.
            DropRecord(set, i, store);
            throw;
        }
        if (!made) {
            DropRecord(set, i, store);
            setEnded = true;
            continue;
        }
        compiler.Add();
    }
    store.compiled[setNumber] = compiler.Finish();
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

bool FillRuleRecord(RuleRecord* record, RuleKind kind, std::string_view piece, RuleFileEncoding encoding,
                    TokenRegion* region) {
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

namespace {

template <typename List>
void ReadBytesInto(std::string_view bytes, List* list, RuleFileReading* reading) noexcept {
    RuleFileReading ignored;
    RuleFileReading& filled = reading != nullptr ? *reading : ignored;
    filled = RuleFileReading{};
    filled.found = true;
    if (list == nullptr) {
        return;
    }
    try {
        ReadPieces(bytes, list, &filled);
    } catch (...) {
        // Out of memory while appending: the pieces read so far stay, and
        // the last of them is not followed by the rest of its line.
        if (!filled.origins.empty()) {
            filled.origins.back().split = false;
        }
    }
}

template <typename List>
void ReadFileInto(const char* path, List* list, RuleFileReading* reading) noexcept {
    if (reading != nullptr) {
        *reading = RuleFileReading{};
    }
    if (path == nullptr || list == nullptr) {
        return;
    }
    if (g_source != nullptr) {
        std::string_view bytes;
        if (g_source(path, &bytes)) {
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

void RulePieces::emplace_back(const char* bytes, std::size_t length) {
    const std::size_t before = m_bytes.size();
    m_bytes.append(bytes, length);
    try {
        m_ends.push_back(m_bytes.size());
    } catch (...) {
        m_bytes.resize(before);
        throw;
    }
}

void RulePieces::pop_back() {
    m_ends.pop_back();
    m_bytes.resize(m_ends.empty() ? 0 : m_ends.back());
}

void ReadRuleBytes(std::string_view bytes, StringList* list, RuleFileReading* reading) noexcept {
    ReadBytesInto(bytes, list, reading);
}

void ReadRuleFile(const char* path, StringList* list, RuleFileReading* reading) noexcept {
    ReadFileInto(path, list, reading);
}

void ReadRuleFile(const char* path, RulePieces* list, RuleFileReading* reading) noexcept {
    ReadFileInto(path, list, reading);
}

RuleFileSource SetRuleFileSource(RuleFileSource source) noexcept {
    const RuleFileSource previous = g_source;
    g_source = source;
    return previous;
}

}  // namespace talvo
