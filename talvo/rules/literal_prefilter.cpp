#include "talvo/rules/literal_prefilter.h"

#include <bit>
#include <stdexcept>

namespace talvo {

void LiteralPrefilter::Reserve(std::size_t values) { m_added.reserve(m_added.size() + values); }

void LiteralPrefilter::Rehash(std::size_t size) {
    std::vector<Slot> old(size, Slot{0, kNone});
    old.swap(m_slots);
    for (const Slot& slot : old) {
        if (slot.key != 0) {
            std::size_t at = Home(slot.key);
            while (m_slots[at].key != 0) {
                at = Next(at);
            }
            m_slots[at] = slot;
        }
    }
}

std::uint32_t& LiteralPrefilter::Cell(std::uint32_t key) {
    if (key <= 0xFF) {
        if (m_single.empty()) {
            m_single.assign(256, kNone);
        }
        m_literalCount += m_single[key] == kNone;
        return m_single[key];
    }
    std::size_t at = Home(key);
    while (m_slots[at].key != 0 && m_slots[at].key != key) {
        at = Next(at);
    }
    if (m_slots[at].key == 0) {
        m_slots[at] = {key, kNone};
        ++m_literalCount;
    }
    return m_slots[at].cell;
}

void LiteralPrefilter::Add(std::string_view literal, std::uint32_t value) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < literal.size() && i < kLongest; ++i) {
        bytes |= std::uint64_t{static_cast<unsigned char>(literal[i])} << (8 * i);
    }
    if (literal.size() > kLongest || LengthOf(bytes) != literal.size()) {
        Refuse();  // too long, or a byte 0 at the end
    }
    Add(bytes, value);
}

void LiteralPrefilter::Add(std::uint64_t literal, std::uint32_t value) {
    // No byte 0 below the highest byte that is not 0: subtracting one from
    // every byte sets the top bit of each 0 byte (and of no other below the
    // first 0 byte from the low end).
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::size_t length = LengthOf(literal);
    const std::uint64_t used = (std::uint64_t{1} << (8 * std::min<std::size_t>(length, 7))) - 1;
    if (literal == 0 || length > kLongest || ((literal - kOnes) & ~literal & (kOnes << 7) & used) != 0) {
        Refuse();
    }
    if (m_added.size() >= kList || value >= kList) {
        throw std::length_error("literal prefilter: too many literals or too large a value");
    }
    m_added.push_back({literal, value});
}

void LiteralPrefilter::Refuse() {
    throw std::invalid_argument("literal prefilter: a literal is 1 to 6 bytes other than 0");
}

void LiteralPrefilter::File(std::uint64_t literal, std::uint32_t value) {
    const std::uint32_t key = KeyOf(literal);
    const std::size_t length = LengthOf(literal);
    // A window's bits go with each literal filed, not with its key's first
    // filing: two literals may share a key.
    if (length > kKeyLength) {
        m_windows[1].SetLonger(literal & UINT32_MAX);
    }
    if (length > 2) {
        m_windows[length - 3].Set(literal);
    } else if (length == 2) {
        if (m_starts.empty()) {
            m_starts.assign(kPairWords, 0);
        }
        m_starts[key / 64] |= std::uint64_t{1} << (key % 64);
    }
    std::uint32_t& cell = Cell(key);
    if (cell == kNone) {
        cell = value;
        return;
    }
    // A second value: the literal gets a list, its first value filed first.
    // Filing may throw; the cell changes only once it has not.
    if (cell < kList) {
        if (m_filed.capacity() - m_filed.size() < 2) {
            m_filed.reserve(2 * m_filed.capacity() + 2);
        }
        m_filed.push_back((std::uint64_t{m_listCount} << 32) | cell);
        cell = kList + m_listCount++;
    }
    m_filed.push_back((std::uint64_t{cell - kList} << 32) | value);
}

void LiteralPrefilter::WindowBits::Size(std::size_t count, std::size_t bitsEach) {
    *this = WindowBits{};
    if (count == 0) {
        return;
    }
    unsigned width = 12;
    while (width < 24 && (std::size_t{1} << width) < count * bitsEach) {
        ++width;
    }
    shift = 64 - (width - 6);
    bits.assign((std::size_t{1} << width) / 64, 0);
}

void LiteralPrefilter::Seal() {
    // Everything is filed here, with every size known: the table is made
    // once, at room for each literal being a key of its own, and its slots
    // are fetched a few literals ahead of filing them.
    std::size_t counts[kLongest + 1] = {};
    for (const Added& added : m_added) {
        ++counts[LengthOf(added.literal)];
    }
    // The windows' bitmaps: some sixteen bits per literal read at every
    // place (those of 3 and 4 bytes, and the heads of the longer ones), so
    // that few windows of a text that hold none find their two bits set;
    // four per longer literal, whose map is read only where its head stands.
    m_windows[0].Size(counts[3], 16);
    m_windows[1].Size(counts[4] + counts[5] + counts[6], 16);
    m_windows[2].Size(counts[5], 4);
    m_windows[3].Size(counts[6], 4);
    const std::size_t keyed = m_added.size() - counts[1];
    if (keyed > 0) {
        m_slots.assign((keyed * 3) / 2 + 1, Slot{0, kNone});
    }
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < m_added.size(); ++i) {
        if (i + kAhead < m_added.size() && !m_slots.empty()) {
            __builtin_prefetch(&m_slots[Home(KeyOf(m_added[i + kAhead].literal))]);
        }
        File(m_added[i].literal, m_added[i].value);
    }
    std::vector<Added>().swap(m_added);
    // The table was made for as many keys as literals; when far fewer came
    // (literals shared by many entries) it is made anew at their size.
    const std::size_t fitting = (std::size_t{m_literalCount} * 3) / 2 + 1;
    if (m_slots.size() > 2 * fitting) {
        Rehash(fitting);
    }
    if (m_listCount == 0) {
        std::vector<std::uint64_t>().swap(m_filed);
        return;
    }
    m_valueStart.assign(std::size_t{m_listCount} + 1, 0);
    for (const std::uint64_t filed : m_filed) {
        ++m_valueStart[(filed >> 32) + 1];
    }
    for (std::size_t list = 0; list < m_listCount; ++list) {
        m_valueStart[list + 1] += m_valueStart[list];
    }
    m_values.resize(m_filed.size());
    std::vector<std::uint32_t> next(m_valueStart.begin(), m_valueStart.end() - 1);
    for (const std::uint64_t filed : m_filed) {
        m_values[next[filed >> 32]++] = static_cast<std::uint32_t>(filed);
    }
    std::vector<std::uint64_t>().swap(m_filed);
}

}  // namespace talvo
