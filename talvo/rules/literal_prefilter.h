#pragma once

// An index from short literals to the values filed under them, and one pass
// over a text that finds which of the literals occur in it. The rule filter
// keeps one per prepared set (values are entry numbers) to learn which
// entries could catch a text before testing any of them.
//
// Literals are 1 to 6 bytes, none of them byte 0. A literal is kept as the
// number of its bytes, the first byte lowest, unused high bytes zero; since
// no literal byte is 0 the number tells the length too. Its key in the table
// is that number for up to four bytes, a 32-bit hash of it for more. At each
// place of the text the whole windows of 2 to 6 bytes there are tested
// against a bitmap per length (exact for pairs, hashed for the longer
// windows), and only a window whose bit is set is looked up: with letters
// only, nearly every pair starts some literal, while few whole windows hash
// to a set bit. Longer literals make a set of many entries with runs of
// letters find far fewer of them in a text than four bytes each would.
//
// Two literals whose keys agree (a hash that equals another's) share their
// values: each is then reported where either stands, which only adds values,
// never loses one.
//
// The text is read through a 256-byte table (the case folding). A byte that
// reads as 0 belongs to no literal, so it can stand in for anything a literal
// cannot contain (a character the bytes cannot express): it only breaks the
// bytes a literal would have to match.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

namespace talvo {

class LiteralPrefilter {
public:
    static constexpr std::size_t kLongest = 6;
    // The longest literal whose key is its own number.
    static constexpr std::size_t kKeyLength = 4;

    // Makes room for `values` values in all, so that adding them does not
    // grow step by step. Throws std::bad_alloc.
    void Reserve(std::size_t values);

    // Files `value` (below 2^31) under `literal` (1 to kLongest bytes, no
    // byte 0; anything else is refused with std::invalid_argument). Only
    // before Seal. Throws std::bad_alloc, or std::length_error for a larger
    // value or beyond 2^31 literals.
    void Add(std::string_view literal, std::uint32_t value);
    // The same for a literal given as its number (as above).
    void Add(std::uint64_t literal, std::uint32_t value);

    // Ends adding and files what was added. Throws std::bad_alloc.
    void Seal();

    // The number of distinct keys.
    std::uint32_t LiteralCount() const { return m_literalCount; }

    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The values filed under one literal, in the order filed. A literal with
    // one value keeps it in its table cell (most literals of a large set
    // have one entry, and a hit then costs no look further); one with more
    // has a list, numbered 0 to ListCount() minus 1, so that a caller can
    // tell lists it has taken already apart.
    struct Values {
        const std::uint32_t* begin = nullptr;
        const std::uint32_t* end = nullptr;
        std::uint32_t list = kNone;  // kNone: one value, or none
    };

    // The number of literals with more than one value.
    std::uint32_t ListCount() const { return static_cast<std::uint32_t>(m_valueStart.empty() ? 0 : m_valueStart.size() - 1); }

    // The values of the literal of up to kKeyLength bytes whose number is
    // `key` (as above); empty when no such literal was added. Needs Seal
    // first.
    Values Lookup(std::uint32_t key) const {
        if (key == 0) return {};
        if (key <= 0xFF) return m_single.empty() ? Values{} : ValuesOf(m_single[key]);
        const Slot* slot = m_slots.empty() ? nullptr : Find(key);
        return slot == nullptr ? Values{} : ValuesOf(slot->cell);
    }

    // Calls found(values) for the values of every literal that occurs in
    // `text` read through `fold`, once or more for each place it starts at
    // (so a literal may be reported several times), in no particular order;
    // literals sharing a key are reported together. `Char` is a byte (char) or a wider
    // character unit; a unit of 256 or more reads as 0. Needs Seal first;
    // allocates nothing.
    template <typename Char, typename Found>
    void Scan(std::basic_string_view<Char> text, const std::uint8_t (&fold)[256], Found&& found) const;

private:
    static constexpr std::size_t kPairWords = 65536 / 64;

    // A literal's cell: kNone while it has no value, its one value, or
    // kList plus the number of its list.
    static constexpr std::uint32_t kList = 0x80000000u;

    struct Slot {
        std::uint32_t key;   // the literal's number; 0 when free
        std::uint32_t cell;
    };

    Values ValuesOf(const std::uint32_t& cell) const {
        if (cell == kNone) return {};
        if (cell < kList) return {&cell, &cell + 1, kNone};
        const std::uint32_t list = cell - kList;
        return {m_values.data() + m_valueStart[list], m_values.data() + m_valueStart[list + 1], list};
    }
    std::size_t Home(std::uint32_t key) const {
        const auto hash = static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ULL) >> 32);
        return static_cast<std::size_t>((std::uint64_t{hash} * m_slots.size()) >> 32);
    }
    std::size_t Next(std::size_t slot) const { return slot + 1 == m_slots.size() ? 0 : slot + 1; }
    // The key of a literal: its number up to kKeyLength bytes, else a hash
    // with a bit above the third byte set, so that it is never taken for a
    // literal of one or two bytes (kept outside the table).
    static std::uint32_t KeyOf(std::uint64_t literal) {
        return literal <= UINT32_MAX ? static_cast<std::uint32_t>(literal)
                                     : static_cast<std::uint32_t>((literal * 0xD6E8FEB86659FD93ULL) >> 32) | 0x01000000u;
    }
    bool Starts(std::uint32_t pair) const { return (m_starts[pair / 64] >> (pair % 64)) & 1; }
    // The bitmaps of whole windows of 3 to 6 bytes. A literal sets two bits
    // of one 64-bit word, both picked by its hash: a window that is no
    // literal finds both set about a quarter as often as it would find one
    // bit of a map of the same size set, and still costs one read.
    //
    // The map of 4-byte windows is read at every place and says two things
    // in that one read: whether a literal of four bytes stands there (its
    // own two bits), and whether a longer literal may start there (two
    // other bits of the same word, set for the first four bytes of each
    // longer literal). Only then are the maps of 5 and 6 bytes read, so they
    // can be small.
    struct WindowBits {
        std::vector<std::uint64_t> bits;  // empty: no literal of this length
        unsigned shift = 64;              // 64 minus the width of a word's number
        static std::uint64_t Hash(std::uint64_t key) { return key * 0x9E3779B97F4A7C15ULL; }
        static std::uint64_t Mask(std::uint64_t hash) {
            return (std::uint64_t{1} << ((hash >> 20) & 63)) | (std::uint64_t{1} << ((hash >> 26) & 63));
        }
        // The other two bits of the word: those of Mask turned half a word,
        // one instruction where the text is scanned.
        static std::uint64_t LongerMask(std::uint64_t mask) { return std::rotl(mask, 32); }
        std::uint64_t Word(std::uint64_t hash) const { return bits[hash >> shift]; }
        bool Holds(std::uint64_t key) const {
            const std::uint64_t hash = Hash(key);
            const std::uint64_t mask = Mask(hash);
            return (Word(hash) & mask) == mask;
        }
        void Set(std::uint64_t key) { bits[Hash(key) >> shift] |= Mask(Hash(key)); }
        void SetLonger(std::uint64_t key) { bits[Hash(key) >> shift] |= LongerMask(Mask(Hash(key))); }
        // Room for `count` literals at `bitsEach` bits a literal, at least
        // 4096 bits.
        void Size(std::size_t count, std::size_t bitsEach);
    };
    const Slot* Find(std::uint32_t key) const;
    template <bool Shorts, bool Heads, bool Longers, typename Char, typename Found>
    void ScanWith(std::basic_string_view<Char> text, const std::uint8_t (&fold)[256], Found& found) const;
    std::uint32_t& Cell(std::uint32_t key);
    void File(std::uint64_t literal, std::uint32_t value);
    [[noreturn]] static void Refuse();
    void Rehash(std::size_t size);
    static std::size_t LengthOf(std::uint64_t literal) { return (71 - static_cast<std::size_t>(std::countl_zero(literal))) / 8; }

    std::uint32_t m_literalCount = 0;
    // Until Seal: each literal with its value, in the order added.
    struct Added {
        std::uint64_t literal;
        std::uint32_t value;
    };
    std::vector<Added> m_added;
    std::vector<std::uint32_t> m_single;      // cell of each one-byte literal; empty until needed
    std::vector<std::uint64_t> m_starts;      // a bit per pair that is a literal of two bytes; empty until needed
    WindowBits m_windows[kLongest - 2];       // literals of 3 to 6 bytes, the 4-byte map with the longer ones' heads
    std::vector<Slot> m_slots;                // open addressing, at most two thirds full
    std::vector<std::uint32_t> m_valueStart;  // list l's values: [m_valueStart[l], m_valueStart[l + 1])
    std::vector<std::uint32_t> m_values;
    // Until Seal: (list, value) in the order filed, for the literals with a list.
    std::vector<std::uint64_t> m_filed;
    std::uint32_t m_listCount = 0;
};

inline const LiteralPrefilter::Slot* LiteralPrefilter::Find(std::uint32_t key) const {
    for (std::size_t slot = Home(key);; slot = Next(slot)) {
        if (m_slots[slot].key == key) {
            return &m_slots[slot];
        }
        if (m_slots[slot].key == 0) {
            return nullptr;
        }
    }
}

template <typename Char, typename Found>
void LiteralPrefilter::Scan(std::basic_string_view<Char> text, const std::uint8_t (&fold)[256], Found&& found) const {
    // The loop is made for the kinds of literal the table holds, so that a
    // place costs only the tests that can find something (and the registers
    // they need).
    const bool shorts = !m_single.empty() || !m_starts.empty() || !m_windows[0].bits.empty();
    const bool heads = !m_windows[1].bits.empty();
    const bool longers = !m_windows[2].bits.empty() || !m_windows[3].bits.empty();
    if (!heads) {
        if (shorts) ScanWith<true, false, false>(text, fold, found);
    } else if (!longers) {
        shorts ? ScanWith<true, true, false>(text, fold, found) : ScanWith<false, true, false>(text, fold, found);
    } else {
        shorts ? ScanWith<true, true, true>(text, fold, found) : ScanWith<false, true, true>(text, fold, found);
    }
}

template <bool Shorts, bool Heads, bool Longers, typename Char, typename Found>
void LiteralPrefilter::ScanWith(std::basic_string_view<Char> text, const std::uint8_t (&fold)[256], Found& found) const {
    const auto read = [&fold](Char unit) -> std::uint32_t {
        using Unsigned = std::make_unsigned_t<Char>;
        const auto value = static_cast<Unsigned>(unit);
        return value < 256 ? fold[value] : 0;
    };
    const Char* const bytes = text.data();
    const std::size_t size = text.size();
    const bool single = !m_single.empty();
    const bool pairs = !m_starts.empty();
    const bool threes = !m_windows[0].bits.empty();
    const bool fives = !m_windows[2].bits.empty();
    const bool sixes = !m_windows[3].bits.empty();
    const std::uint64_t* const headBits = m_windows[1].bits.data();
    const unsigned headShift = m_windows[1].shift;
    static_assert(kLongest == 6, "a test per length of window below");
    // The folded bytes at the place and the kLongest - 1 after it, the first
    // lowest; 0 past the end. A key looked up is a literal only when the
    // text holds it at the place: a window with a 0 byte inside is no
    // literal's number, and one whose high bytes are 0 is the number of the
    // shorter literal that does stand there. So no window needs checking for
    // 0 bytes.
    std::uint64_t window = 0;
    for (std::size_t i = 0; i < kLongest && i < size; ++i) {
        window |= std::uint64_t{read(bytes[i])} << (8 * i);
    }
    // A window whose bit is set is probed only once a few more are known:
    // their slots are fetched from memory all at once, not one after the
    // other (a large set's table is far bigger than the caches).
    constexpr std::size_t kBatch = 16;
    std::uint32_t held[kBatch];
    std::size_t holding = 0;
    const auto flush = [&] {
        for (std::size_t i = 0; i < holding; ++i) {
            if (const Slot* slot = Find(held[i]); slot != nullptr) {
                found(ValuesOf(slot->cell));
            }
        }
        holding = 0;
    };
    const auto report = [&](std::uint32_t key) {
        __builtin_prefetch(&m_slots[Home(key)]);
        held[holding++] = key;
        if (holding == kBatch) {
            flush();
        }
    };
    const auto whole = [](std::uint64_t at, std::size_t length) { return at & ((std::uint64_t{1} << (8 * length)) - 1); };
    const auto test = [&](std::uint64_t at) __attribute__((always_inline)) {
        if constexpr (Shorts) {
            if (single && m_single[at & 0xFF] != kNone) {
                found(ValuesOf(m_single[at & 0xFF]));
            }
            if (pairs && Starts(at & 0xFFFF)) {
                report(at & 0xFFFF);
            }
            if (threes && m_windows[0].Holds(whole(at, 3))) {
                report(static_cast<std::uint32_t>(whole(at, 3)));
            }
        }
        if constexpr (Heads) {
            const std::uint64_t hash = WindowBits::Hash(whole(at, 4));
            const std::uint64_t word = headBits[hash >> headShift];
            const std::uint64_t exact = WindowBits::Mask(hash);
            if constexpr (!Longers) {
                if ((word & exact) == exact) {
                    report(static_cast<std::uint32_t>(whole(at, 4)));
                }
            } else {
                // Both kinds are rare at a place: one branch for the two.
                const std::uint64_t longer = WindowBits::LongerMask(exact);
                const bool isExact = (word & exact) == exact;
                const bool isHead = (word & longer) == longer;
                if (isExact | isHead) [[unlikely]] {
                    if (isExact) {
                        report(static_cast<std::uint32_t>(whole(at, 4)));
                    }
                    if (isHead && fives && m_windows[2].Holds(whole(at, 5))) {
                        report(KeyOf(whole(at, 5)));
                    }
                    if (isHead && sixes && m_windows[3].Holds(whole(at, 6))) {
                        report(KeyOf(whole(at, 6)));
                    }
                }
            }
        }
    };
    std::size_t at = 0;
    for (; at + kLongest < size; ++at) {
        test(window);
        window = (window >> 8) | (std::uint64_t{read(bytes[at + kLongest])} << (8 * (kLongest - 1)));
    }
    for (; at < size; ++at) {
        test(window);
        window >>= 8;
    }
    flush();
}

}  // namespace talvo
