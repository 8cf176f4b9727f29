#include "talvo/rules/unit_matching.h"

#include <array>
#include <cstddef>

#include "talvo/tools/wild_match.h"

namespace talvo {
namespace {

template <typename Text, typename Mask>
bool Match(const Text& text, const Mask& mask) {
    return Tools::MatchWild<Tools::BlindCase>(text, mask);
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
