#pragma once

// The one wildcard matcher, for bytes and for wider units alike: a mask of
// '*' (any run) and '?' (any one unit) against a whole text. Two units agree
// when they are equal or the case table makes them equal; the table covers
// units 0 to 255, and a wider unit agrees only with itself. The head of the
// mask is anchored at the start of the text, the tail at its end, and each
// segment between stars is taken at its leftmost place: the leftmost place
// leaves the most text for what follows, so nothing is ever tried twice.
// An empty mask matches nothing. Allocates nothing, throws nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "talvo/tools/byte_scan.h"
#include "talvo/tools/tools.h"
#include "talvo/tools/wildcards.h"

namespace Tools {

// Case tables: what a unit is compared by. Units of 256 and up stand for
// themselves.
struct ExactCase {
    static constexpr std::uint32_t Key(std::uint32_t unit) noexcept { return unit; }
    static constexpr unsigned char Partner(unsigned char byte) noexcept { return byte; }
};

// Letters of ASCII and code page 1251 agree with their other case, through
// ToUpperChars.
struct BlindCase {
    static std::uint32_t Key(std::uint32_t unit) noexcept { return unit < 256 ? ToUpperChars[unit] : unit; }
    // The one other byte that agrees with `byte` (the tables pair every
    // letter with exactly one partner), or the byte itself.
    static unsigned char Partner(unsigned char byte) noexcept {
        const unsigned char upper = ToUpperChars[byte];
        return upper != byte ? upper : ToLowerChars[byte];
    }
};

namespace wild {

template <typename Char>
constexpr std::uint32_t UnitOf(Char c) noexcept {
    if constexpr (sizeof(Char) == 1) {
        return static_cast<unsigned char>(c);
    } else {
        return static_cast<std::uint32_t>(c);
    }
}

constexpr std::uint32_t kRun = static_cast<unsigned char>(kAnyRun);
constexpr std::uint32_t kOne = static_cast<unsigned char>(kAnyOne);

template <typename Case, typename T, typename M>
bool Agree(const T* text, const M* mask, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t m = UnitOf(mask[i]);
        const std::uint32_t t = UnitOf(text[i]);
        if (m != kOne && m != t && Case::Key(m) != Case::Key(t)) {
            return false;
        }
    }
    return true;
}

// From the last unit to the first: the tail is anchored at the end.
template <typename Case, typename T, typename M>
bool AgreeBackwards(const T* text, const M* mask, std::size_t count) noexcept {
    for (std::size_t i = count; i-- > 0;) {
        const std::uint32_t m = UnitOf(mask[i]);
        const std::uint32_t t = UnitOf(text[i]);
        if (m != kOne && m != t && Case::Key(m) != Case::Key(t)) {
            return false;
        }
    }
    return true;
}

// How common a byte is in chat text, higher for rarer bytes: a segment is
// looked for by its rarest unit first. Only speed depends on this.
constexpr std::array<unsigned char, 256> BuildRarity() {
    std::array<unsigned char, 256> rarity{};
    for (auto& entry : rarity) entry = 200;
    constexpr char kByFrequency[] = " etaoinshrdlcumwfgypbvkjxqz";
    for (std::size_t i = 0; i + 1 < sizeof kByFrequency; ++i) {
        const auto lower = static_cast<unsigned char>(kByFrequency[i]);
        rarity[lower] = static_cast<unsigned char>(i);
        if (lower >= 'a' && lower <= 'z') rarity[lower - 32] = static_cast<unsigned char>(i);
    }
    for (unsigned char digit = '0'; digit <= '9'; ++digit) rarity[digit] = 60;
    for (const char punctuation : {'.', ',', '!', '?', '\'', ':', '/', '-'}) {
        rarity[static_cast<unsigned char>(punctuation)] = 50;
    }
    return rarity;
}
inline constexpr std::array<unsigned char, 256> kRarity = BuildRarity();

inline unsigned RarityOf(std::uint32_t unit) noexcept { return unit < 256 ? kRarity[unit] : 255; }

// The leftmost place among the `available` units from `text` on where the
// `count` units of `segment` (no '*' among them) agree; null when none.
// Every place must hold the segment's rarest unit and the fixed unit
// farthest from it; only places that do are compared in full.
template <typename Case, typename T, typename M>
const T* FindSegment(const T* text, std::size_t available, const M* segment, std::size_t count) noexcept {
    if (available < count) {
        return nullptr;
    }
    std::size_t rarest = count;
    std::size_t firstFixed = count;
    std::size_t lastFixed = count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t unit = UnitOf(segment[i]);
        if (unit == kOne) continue;
        if (rarest == count || RarityOf(unit) > RarityOf(UnitOf(segment[rarest]))) rarest = i;
        firstFixed = firstFixed == count ? i : firstFixed;
        lastFixed = i;
    }
    if (rarest == count) {
        return text;  // only '?': the first place fits
    }
    const std::size_t other = rarest - firstFixed > lastFixed - rarest ? firstFixed : lastFixed;
    const std::size_t places = available - count + 1;
    if constexpr (sizeof(T) == 1 && sizeof(M) == 1) {
        const auto one = static_cast<unsigned char>(segment[rarest]);
        const auto two = static_cast<unsigned char>(segment[other]);
        const char* place = reinterpret_cast<const char*>(text);
        const char* const end = place + places;
        if (Case::Partner(one) == one) {
            // A byte without a case partner (digits, punctuation): the C
            // library's memchr is the fastest way to the few places holding it.
            for (;;) {
                const void* hit = std::memchr(place + rarest, one, static_cast<std::size_t>(end - place));
                if (hit == nullptr) return nullptr;
                const char* candidate = static_cast<const char*>(hit) - rarest;
                if (UnitOf(candidate[other]) == two || UnitOf(candidate[other]) == Case::Partner(two)) {
                    if (Agree<Case>(candidate, segment, count)) return reinterpret_cast<const T*>(candidate);
                }
                place = candidate + 1;
            }
        }
        const TwoAnchors anchors({rarest, static_cast<char>(one), static_cast<char>(Case::Partner(one))},
                                 {other, static_cast<char>(two), static_cast<char>(Case::Partner(two))});
        for (;;) {
            place += FirstPlace(place, static_cast<std::size_t>(end - place), anchors);
            if (place == end) return nullptr;
            if (Agree<Case>(place, segment, count)) return reinterpret_cast<const T*>(place);
            ++place;
        }
    } else {
        const std::uint32_t one = Case::Key(UnitOf(segment[rarest]));
        const std::uint32_t two = Case::Key(UnitOf(segment[other]));
        for (std::size_t at = 0; at < places; ++at) {
            if (Case::Key(UnitOf(text[at + rarest])) == one && Case::Key(UnitOf(text[at + other])) == two &&
                Agree<Case>(text + at, segment, count)) {
                return text + at;
            }
        }
        return nullptr;
    }
}

}  // namespace wild

// The whole of `text` against `mask`.
template <typename Case, typename T, typename M>
bool MatchWild(std::basic_string_view<T> text, std::basic_string_view<M> mask) noexcept {
    using wild::kRun;
    using wild::UnitOf;
    std::size_t firstStar = 0;
    while (firstStar < mask.size() && UnitOf(mask[firstStar]) != kRun) ++firstStar;
    if (firstStar == mask.size()) {
        return !mask.empty() && mask.size() == text.size() && wild::Agree<Case>(text.data(), mask.data(), mask.size());
    }
    if (text.size() < firstStar || !wild::Agree<Case>(text.data(), mask.data(), firstStar)) {
        return false;
    }
    const T* place = text.data() + firstStar;
    std::size_t remaining = text.size() - firstStar;
    std::size_t segment = firstStar;
    for (;;) {
        while (segment < mask.size() && UnitOf(mask[segment]) == kRun) ++segment;
        std::size_t segmentEnd = segment;
        while (segmentEnd < mask.size() && UnitOf(mask[segmentEnd]) != kRun) ++segmentEnd;
        if (segmentEnd == mask.size()) break;
        const std::size_t count = segmentEnd - segment;
        const T* found = wild::FindSegment<Case>(place, remaining, mask.data() + segment, count);
        if (found == nullptr) return false;
        remaining -= static_cast<std::size_t>(found - place) + count;
        place = found + count;
        segment = segmentEnd;
    }
    const std::size_t tail = mask.size() - segment;
    return tail <= remaining &&
           wild::AgreeBackwards<Case>(text.data() + text.size() - tail, mask.data() + segment, tail);
}

}  // namespace Tools
