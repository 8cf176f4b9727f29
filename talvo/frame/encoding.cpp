#include "talvo/frame/encoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>


#include "talvo/tools/byte_scan.h"
#include "talvo/tools/tools.h"

namespace talvo {
namespace {

// The characters of the bytes 0x80..0xFF; 0x00..0x7F are ASCII. 0x98 is
// undefined in the code page and stands for U+0098.
constexpr char32_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 0xC8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 0xD0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 0xD8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // 0xE0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // 0xE8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // 0xF0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // 0xF8
};

struct ByteOfCodePoint {
    char32_t codePoint;
    unsigned char byte;
};

// The upper half sorted by code point, for the way back.
constexpr std::array<ByteOfCodePoint, 128> BuildByCodePoint() {
    std::array<ByteOfCodePoint, 128> table{};
    for (std::size_t i = 0; i < 128; ++i) {
        table[i] = {kUpperHalf[i], static_cast<unsigned char>(0x80 + i)};
    }
    std::sort(table.begin(), table.end(),
              [](const ByteOfCodePoint& a, const ByteOfCodePoint& b) { return a.codePoint < b.codePoint; });
    return table;
}
constexpr std::array<ByteOfCodePoint, 128> kByCodePoint = BuildByCodePoint();

constexpr bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The unit of every code point below U+0800 (the two-byte forms of UTF-8).
constexpr std::array<std::uint16_t, 0x800> BuildTwoByteUnits() {
    std::array<std::uint16_t, 0x800> units{};
    for (std::size_t codePoint = 0; codePoint < units.size(); ++codePoint) {
        units[codePoint] = static_cast<std::uint16_t>(codePoint < 0x80 ? codePoint : kFirstWideUnit + codePoint);
    }
    for (std::size_t byte = 0x80; byte < 0x100; ++byte) {
        if (kUpperHalf[byte - 0x80] < units.size()) {
            units[kUpperHalf[byte - 0x80]] = static_cast<std::uint16_t>(byte);
        }
    }
    return units;
}
constexpr std::array<std::uint16_t, 0x800> kTwoByteUnits = BuildTwoByteUnits();

// Reads one UTF-8 sequence; `valid` tells whether it was well-formed.
char32_t ReadUtf8Checked(std::string_view bytes, std::size_t& position, bool& valid) noexcept {
    const auto lead = static_cast<unsigned char>(bytes[position]);
    ++position;
    valid = true;
    if (lead < 0x80) {
        return lead;
    }
    // The second byte's range narrows for E0, ED, F0 and F4: that is what
    // keeps out overlong forms, surrogates and code points past U+10FFFF.
    std::size_t more = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        valid = false;
        return kReplacementCharacter;
    }
    for (std::size_t k = 0; k < more; ++k) {
        if (position >= bytes.size()) {
            valid = false;
            return kReplacementCharacter;
        }
        const auto next = static_cast<unsigned char>(bytes[position]);
        const bool fits = k == 0 ? next >= low && next <= high : IsContinuation(next);
        if (!fits) {
            // The bytes read so far are the malformed sequence; `next` starts
            // the following character.
            valid = false;
            return kReplacementCharacter;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
        ++position;
    }
    return codePoint;
}

// The position of the first byte above 127 at or after `position`, or the
// size.
std::size_t SkipAscii(std::string_view bytes, std::size_t position) noexcept {
    return position + Tools::FirstPlace(bytes.data() + position, bytes.size() - position, Tools::HighByte{});
}

// Writes the `count` bytes at `bytes` to `out` as units, each byte its own
// unit: the ASCII runs of a wide text, sixteen at a time with SSE2.
void WidenBytes(const char* bytes, std::size_t count, Unit* out) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; count - i >= 16; i += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i low = _mm_unpacklo_epi8(sixteen, zero);
        const __m128i high = _mm_unpackhi_epi8(sixteen, zero);
        auto* const to = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(to, _mm_unpacklo_epi16(low, zero));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(low, zero));
        _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(high, zero));
        _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(high, zero));
    }
#endif
    for (; i < count; ++i) {
        out[i] = static_cast<unsigned char>(bytes[i]);
    }
}

}  // namespace

char32_t CodePointOfByte(unsigned char byte) noexcept {
    return byte < 0x80 ? byte : kUpperHalf[byte - 0x80];
}

Unit UnitOfCodePoint(char32_t codePoint) noexcept {
    if (codePoint < kTwoByteUnits.size()) {
        return kTwoByteUnits[codePoint];
    }
    // Emoji and most scripts lie past every code point the code page holds.
    if (codePoint > kByCodePoint.back().codePoint) {
        return kFirstWideUnit + codePoint;
    }
    const auto* found = std::lower_bound(
        kByCodePoint.begin(), kByCodePoint.end(), codePoint,
        [](const ByteOfCodePoint& entry, char32_t value) { return entry.codePoint < value; });
    if (found != kByCodePoint.end() && found->codePoint == codePoint) {
        return found->byte;
    }
    return kFirstWideUnit + codePoint;
}

char32_t CodePointOfUnit(Unit unit) noexcept {
    return unit < kFirstWideUnit ? CodePointOfByte(static_cast<unsigned char>(unit)) : unit - kFirstWideUnit;
}

Unit UnitKey(Unit unit) noexcept { return unit < kFirstWideUnit ? Tools::ToUpperChars[unit] : unit; }

char32_t ReadUtf8(std::string_view bytes, std::size_t& position) noexcept {
    bool valid = true;
    return ReadUtf8Checked(bytes, position, valid);
}

char32_t ReadUtf16(std::string_view bytes, std::size_t& position, bool bigEndian) noexcept {
    const auto unitAt = [&](std::size_t at) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    if (bytes.size() - position < 2) {
        position = bytes.size();
        return kReplacementCharacter;
    }
    const char32_t unit = unitAt(position);
    position += 2;
    if (unit < 0xD800 || unit > 0xDFFF) {
        return unit;
    }
    if (unit <= 0xDBFF && bytes.size() - position >= 2) {
        const char32_t low = unitAt(position);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            position += 2;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return kReplacementCharacter;
}

bool IsWellFormedUtf8(std::string_view bytes) noexcept {
    std::size_t position = 0;
    while ((position = SkipAscii(bytes, position)) < bytes.size()) {
        bool valid = true;
        ReadUtf8Checked(bytes, position, valid);
        if (!valid) {
            return false;
        }
    }
    return true;
}

bool IsUtf8Text(std::string_view bytes) noexcept {
    const std::size_t high = SkipAscii(bytes, 0);
    return high < bytes.size() && IsWellFormedUtf8(bytes.substr(high));
}

std::size_t WriteUtf8(char32_t codePoint, char* out) noexcept {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

void AppendUtf8(char32_t codePoint, std::string& out) {
    char bytes[4];
    out.append(bytes, WriteUtf8(codePoint, bytes));
}

void AppendUtf16(char32_t codePoint, bool bigEndian, std::string& out) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        codePoint = kReplacementCharacter;
    }
    const auto put = [&](char32_t unit) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    if (codePoint < 0x10000) {
        put(codePoint);
    } else {
        put(0xD800 + ((codePoint - 0x10000) >> 10));
        put(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
}

std::string Utf8FromCp1251(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        AppendUtf8(CodePointOfByte(static_cast<unsigned char>(byte)), out);
    }
    return out;
}

std::string Utf16FromCp1251(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        AppendUtf16(CodePointOfByte(static_cast<unsigned char>(byte)), bigEndian, out);
    }
    return out;
}

std::size_t UnitsFromUtf8(std::string_view bytes, Unit* out, std::size_t capacity) noexcept {
    std::size_t count = 0;
    std::size_t position = 0;
    while (position < bytes.size()) {
        const Unit unit = UnitOfCodePoint(ReadUtf8(bytes, position));
        if (count < capacity) {
            out[count] = unit;
        }
        ++count;
    }
    return count;
}

CallText::CallText(const char* data) : m_bytes(data) {
    const std::string_view text = m_bytes;
    std::size_t position = SkipAscii(text, 0);
    if (position == text.size()) {
        return;  // ASCII only: the same bytes either way
    }
    // Most code page 1251 texts stop being UTF-8 at their first byte above
    // 127; they are told apart before anything is allocated.
    std::size_t probe = position;
    bool valid = true;
    const Unit first = UnitOfCodePoint(ReadUtf8Checked(text, probe, valid));
    if (!valid) {
        return;
    }
    // Decoding only ever shortens the text.
    char* const start = Room(text.size() + 1);
    std::memcpy(start, text.data(), position);
    char* out = start + position;
    position = probe;
    if (first >= kFirstWideUnit) {
        DecodeWide(text, start, out, position, first);
        return;
    }
    *out++ = static_cast<char>(first);
    while (position < text.size()) {
        const auto lead = static_cast<unsigned char>(text[position]);
        Unit unit;
        if (lead < 0x80) {
            unit = lead;
            ++position;
        } else if (lead >= 0xC2 && lead <= 0xDF && position + 1 < text.size() &&
                   IsContinuation(static_cast<unsigned char>(text[position + 1]))) {
            // Two bytes, Cyrillic among them: straight from the table.
            unit = kTwoByteUnits[((lead & 0x1F) << 6) | (text[position + 1] & 0x3F)];
            position += 2;
        } else {
            unit = UnitOfCodePoint(ReadUtf8Checked(text, position, valid));
            if (!valid) {
                return;  // not UTF-8 after all
            }
        }
        if (unit >= kFirstWideUnit) {
            DecodeWide(text, start, out, position, unit);
            return;
        }
        *out++ = static_cast<char>(unit);
    }
    *out = '\0';
    m_bytes = std::string_view(start, static_cast<std::size_t>(out - start));
}

char* CallText::Room(std::size_t size) {
    if (size <= kInlineBytes) {
        return m_inline;
    }
    m_heap = std::make_unique_for_overwrite<char[]>(size);
    return m_heap.get();
}

void CallText::DecodeWide(std::string_view text, char* start, char* out, std::size_t position, Unit wide) {
    // The bytes go on, byte 0 for each wide unit; the units themselves are
    // made only when asked for.
    *out++ = wide < kFirstWideUnit ? static_cast<char>(wide) : '\0';
    while (position < text.size()) {
        // Runs of ASCII, the bulk of most texts, go in whole.
        const std::size_t plain = SkipAscii(text, position);
        std::memcpy(out, text.data() + position, plain - position);
        out += plain - position;
        position = plain;
        if (position == text.size()) {
            break;
        }
        bool valid = true;
        const char32_t codePoint = ReadUtf8Checked(text, position, valid);
        if (!valid) {
            return;  // not UTF-8 after all: the bytes as they are
        }
        const Unit unit = UnitOfCodePoint(codePoint);
        *out++ = unit < kFirstWideUnit ? static_cast<char>(unit) : '\0';
    }
    *out = '\0';
    m_source = text;
    m_bytes = std::string_view(start, static_cast<std::size_t>(out - start));
    m_wide = true;
}

UnitView CallText::Units() const {
    if (!m_wide || m_units.size() == m_bytes.size()) {
        return m_units;
    }
    // Well-formed UTF-8, as the constructor found it.
    m_units.resize(m_bytes.size());
    Unit* units = m_units.data();
    std::size_t position = 0;
    while (position < m_source.size()) {
        const std::size_t plain = SkipAscii(m_source, position);
        WidenBytes(m_source.data() + position, plain - position, units);
        units += plain - position;
        position = plain;
        if (position < m_source.size()) {
            *units++ = UnitOfCodePoint(ReadUtf8(m_source, position));
        }
    }
    return m_units;
}

}  // namespace talvo
