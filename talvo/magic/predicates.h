#pragma once

// Letter-pattern tests on NUL-terminated byte texts. Bytes are classified by
// their plain value (capitals 65-90, small letters 97-122); no locale and no
// code page is consulted, so every byte from 128 up is a non-letter. Each test
// reads the text in place and allocates nothing. A null text is accepted by
// every test that takes one text and gets the fixed answer documented below.

#include <cstdint>

namespace talvo {

// The number of bytes equal to a, e, i, o, u or y; -1 for a null text.
std::int32_t CountVowels(const char* text);

// True when some `n` consecutive bytes hold none of a, e, i, o, u (y, capitals
// and every other byte count as consonants). False for a null or empty text.
bool HasConsonantRun(const char* text, std::int32_t n);

// True when some byte equals the next two bytes exactly. True for a null text.
bool HasTripleRepeat(const char* text);

// True when `vowels` is within the allowance for a name of `length` bytes.
bool IsVowelPoor(std::int32_t length, std::int32_t vowels);

// IsVowelPoor of each text's length and vowel count; the second text is only
// examined when the first passes. A null text is not a name: the answer is
// false.
bool BothVowelPoor(const char* first, const char* second);

// True when the text holds one of ng, ch, ph, ny, th (unless it also holds a
// run of five consonants) or, failing those, one of spl, rry, ght. False for a
// null text.
bool HasCommonCluster(const char* text);

// True when every byte is '.', the empty text included. False for a null text.
bool IsAllDots(const char* text);

// True when no byte is a capital A-Z. True for a null text.
bool HasNoCapitals(const char* text);

// True when no byte is a small letter a-z. True for a null text.
bool HasNoLowercase(const char* text);

// True when some byte is not a letter; false for the empty text, true for a
// null text.
bool HasNonLetter(const char* text);

}  // namespace talvo
