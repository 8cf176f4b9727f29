#pragma once

// The library's byte strings are std::string values holding 8-bit bytes (NUL
// allowed inside). These helpers add what the library's texts need on top:
// construction from a C string that may be null, 1-based character access
// that refuses positions outside the string, 1-based substrings and the
// decimal text of a 32-bit integer. Nothing here depends on a locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvo {

// The bytes of `text` up to its NUL; a null pointer gives the empty string.
std::string FromCString(const char* text);

// The byte at 1-based `position`. Throws std::out_of_range when the position
// is below 1 or above the length.
char CharAt(std::string_view text, std::int32_t position);

// `count` bytes from 1-based `start`, cut short at the end of the text. A start
// below 1 or past the end, or a count below 1, gives the empty string.
std::string SubString(std::string_view text, std::int32_t start, std::int32_t count);

// "-12", "0", "2147483647": no "+", no leading zeros.
std::string DecimalText(std::int32_t value);

// Writes the decimal text of `value` (at most 11 bytes, no NUL) at `out` and
// answers the end. Needs no memory, so answers can be written when none is left.
char* WriteDecimal(char* out, std::int32_t value) noexcept;

// Length in bytes as the 32-bit count the library's positions use; texts
// longer than that are counted as INT32_MAX bytes.
std::int32_t Length(std::string_view text);

}  // namespace talvo
