#pragma once

// A rule set prepared for searching, made once when the set is loaded and
// kept beside its records. It adds to the records what a search would
// otherwise work out for every text: which entries can never catch, and a
// literal per entry for the prefilter. Exception groups it takes from the
// records, split when they were made. The answers are those of TestRule on the records: an entry is
// tested with the same Talvo_TestWildText calls on the same words, in the
// same order.
//
// The prefilter: every text an entry catches matches each of its words, and
// so holds, case-folded through ToUpperChars, every run of bytes a word has
// between wildcards. Each entry that can catch gets one such run of up to
// six bytes, folded (its literal). One pass over the folded text finds the
// literals present; only their entries and the entries without a literal
// are tested, in entry order. Two bytes agree under the case rule exactly
// when they fold to the same byte, so a text holds a run case-blind exactly
// when its folded bytes hold the folded run.
//
// Texts with characters code page 1251 lacks (units) go through the same
// scan: a unit of 256 or more reads as byte 0, which no literal holds, so it
// can only break a run, never make a literal appear that is not there. A
// rule that holds such characters itself (a wide rule, in UTF-8) gets no
// literal and is a candidate for every text.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "talvo/frame/encoding.h"
#include "talvo/rules/literal_prefilter.h"
#include "talvo/rules/search_walk.h"

namespace talvo {

struct RuleRecord;

class CompiledSet {
public:
    // Prepares the entries of `set`, a null-ended record array that must
    // outlive this object, as they are appended. `capacity` is how many
    // entries will be appended at most (more only costs growing). Throws
    // std::bad_alloc, or std::length_error beyond 32-bit counts.
    CompiledSet(const RuleRecord* const* set, std::size_t capacity);

    // Prepares the next entry, set[EntryCount()], which must not be null.
    // Throws as the constructor does. Not after Seal.
    void Append();

    // Makes the set ready to search. Throws std::bad_alloc.
    void Seal();

    // The entries appended.
    std::size_t EntryCount() const { return m_heads.size(); }

    // The 0-based index of the first entry at or after `first` that catches
    // `text`, or -1 when none does (also when `first` is past the end). The
    // text is code page 1251 bytes, or units (talvo/frame/encoding.h) when it
    // holds characters the code page lacks. Needs Seal first. Throws only
    // std::bad_alloc: when the scratch area of a search cannot be made or
    // grow, or for a wide rule's word of more than 520 characters. `how`:
    // Auto takes the prefilter where enough entries are left to repay its
    // pass over the text, every entry in order where only a few are;
    // Prefilter and EveryEntry force one way (Records is not one of a
    // prepared set's).
    std::int64_t FindFirst(std::string_view text, std::size_t first, detail::SearchWalk how = detail::SearchWalk::Auto) const;
    // The same for a text of units: `bytes`, the text in code page 1251
    // bytes with byte 0 for each unit of 256 and up, and `units()`, the
    // units themselves, called only when an entry of a wide rule is tested.
    std::int64_t FindFirst(std::string_view bytes, const std::function<UnitView()>& units, std::size_t first,
                           detail::SearchWalk how = detail::SearchWalk::Auto) const;

private:
    // A text as the search reads it: code page 1251 bytes, where each
    // character the code page lacks stands as byte 0, which no word of a
    // code page 1251 rule holds, so it agrees with '?' and '*' only, as the
    // character does; and what gives the characters themselves (null for a
    // text of bytes), for the wide rules.
    struct Text {
        std::string_view bytes;
        const std::function<UnitView()>* units;
    };
    std::int64_t Find(const Text& text, std::size_t first, detail::SearchWalk how) const;
    bool Catches(std::size_t entry, const Text& text) const;
    template <typename Chars>
    bool CatchesIn(std::size_t entry, Chars text) const;

    const RuleRecord* const* m_set;
    // Per entry: its first word at hand (most candidates fail on it), and
    // the length a text needs: at least `least` characters, and exactly
    // `exact` unless that is 0 (both 0 for a wide rule, whose words are
    // UTF-8).
    struct EntryHead {
        const char* firstWord = nullptr;  // null when the entry has no words
        std::uint16_t firstLength = 0;
        std::uint16_t least = 0;
        std::uint16_t exact = 0;
        bool wide = false;  // the rule's words and groups are UTF-8
    };
    std::vector<EntryHead> m_heads;

    LiteralPrefilter m_literals;                  // literal anywhere in the text -> its entries
    LiteralPrefilter m_startLiterals;             // literal the text starts with -> its entries
    LiteralPrefilter m_endLiterals;               // literal the text ends with -> its entries
    unsigned m_startLengths = 0;                  // bit n: a start literal of n bytes
    unsigned m_endLengths = 0;
    std::vector<std::uint32_t> m_withoutLiteral;  // entries that can catch and have none, ascending
};

// Prepares a set entry by entry while it is being loaded. Never throws: when
// memory runs out it gives up, and the set gets no prepared form (it is then
// searched through its records alone). An empty set gets none either.
class SetCompiler {
public:
    SetCompiler(const RuleRecord* const* set, std::size_t capacity) noexcept;
    // The next entry of the set has been made; entries come in order.
    void Add() noexcept;
    // The prepared set of the entries added, or null when preparing failed.
    std::unique_ptr<const CompiledSet> Finish() noexcept;

private:
    std::unique_ptr<CompiledSet> m_set;
};

}  // namespace talvo
