#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "talvo/tools/tools.h"

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

// How common a byte is in chat text, higher for rarer bytes. The segment
// search looks for its rarest byte first, so that few places need a full
// comparison. Only speed depends on this; any ranking gives the same answers.
constexpr std::array<unsigned char, 256> BuildRarity() {
    std::array<unsigned char, 256> rarity{};
    for (auto& entry : rarity) {
        entry = 200;
    }
    constexpr char kByFrequency[] = " etaoinshrdlcumwfgypbvkjxqz";
    for (std::size_t i = 0; i + 1 < sizeof kByFrequency; ++i) {
        const auto lower = static_cast<unsigned char>(kByFrequency[i]);
        rarity[lower] = static_cast<unsigned char>(i);
        if (lower >= 'a' && lower <= 'z') {
            rarity[lower - 32] = static_cast<unsigned char>(i);
        }
    }
    for (unsigned char digit = '0'; digit <= '9'; ++digit) {
        rarity[digit] = 60;
    }
    for (const char punctuation : {'.', ',', '!', '?', '\'', ':', '/', '-'}) {
        rarity[static_cast<unsigned char>(punctuation)] = 50;
    }
    return rarity;
}
constexpr std::array<unsigned char, 256> kRarity = BuildRarity();

// The anchors of a segment: two of its bytes other than '?' (or one, twice)
// that every place where the segment fits must hold, each as itself or as its
// case partner. The rarest byte cuts the candidates most; the second is as
// far from it as possible, so that the two rarely agree by chance.
struct Anchor {
    std::size_t offset;
    unsigned char byte;
    unsigned char partner;
};

template <typename Bytes>
Anchor MakeAnchor(const char* segment, std::size_t offset) {
    const auto byte = static_cast<unsigned char>(segment[offset]);
    return {offset, byte, Bytes::Partner(byte)};
}

bool Holds(const char* place, const Anchor& anchor) {
    const auto byte = static_cast<unsigned char>(place[anchor.offset]);
    return byte == anchor.byte || byte == anchor.partner;
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
    constexpr auto kAny = static_cast<unsigned char>(kAnyByte);
    std::size_t rarest = count;
    std::size_t firstFixed = count;
    std::size_t lastFixed = count;
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(segment[i]);
        if (byte == kAny) {
            continue;
        }
        if (rarest == count || kRarity[byte] > kRarity[static_cast<unsigned char>(segment[rarest])]) {
            rarest = i;
        }
        firstFixed = firstFixed == count ? i : firstFixed;
        lastFixed = i;
    }
    if (rarest == count) {
        return text;  // only '?': the first place fits
    }
    const std::size_t other = rarest - firstFixed > lastFixed - rarest ? firstFixed : lastFixed;
    const Anchor one = MakeAnchor<Bytes>(segment, rarest);
    const Anchor two = MakeAnchor<Bytes>(segment, other);

    const char* place = text;
    const char* const end = text + (available - count) + 1;  // one past the last place
    if (one.byte == one.partner) {
        // A byte without a case partner (digits, punctuation, '@', '!'): the C
        // library's memchr is the fastest way to the few places holding it.
        for (;;) {
            const void* hit = std::memchr(place + one.offset, one.byte, static_cast<std::size_t>(end - place));
            if (hit == nullptr) {
                return nullptr;
            }
            const char* candidate = static_cast<const char*>(hit) - one.offset;
            if (Holds(candidate, two) && SameBytes<Bytes>(candidate, segment, count)) {
                return candidate;
            }
            place = candidate + 1;
        }
    }
#if defined(__SSE2__)
    // Sixteen places per step; the loads stay inside the text because both
    // anchors lie inside the segment.
    const __m128i oneByte = _mm_set1_epi8(static_cast<char>(one.byte));
    const __m128i onePartner = _mm_set1_epi8(static_cast<char>(one.partner));
    const __m128i twoByte = _mm_set1_epi8(static_cast<char>(two.byte));
    const __m128i twoPartner = _mm_set1_epi8(static_cast<char>(two.partner));
    for (; end - place >= 16; place += 16) {
        const __m128i atOne = _mm_loadu_si128(reinterpret_cast<const __m128i*>(place + one.offset));
        const __m128i atTwo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(place + two.offset));
        const __m128i holdsOne = _mm_or_si128(_mm_cmpeq_epi8(atOne, oneByte), _mm_cmpeq_epi8(atOne, onePartner));
        const __m128i holdsTwo = _mm_or_si128(_mm_cmpeq_epi8(atTwo, twoByte), _mm_cmpeq_epi8(atTwo, twoPartner));
        for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(holdsOne, holdsTwo))); hits != 0;
             hits &= hits - 1) {
            const char* candidate = place + std::countr_zero(hits);
            if (SameBytes<Bytes>(candidate, segment, count)) {
                return candidate;
            }
        }
    }
#endif
    for (; place != end; ++place) {
        if (Holds(place, one) && Holds(place, two) && SameBytes<Bytes>(place, segment, count)) {
            return place;
        }
    }
    return nullptr;
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
