#pragma once

// The generated-name classifier behind the Magic export (declared in
// host.h): grades from 0 to 4 how machine-made the nickname and user name of
// an IRC address ("nick!user@host", then optional test numbers to leave out)
// look. 0 is no match; 1 to 4 name the first of four tests that holds.

#include <cstdint>
#include <string>
#include <string_view>

#include "talvo/frame/encoding.h"

namespace talvo {

// Everything before the first '!', or the whole text when there is none (later
// tokens and blanks included).
std::string AddressNick(std::string_view text);

// Everything after the first '!' up to the first '@' after it, or to the end
// of the whole text when no '@' follows; empty when the text has no '!'.
std::string AddressUser(std::string_view text);

// The match level 0 to 4 for a whole call text; a null text answers 0. Throws
// only when memory runs out.
std::int32_t MagicLevel(const char* callText);
// The same for a call text whose length is known.
std::int32_t MagicLevel(std::string_view callText);

// MagicLevel for a call text decoded from UTF-8 that holds characters code
// page 1251 lacks (see talvo/frame/encoding.h). Such a character is not a
// letter, counts as one character of a name's length and, in the first
// characters level 3 compares, equals only itself.
std::int32_t MagicLevelOfUnits(UnitView callText);

}  // namespace talvo
