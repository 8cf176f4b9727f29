#include "talvo/rules/unit_matching.h"

#include <array>
#include <cstddef>

namespace talvo {
namespace {

constexpr Unit kAnyRun = '*';
constexpr Unit kAnyCharacter = '?';

// A byte of a code page 1251 text is its own unit.
Unit UnitAt(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }
Unit UnitAt(UnitView text, std::size_t i) { return text[i]; }

template <typename Text, typename Mask>
bool Agree(const Text& text, std::size_t at, const Mask& mask, std::size_t from, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Unit m = UnitAt(mask, from + i);
        const Unit t = UnitAt(text, at + i);
        if (m != kAnyCharacter && m != t && UnitKey(m) != UnitKey(t)) {
            return false;
        }
    }
    return true;
}

template <typename Mask>
std::size_t FindStar(const Mask& mask, std::size_t from) {
    for (std::size_t i = from; i < mask.size(); ++i) {
        if (UnitAt(mask, i) == kAnyRun) {
            return i;
        }
    }
    return mask.size();
}

template <typename Text, typename Mask>
bool Match(const Text& text, const Mask& mask) {
    const std::size_t firstStar = FindStar(mask, 0);
    if (firstStar == mask.size()) {
        return !mask.empty() && mask.size() == text.size() && Agree(text, 0, mask, 0, mask.size());
    }
    if (text.size() < firstStar || !Agree(text, 0, mask, 0, firstStar)) {
        return false;
    }
    std::size_t place = firstStar;  // the first character not yet consumed
    std::size_t segment = firstStar;
    for (;;) {
        while (segment < mask.size() && UnitAt(mask, segment) == kAnyRun) {
            ++segment;
        }
        const std::size_t segmentEnd = FindStar(mask, segment);
        if (segmentEnd == mask.size()) {
            break;
        }
        const std::size_t count = segmentEnd - segment;
        // The leftmost place it fits leaves the most text for what follows,
        // so no other place ever needs trying.
        while (text.size() - place >= count && !Agree(text, place, mask, segment, count)) {
            ++place;
        }
        if (text.size() - place < count) {
            return false;
        }
        place += count;
        segment = segmentEnd;
    }
    const std::size_t tail = mask.size() - segment;
    return tail <= text.size() - place && Agree(text, text.size() - tail, mask, segment, tail);
}

// The units of a wide rule's word (UTF-8). A word is at most one piece of
// 512 characters and the two of an address's "!*"; the room on the stack
// covers that, the heap anything longer.
class WordUnits {
public:
    explicit WordUnits(std::string_view utf8) {
        const std::size_t count = UnitsFromUtf8(utf8, m_room.data(), m_room.size());
        if (count <= m_room.size()) {
            m_units = UnitView(m_room.data(), count);
            return;
        }
        m_heap.resize(count);
        UnitsFromUtf8(utf8, m_heap.data(), count);
        m_units = m_heap;
    }
    WordUnits(const WordUnits&) = delete;
    WordUnits& operator=(const WordUnits&) = delete;
    UnitView View() const { return m_units; }

private:
    std::array<Unit, 520> m_room;
    UnitString m_heap;
    UnitView m_units;
};

}  // namespace

bool TestWildUnits(UnitView text, UnitView mask) noexcept { return Match(text, mask); }
bool TestWildUnits(UnitView text, std::string_view mask) noexcept { return Match(text, mask); }
bool TestWildUnits(std::string_view text, UnitView mask) noexcept { return Match(text, mask); }

bool TestWildUtf8Word(std::string_view text, std::string_view utf8Word) {
    const WordUnits units(utf8Word);
    return Match(text, units.View());
}

bool TestWildUtf8Word(UnitView text, std::string_view utf8Word) {
    const WordUnits units(utf8Word);
    return Match(text, units.View());
}

}  // namespace talvo
