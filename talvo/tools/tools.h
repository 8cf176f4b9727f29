#pragma once

// The Tools unit: matching functions, case tables, rotations and block
// operations, exported from the library under their namespace-qualified C++
// names for other compiled code. None allocates, keeps state (but the start
// counter of initialization/Finalization) or throws.

#include <array>
#include <cstdint>
#include <string_view>

#include "talvo/tools/export.h"

namespace Tools {

// ---- Matching ---------------------------------------------------------------
// Texts and masks are byte strings; NUL bytes inside are ordinary bytes.
// The text always comes first, the mask second.

// True when `text` and `mask` have the same non-zero length and agree at every
// position where the mask does not hold `maskByte`. Bytes compared exactly.
TALVO_EXPORT bool Talvo_TestByMask(std::string_view text, std::string_view mask,
                                   std::uint8_t maskByte);

// The 1-based position of the first `byte` at or after `start` in `text`, or 0
// when there is none, the text is empty or `start` is past its end. A start
// below 1 searches from position 1.
TALVO_EXPORT std::int32_t Talvo_StrScan(std::string_view text, std::uint8_t byte,
                                        std::int32_t start);

// Wildcard match of the whole text: '?' is any one byte, '*' any run of bytes.
// An empty mask matches nothing. Bytes compared exactly.
TALVO_EXPORT bool Talvo_TestWildStr(std::string_view text, std::string_view mask);

// As Talvo_TestWildStr, letters compared without regard to case through
// ToUpperChars (ASCII and code page 1251).
TALVO_EXPORT bool Talvo_TestWildText(std::string_view text, std::string_view mask);

// ---- Case tables (code page 1251) ------------------------------------------
// Indexed by the unsigned byte value; read-only, present from load.
TALVO_EXPORT extern const std::uint8_t ToUpperChars[256];
TALVO_EXPORT extern const std::uint8_t ToLowerChars[256];

// ---- Bit and block utilities ------------------------------------------------
inline constexpr std::int32_t kBlockSize = 32768;
using Block = std::array<std::uint8_t, kBlockSize>;

// Rotations by (count AND 15) or (count AND 31) places.
TALVO_EXPORT std::uint16_t LRot16(std::uint16_t value, std::int32_t count);
TALVO_EXPORT std::uint16_t RRot16(std::uint16_t value, std::int32_t count);
TALVO_EXPORT std::int32_t LRot32(std::int32_t value, std::int32_t count);
TALVO_EXPORT std::int32_t RRot32(std::int32_t value, std::int32_t count);

// output[i] = first[i] XOR second[i] for i below `length`; the output may be
// either input. A length below 1 or above kBlockSize writes nothing.
TALVO_EXPORT void XorBlock(const Block* first, const Block* second, Block* output,
                           std::int32_t length);

// Adds 1 to the first `length` bytes taken as one big-endian number; the carry
// out of byte 0 is lost. A length below 1 or above kBlockSize touches nothing.
TALVO_EXPORT void IncBlock(Block* block, std::int32_t length);

// The unit's start and stop entry points: they count down and up one counter
// (one atomic step each, safe from any thread) and do nothing else.
TALVO_EXPORT void initialization();
TALVO_EXPORT void Finalization();

}  // namespace Tools
