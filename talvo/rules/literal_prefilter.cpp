#include "talvo/rules/literal_prefilter.h"

#include <stdexcept>

namespace talvo {

void LiteralPrefilter::Reserve(std::size_t values) {
    m_filed.reserve(m_filed.size() + values);
    // Room for every value being a literal of its own, two thirds full.
    const std::size_t size = (m_filed.capacity() * 3) / 2 + 1;
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

std::uint32_t LiteralPrefilter::Number(std::uint32_t key) {
    if (key <= 0xFF) {
        if (m_single.empty()) {
            m_single.assign(256, kNone);
        }
        if (m_single[key] == kNone) {
            m_single[key] = m_literalCount++;
        }
        return m_single[key];
    }
    if (3 * (m_literalCount + 1) > 2 * m_slots.size()) {
        Rehash(2 * m_slots.size() + 16);
    }
    std::size_t at = Home(key);
    while (m_slots[at].key != 0 && m_slots[at].key != key) {
        at = Next(at);
    }
    if (m_slots[at].key == 0) {
        if (key <= 0xFFFF) {
            if (m_starts.empty()) {
                m_starts.assign(kPairWords, 0);
            }
            m_starts[key / 64] |= std::uint64_t{1} << (key % 64);
        }
        m_slots[at] = {key, m_literalCount++};
    }
    return m_slots[at].literal;
}

void LiteralPrefilter::Add(std::string_view literal, std::uint32_t value) {
    bool refused = literal.empty() || literal.size() > kLongest;
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < literal.size() && !refused; ++i) {
        const auto byte = static_cast<unsigned char>(literal[i]);
        refused = byte == 0;
        key |= std::uint32_t{byte} << (8 * i);
    }
    if (refused) {
        throw std::invalid_argument("literal prefilter: a literal is 1 to 4 bytes other than 0");
    }
    if (m_literalCount >= (std::uint32_t{1} << 31)) {
        throw std::length_error("literal prefilter: too many literals");
    }
    m_filed.push_back((std::uint64_t{Number(key)} << 32) | value);
}

void LiteralPrefilter::Seal() {
    // The windows' bitmaps: some sixteen bits per literal of the length, so
    // that few windows of a text that hold none hit a set bit.
    std::size_t counts[2] = {0, 0};
    for (const Slot& slot : m_slots) {
        if (slot.key > 0xFFFF) {
            ++counts[slot.key > 0xFFFFFF];
        }
    }
    for (int length = 0; length < 2; ++length) {
        WindowBits& windows = m_windows[length];
        windows = WindowBits{};
        if (counts[length] == 0) {
            continue;
        }
        unsigned width = 12;
        while (width < 24 && (std::size_t{1} << width) < counts[length] * 16) {
            ++width;
        }
        windows.shift = 32 - width;
        windows.bits.assign((std::size_t{1} << width) / 64, 0);
        for (const Slot& slot : m_slots) {
            if (slot.key > 0xFFFF && (slot.key > 0xFFFFFF) == (length == 1)) {
                const std::uint32_t bit = windows.Bit(slot.key);
                windows.bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
            }
        }
    }
    m_valueStart.assign(std::size_t{m_literalCount} + 1, 0);
    for (const std::uint64_t filed : m_filed) {
        ++m_valueStart[(filed >> 32) + 1];
    }
    for (std::size_t literal = 0; literal < m_literalCount; ++literal) {
        m_valueStart[literal + 1] += m_valueStart[literal];
    }
    m_values.resize(m_filed.size());
    std::vector<std::uint32_t> next(m_valueStart.begin(), m_valueStart.end() - 1);
    for (const std::uint64_t filed : m_filed) {
        m_values[next[filed >> 32]++] = static_cast<std::uint32_t>(filed);
    }
    std::vector<std::uint64_t>().swap(m_filed);
}

}  // namespace talvo
