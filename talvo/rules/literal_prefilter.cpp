#include "talvo/rules/literal_prefilter.h"

#include <bit>
#include <stdexcept>

namespace talvo {

void LiteralPrefilter::Reserve(std::size_t values) {
    // Room for every value being a literal of its own, two thirds full.
    const std::size_t size = ((m_literalCount + values) * 3) / 2 + 1;
    if (m_slots.size() < size) {
        Rehash(size);
    }
}

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
    if (3 * (m_literalCount + 1) > 2 * m_slots.size()) {
        // Tables that Reserve could not size (the anchored literals') grow
        // fourfold: fewer moves while loading, and Seal trims what is left.
        Rehash(4 * m_slots.size() + 64);
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
    bool refused = literal.empty() || literal.size() > kLongest;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < literal.size() && !refused; ++i) {
        const auto byte = static_cast<unsigned char>(literal[i]);
        refused = byte == 0;
        bytes |= std::uint64_t{byte} << (8 * i);
    }
    if (refused) {
        throw std::invalid_argument("literal prefilter: a literal is 1 to 6 bytes other than 0");
    }
    if (m_literalCount + m_pendingCount >= kList || value >= kList) {
        throw std::length_error("literal prefilter: too many literals or too large a value");
    }
    // Filed a few at a time, their slots fetched from memory all at once.
    const std::uint32_t key = KeyOf(bytes);
    if (key > 0xFF && !m_slots.empty()) {
        __builtin_prefetch(&m_slots[Home(key)]);
    }
    m_pending[m_pendingCount++] = {bytes, value};
    if (m_pendingCount == kPending) {
        FilePending();
    }
}

void LiteralPrefilter::FilePending() {
    for (std::size_t i = 0; i < m_pendingCount; ++i) {
        File(m_pending[i].literal, m_pending[i].value);
    }
    m_pendingCount = 0;
}

void LiteralPrefilter::File(std::uint64_t literal, std::uint32_t value) {
    const std::uint32_t key = KeyOf(literal);
    // A window's bits go with each literal filed, not with its key's first
    // filing: two literals may share a key.
    if (literal > 0xFFFF) {
        m_longKeys.push_back(literal);
    } else if (key > 0xFF) {
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
    FilePending();
    // The windows' bitmaps: some sixteen bits per literal read at every
    // place (those of 3 and 4 bytes, and the heads of the longer ones), so
    // that few windows of a text that hold none find their two bits set;
    // four per longer literal, whose map is read only where its head stands.
    const auto lengthOf = [](std::uint64_t literal) { return (71 - static_cast<std::size_t>(std::countl_zero(literal))) / 8; };
    std::size_t counts[kLongest + 1] = {};
    for (const std::uint64_t literal : m_longKeys) {
        ++counts[lengthOf(literal)];
    }
    m_windows[0].Size(counts[3], 16);
    m_windows[1].Size(counts[4] + counts[5] + counts[6], 16);
    m_windows[2].Size(counts[5], 4);
    m_windows[3].Size(counts[6], 4);
    for (const std::uint64_t literal : m_longKeys) {
        const std::size_t length = lengthOf(literal);
        if (length > kKeyLength) {
            m_windows[1].SetLonger(literal & UINT32_MAX);
        }
        m_windows[length - 3].Set(literal);
    }
    std::vector<std::uint64_t>().swap(m_longKeys);
    // The table was made for as many literals as values; when far fewer came
    // it is made anew at their size.
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
