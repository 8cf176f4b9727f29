#include <cstring>
#include <limits>

#include "tools.h"

namespace Tools {
namespace {

constexpr char kAnyRun = '*';
constexpr char kAnyByte = '?';

// Byte comparison policies: exact, or through the upper-case table. Two bytes
// agree when the policy maps them to the same value.
struct ExactBytes {
    static unsigned char Key(unsigned char byte) { return byte; }
    // Every byte that agrees with `byte`: the byte itself.
    static unsigned char Partner(unsigned char byte) { return byte; }
};

struct CaseBlindBytes {
    static unsigned char Key(unsigned char byte) { return ToUpperChars[byte]; }
    // The tables pair every letter with exactly one partner, so a byte agrees
    // with itself and its partner only.
    static unsigned char Partner(unsigned char byte) {
        const unsigned char upper = ToUpperChars[byte];
        return upper != byte ? upper : ToLowerChars[byte];
    }
};

template <typename Bytes>
bool SameBytes(const char* text, const char* mask, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto m = static_cast<unsigned char>(mask[i]);
        const auto t = static_cast<unsigned char>(text[i]);
        if (m != static_cast<unsigned char>(kAnyByte) && m != t && Bytes::Key(m) != Bytes::Key(t)) {
            return false;
        }
    }
    return true;
}

// Compares from the last byte to the first, as the tail is anchored at the end.
template <typename Bytes>
bool SameBytesBackwards(const char* text, const char* mask, std::size_t count) {
    for (std::size_t i = count; i-- > 0;) {
        const auto m = static_cast<unsigned char>(mask[i]);
        const auto t = static_cast<unsigned char>(text[i]);
        if (m != static_cast<unsigned char>(kAnyByte) && m != t && Bytes::Key(m) != Bytes::Key(t)) {
            return false;
        }
    }
    return true;
}

// The first position in [from, last) holding `byte`, or `last`.
const char* Find(const char* from, const char* last, unsigned char byte) {
    const void* found = std::memchr(from, byte, static_cast<std::size_t>(last - from));
    return found != nullptr ? static_cast<const char*>(found) : last;
}

// The leftmost place at or after `text` where the `count` bytes of `segment`
// (no '*' among them) agree with the text, within `available` bytes; null
// when there is none.
template <typename Bytes>
const char* FindSegment(const char* text, std::size_t available, const char* segment,
                        std::size_t count) {
    if (available < count) {
        return nullptr;
    }
    const char* const lastStart = text + (available - count) + 1;  // one past
    const auto first = static_cast<unsigned char>(segment[0]);
    if (first == static_cast<unsigned char>(kAnyByte)) {
        for (const char* place = text; place != lastStart; ++place) {
            if (SameBytes<Bytes>(place + 1, segment + 1, count - 1)) {
                return place;
            }
        }
        return nullptr;
    }
    // Candidates are the places of the first byte or its case partner; memchr
    // finds them far faster than a byte loop.
    const unsigned char partner = Bytes::Partner(first);
    const char* nextFirst = Find(text, lastStart, first);
    const char* nextPartner = partner != first ? Find(text, lastStart, partner) : lastStart;
    for (;;) {
        const char* place = nextFirst < nextPartner ? nextFirst : nextPartner;
        if (place == lastStart) {
            return nullptr;
        }
        if (SameBytes<Bytes>(place + 1, segment + 1, count - 1)) {
            return place;
        }
        if (place == nextFirst) {
            nextFirst = Find(place + 1, lastStart, first);
        } else {
            nextPartner = Find(place + 1, lastStart, partner);
        }
    }
}

// Whole-text match of a mask holding at least one '*': the head is anchored
// at the start, the tail at the end, and each segment between stars is taken
// at its leftmost place after the one before. No back-tracking is needed: the
// leftmost place leaves the most text for what follows.
template <typename Bytes>
bool MatchWithStars(std::string_view text, std::string_view mask, std::size_t firstStar) {
    const char* place = text.data();
    std::size_t remaining = text.size();
    if (remaining < firstStar || !SameBytes<Bytes>(place, mask.data(), firstStar)) {
        return false;
    }
    place += firstStar;
    remaining -= firstStar;
    std::size_t segmentStart = firstStar;
    for (;;) {
        while (segmentStart < mask.size() && mask[segmentStart] == kAnyRun) {
            ++segmentStart;
        }
        const std::size_t segmentEnd = mask.find(kAnyRun, segmentStart);
        if (segmentEnd == std::string_view::npos) {
            break;
        }
        const std::size_t count = segmentEnd - segmentStart;
        const char* found = FindSegment<Bytes>(place, remaining, mask.data() + segmentStart, count);
        if (found == nullptr) {
            return false;
        }
        remaining -= static_cast<std::size_t>(found - place) + count;
        place = found + count;
        segmentStart = segmentEnd;
    }
    const std::size_t tail = mask.size() - segmentStart;
    if (tail > remaining) {
        return false;
    }
    return SameBytesBackwards<Bytes>(text.data() + text.size() - tail, mask.data() + segmentStart, tail);
}

template <typename Bytes>
bool MatchWild(std::string_view text, std::string_view mask) {
    const std::size_t firstStar = mask.find(kAnyRun);
    if (firstStar == std::string_view::npos) {
        return !mask.empty() && mask.size() == text.size() &&
               SameBytes<Bytes>(text.data(), mask.data(), mask.size());
    }
    return MatchWithStars<Bytes>(text, mask, firstStar);
}

}  // namespace

bool Talvo_TestByMask(std::string_view text, std::string_view mask, std::uint8_t maskByte) {
    if (text.empty() || mask.empty() || text.size() != mask.size()) {
        return false;
    }
    for (std::size_t i = mask.size(); i-- > 0;) {
        const auto m = static_cast<unsigned char>(mask[i]);
        if (m != maskByte && m != static_cast<unsigned char>(text[i])) {
            return false;
        }
    }
    return true;
}

std::int32_t Talvo_StrScan(std::string_view text, std::uint8_t byte, std::int32_t start) {
    // Positions are answered as 32-bit numbers; bytes beyond that are not searched.
    constexpr auto kMaxLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    const std::size_t length = text.size() < kMaxLength ? text.size() : kMaxLength;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (length == 0 || from >= length) {
        return 0;
    }
    const void* found = std::memchr(text.data() + from, byte, length - from);
    return found == nullptr ? 0
                            : static_cast<std::int32_t>(static_cast<const char*>(found) - text.data() + 1);
}

bool Talvo_TestWildStr(std::string_view text, std::string_view mask) {
    // Without a star this is the fixed-length mask test with '?' as wildcard.
    return MatchWild<ExactBytes>(text, mask);
}

bool Talvo_TestWildText(std::string_view text, std::string_view mask) {
    return MatchWild<CaseBlindBytes>(text, mask);
}

}  // namespace Tools
