#include "talvo/magic/predicates.h"

#include <cstring>

namespace talvo {
namespace {

bool IsCapital(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsSmall(unsigned char c) { return c >= 'a' && c <= 'z'; }

// The consonant-run test treats y as a consonant, unlike CountVowels.
bool IsRunVowel(unsigned char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

bool IsCountedVowel(unsigned char c) { return IsRunVowel(c) || c == 'y'; }

std::int32_t Length(const char* text) {
    return static_cast<std::int32_t>(std::strlen(text));
}

}  // namespace

std::int32_t CountVowels(const char* text) {
    if (text == nullptr) {
        return -1;
    }
    std::int32_t count = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsCountedVowel(static_cast<unsigned char>(*p))) {
            ++count;
        }
    }
    return count;
}

bool HasConsonantRun(const char* text, std::int32_t n) {
    if (text == nullptr) {
        return false;
    }
    std::int32_t run = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsRunVowel(static_cast<unsigned char>(*p))) {
            run = 0;
        } else if (++run >= n) {
            return true;
        }
    }
    return false;
}

bool HasTripleRepeat(const char* text) {
    if (text == nullptr) {
        return true;
    }
    // Reading p[1] only after p[0] is known not to be the terminator (and p[2]
    // after p[1]) keeps every access inside the text.
    for (const char* p = text; p[0] != '\0' && p[1] != '\0' && p[2] != '\0'; ++p) {
        if (p[0] == p[1] && p[1] == p[2]) {
            return true;
        }
    }
    return false;
}

bool IsVowelPoor(std::int32_t length, std::int32_t vowels) {
    // Four-letter names get no vowel at all; the general third would allow one.
    static constexpr std::int32_t kShortLimits[] = {0, 1, 2, 2, 2, 3, 3};  // lengths 4..10
    if (length >= 4 && length <= 10) {
        return vowels <= kShortLimits[length - 4];
    }
    return vowels <= length / 3;
}

bool BothVowelPoor(const char* first, const char* second) {
    if (first == nullptr || second == nullptr) {
        return false;
    }
    return IsVowelPoor(Length(first), CountVowels(first)) &&
           IsVowelPoor(Length(second), CountVowels(second));
}

bool HasCommonCluster(const char* text) {
    if (text == nullptr) {
        return false;
    }
    static constexpr const char* kPairs[] = {"ng", "ch", "ph", "ny", "th"};
    static constexpr const char* kTriples[] = {"spl", "rry", "ght"};
    for (const char* pair : kPairs) {
        if (std::strstr(text, pair) != nullptr) {
            // A long consonant run outweighs the pair, and the triples are
            // then not consulted at all.
            return !HasConsonantRun(text, 5);
        }
    }
    for (const char* triple : kTriples) {
        if (std::strstr(text, triple) != nullptr) {
            return true;
        }
    }
    return false;
}

bool IsAllDots(const char* text) {
    if (text == nullptr) {
        return false;
    }
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '.') {
            return false;
        }
    }
    return true;
}

bool HasNoCapitals(const char* text) {
    if (text == nullptr) {
        return true;
    }
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsCapital(static_cast<unsigned char>(*p))) {
            return false;
        }
    }
    return true;
}

bool HasNoLowercase(const char* text) {
    if (text == nullptr) {
        return true;
    }
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsSmall(static_cast<unsigned char>(*p))) {
            return false;
        }
    }
    return true;
}

bool HasNonLetter(const char* text) {
    if (text == nullptr) {
        return true;
    }
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!IsCapital(c) && !IsSmall(c)) {
            return true;
        }
    }
    return false;
}

}  // namespace talvo
