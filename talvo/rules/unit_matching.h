#pragma once

// Talvo_TestWildText over characters instead of bytes, for the rules and
// texts that hold characters code page 1251 lacks (units of 256 and up, see
// talvo/frame/encoding.h). The mask's '?' is any one character, '*' any run of
// characters; two characters agree when they are equal or ToUpperChars makes
// them equal; a unit of 256 or up agrees only with itself. The head of the
// mask is anchored at the start of the text, the tail at its end, and each
// segment between stars is taken at its leftmost place: the same answers as
// Talvo_TestWildText gives for the same characters as bytes.
//
// Texts and masks in code page 1251 bytes take part as they stand (a byte is
// its own unit). None of the TestWildUnits allocates or throws.

#include <string_view>

#include "talvo/frame/encoding.h"

namespace talvo {

bool TestWildUnits(UnitView text, UnitView mask) noexcept;
bool TestWildUnits(UnitView text, std::string_view mask) noexcept;
bool TestWildUnits(std::string_view text, UnitView mask) noexcept;

// A word of a wide rule (UTF-8, decoded to units here) against a text.
// Allocates only for a word of more than 520 characters; then it may throw
// std::bad_alloc.
bool TestWildUtf8Word(std::string_view text, std::string_view utf8Word);
bool TestWildUtf8Word(UnitView text, std::string_view utf8Word);

}  // namespace talvo
