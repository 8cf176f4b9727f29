#pragma once

// Code page 1251 and Unicode: the library's texts are code page 1251 bytes,
// but a modern host hands over UTF-8 and rule files come in UTF-8 or UTF-16.
// Decoded text becomes units:
//   - a character that code page 1251 holds is its byte value, 0..255, so a
//     decoded text of such characters is exactly the bytes the same text in
//     code page 1251 would be;
//   - any other character is kFirstWideUnit + its code point: a unit that has
//     no case partner and is equal only to itself.
// The byte 0x98, which code page 1251 leaves undefined, stands for U+0098 both
// ways, so every byte has exactly one character and back.
// Nothing here depends on a locale.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace talvo {

using Unit = char32_t;
using UnitString = std::u32string;
using UnitView = std::u32string_view;

inline constexpr Unit kFirstWideUnit = 0x100;
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character of a code page 1251 byte.
char32_t CodePointOfByte(unsigned char byte) noexcept;

// The unit of a code point: its code page 1251 byte, or kFirstWideUnit + the
// code point when the code page lacks it.
Unit UnitOfCodePoint(char32_t codePoint) noexcept;

// The code point a unit stands for (inverse of UnitOfCodePoint).
char32_t CodePointOfUnit(Unit unit) noexcept;

// Upper-case key of a unit for case-blind comparison: ToUpperChars for units
// below 256, the unit itself above. Two units agree when their keys do.
Unit UnitKey(Unit unit) noexcept;

// ---- Reading one character ---------------------------------------------------
// Each reader takes the character starting at `position` (which must be below
// the size), moves `position` past it and answers its code point. A malformed
// UTF-8 sequence (the longest start of a well-formed one, at least one byte),
// an unpaired surrogate or a lone last byte of UTF-16 is read as one
// U+FFFD.
char32_t ReadUtf8(std::string_view bytes, std::size_t& position) noexcept;
char32_t ReadUtf16(std::string_view bytes, std::size_t& position, bool bigEndian) noexcept;

// True when every byte of `bytes` belongs to a well-formed UTF-8 sequence
// (the empty text included).
bool IsWellFormedUtf8(std::string_view bytes) noexcept;

// True for the texts that are read as UTF-8: well-formed UTF-8 holding at
// least one byte above 127. Any other text is code page 1251 bytes.
bool IsUtf8Text(std::string_view bytes) noexcept;

// ---- Writing -------------------------------------------------------------------
// Appends the UTF-8 or UTF-16 form of `codePoint` (at most U+10FFFF; a
// surrogate code point is written as U+FFFD).
void AppendUtf8(char32_t codePoint, std::string& out);
// The same written at `out` (room for 4 bytes); answers the bytes written.
std::size_t WriteUtf8(char32_t codePoint, char* out) noexcept;
void AppendUtf16(char32_t codePoint, bool bigEndian, std::string& out);

// Code page 1251 bytes as UTF-8 or UTF-16 (no byte-order mark).
std::string Utf8FromCp1251(std::string_view bytes);
std::string Utf16FromCp1251(std::string_view bytes, bool bigEndian);

// ---- Whole texts ---------------------------------------------------------------

// Decodes well-formed UTF-8 `bytes` into units, written to `out` (room for
// `capacity` units). Answers the number of units the text holds; when that is
// more than `capacity`, only the first `capacity` were written. Malformed
// sequences give the unit of U+FFFD.
std::size_t UnitsFromUtf8(std::string_view bytes, Unit* out, std::size_t capacity) noexcept;

// A command export's call text as the library reads it. A text that
// IsUtf8Text accepts is decoded: when code page 1251 holds all its
// characters it becomes those code page 1251 bytes, otherwise units. Any
// other text stays the bytes it is, with no copy made.
class CallText {
public:
    // `data`: the host's NUL-terminated data buffer, not null; it must
    // outlive the object. Throws std::bad_alloc when memory runs out.
    explicit CallText(const char* data);
    CallText(const CallText&) = delete;
    CallText& operator=(const CallText&) = delete;

    // True when the text holds characters code page 1251 lacks: Units() is
    // the text. Otherwise Bytes() is.
    bool IsWide() const { return m_wide; }
    // The text as code page 1251 bytes, a NUL after them. In a wide text
    // byte 0 stands for each character the code page lacks, one byte a
    // unit.
    std::string_view Bytes() const { return m_bytes; }
    // The text as units, some at or above kFirstWideUnit (wide only), made
    // at the first call. Throws std::bad_alloc when memory runs out.
    UnitView Units() const;

private:
    // Decodes `text`, which holds a character the code page lacks, into
    // bytes with 0 for each such character: the characters before it are in
    // [start, out) already, `wide` is the one that ends at `position`; the
    // rest is decoded from there. Leaves the bytes as they are when it is
    // not UTF-8.
    void DecodeWide(std::string_view text, char* start, char* out, std::size_t position, Unit wide);

    std::string_view m_bytes;
    std::string_view m_source;  // the UTF-8 of a wide text
    // Room for the decoded bytes and a NUL: inline when they fit, as most
    // chat lines do, so that decoding a call text allocates nothing.
    char* Room(std::size_t size);

    static constexpr std::size_t kInlineBytes = 1024;
    char m_inline[kInlineBytes];
    std::unique_ptr<char[]> m_heap;
    mutable UnitString m_units;
    bool m_wide = false;
};

}  // namespace talvo
