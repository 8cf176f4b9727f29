#include "talvo/rules/compiled_set.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <span>
#include <limits>
#include <stdexcept>
#include <type_traits>

#include "talvo/rules/entry_catches.h"
#include "talvo/rules/rule_store.h"
#include "talvo/rules/unit_matching.h"
#include "talvo/tools/tools.h"
#include "talvo/tools/wildcards.h"

namespace talvo {
namespace {

using detail::SearchWalk;
using Tools::kAnyOne;
using Tools::kAnyRun;

constexpr std::size_t kLiteralLimit = LiteralPrefilter::kLongest;
// The start and end literals are looked up by key alone.
constexpr std::size_t kAnchoredLimit = LiteralPrefilter::kKeyLength;

// With fewer entries left than this, testing them all costs less than the
// prefilter's pass over the text.
constexpr std::size_t kPrefilterFrom = 32;

// Up to this many candidates are put in order by sorting them; more are put
// in order a block of entries at a time through a bitmap.
constexpr std::size_t kSortedCandidates = 64;

// What a byte of a word is worth in a literal: 0 for the wildcards, which
// end a literal; else how much its folded byte narrows the texts that hold
// it: least for what fills chat lines, links and addresses (the blank, the
// commonest letters, ". , / : - ! @"), most for digits and other punctuation.
// Only the choice of literal, so only speed, depends on the worth.
std::array<unsigned char, 256> BuildWorth() {
    std::array<unsigned char, 256> worth{};
    const auto weigh = [](unsigned folded) -> unsigned char {
        for (const char common : std::string_view(" ETAOINSHRDLCU.,/:-!@")) {
            if (folded == static_cast<unsigned char>(common)) {
                return 1;
            }
        }
        return (folded >= 'A' && folded <= 'Z') || folded >= 0xC0 ? 2 : 3;
    };
    for (std::size_t byte = 0; byte < worth.size(); ++byte) {
        // 16 for the byte itself: a longer run goes first (each byte more
        // divides the texts that hold it by the size of an alphabet), and of
        // runs of one length the one of rarer bytes. Past the fourth byte a
        // run is mostly a word, and chat lines hold common words whole, so
        // those bytes count for their rarity alone (ConsiderRuns): "ZQ31"
        // goes before "PILLS". Six worths add up to less than 256, and a
        // rarity is below 16.
        worth[byte] = byte == static_cast<unsigned char>(kAnyRun) || byte == static_cast<unsigned char>(kAnyOne)
                          ? 0
                          : 16 + weigh(Tools::ToUpperChars[byte]);
    }
    return worth;
}
const std::array<unsigned char, 256> kWorth = BuildWorth();

// The best piece of at most kLiteralLimit bytes without wildcards among the
// words of an entry: every text the entry catches holds it.
struct Literal {
    const char* bytes = nullptr;
    std::size_t length = 0;
    unsigned score = 0;
};

// What a word asks of a text's length: a word without '*' matches only a
// text of its own length, any word only a text at least as long as its
// bytes other than '*'.
struct WordLength {
    std::size_t length = 0;
    std::size_t stars = 0;
};

// Considers every window of up to kLiteralLimit bytes of the runs of the
// NUL-terminated `word`.
WordLength ConsiderRuns(const char* word, Literal& best) {
    static_assert(kLiteralLimit == 6, "the window holds the worths of six bytes, two of them counted by rarity");
    constexpr std::uint64_t kWindowMask = (std::uint64_t{1} << (8 * kLiteralLimit)) - 1;
    std::size_t stars = 0;
    const auto* at = reinterpret_cast<const unsigned char*>(word);
    const unsigned char* bestEnd = nullptr;
    std::uint64_t bestWindow = 0;
    unsigned bestScore = best.score;
    // The worth of the last kLiteralLimit bytes, the newest lowest; a
    // wildcard empties it, so its non-zero bytes are the window's length.
    std::uint64_t window = 0;
    for (unsigned char byte; (byte = *at) != 0; ++at) {
        const std::uint64_t worth = kWorth[byte];
        stars += byte == kAnyRun;
        window = worth != 0 ? ((window << 8) | worth) & kWindowMask : 0;
        // The worths added, the fifth and sixth bytes' without their 16
        // (a worth's low four bits are its rarity).
        constexpr std::uint64_t kCounted = 0x00000F0FFFFFFFFFULL;
        const auto score = static_cast<unsigned>(((window & kCounted) * 0x0101010101010101ULL) >> 56);
        if (score > bestScore) {
            bestScore = score;
            bestEnd = at;
            bestWindow = window;
        }
    }
    if (bestEnd != nullptr) {
        const std::size_t length = (71 - static_cast<std::size_t>(std::countl_zero(bestWindow))) / 8;
        best = {reinterpret_cast<const char*>(bestEnd + 1 - length), length, bestScore};
    }
    return {static_cast<std::size_t>(at - reinterpret_cast<const unsigned char*>(word)), stars};
}

// The run of fixed bytes a word starts with (before its first wildcard) and
// the one it ends with (after its last), at most kAnchoredLimit bytes of each
// next to the text's start and end: a text the word matches starts (ends)
// with them, folded.
struct Anchored {
    std::size_t length = 0;  // 0: none
    const char* bytes = nullptr;
};

void ConsiderEnds(std::string_view word, Anchored& start, Anchored& end) {
    const auto wildcard = [](char byte) { return byte == kAnyRun || byte == kAnyOne; };
    std::size_t head = 0;
    while (head < word.size() && head < kAnchoredLimit && !wildcard(word[head])) ++head;
    if (head > start.length) start = {head, word.data()};
    std::size_t tail = 0;
    while (tail < word.size() && tail < kAnchoredLimit && !wildcard(word[word.size() - 1 - tail])) ++tail;
    if (tail > end.length) end = {tail, word.data() + word.size() - tail};
}

// A word of a rule against a text, as TestRule matches it: a wide rule's
// UTF-8 word character by character, any other case-blind through
// ToUpperChars; a text of units character by character.
bool MatchesWord(std::string_view text, std::string_view word, bool wide) {
    return wide ? TestWildUtf8Word(text, word) : Tools::Talvo_TestWildText(text, word);
}

bool MatchesWord(UnitView text, std::string_view word, bool wide) {
    return wide ? TestWildUtf8Word(text, word) : TestWildUnits(text, word);
}

std::uint32_t Offset(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("compiled rule set: too large");
    }
    return static_cast<std::uint32_t>(value);
}

// The pairs of folded bytes a text holds one and two places apart, hashed
// to a bit each. With many candidates for one text, a word's pair that the
// text lacks rules the entry out before its pieces are searched for: two
// bytes of a word between wildcards, or with one '?' between them, stand in
// every text the word matches as they are, one or two places apart
// (talvo/tools/wildcards.h).
class TextPairs {
public:
    explicit TextPairs(std::string_view text) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            Set(0, Key(bytes[i], bytes[i + 1]));
            if (i + 2 < text.size()) {
                Set(1, Key(bytes[i], bytes[i + 2]));
            }
        }
    }

    // False when the text cannot match the NUL-free `word` of a code page
    // 1251 rule.
    bool MayMatch(std::string_view word) const {
        const auto fixed = [](char byte) { return byte != kAnyRun && byte != kAnyOne; };
        for (std::size_t i = 0; i + 1 < word.size(); ++i) {
            if (!fixed(word[i])) {
                continue;
            }
            const auto a = static_cast<unsigned char>(word[i]);
            if (fixed(word[i + 1]) && !Holds(0, Key(a, static_cast<unsigned char>(word[i + 1])))) {
                return false;
            }
            if (i + 2 < word.size() && word[i + 1] != kAnyRun && fixed(word[i + 2]) &&
                !Holds(1, Key(a, static_cast<unsigned char>(word[i + 2])))) {
                return false;
            }
        }
        return true;
    }

private:
    static constexpr unsigned kWidth = 12;
    static std::uint32_t Key(unsigned char a, unsigned char b) {
        const std::uint32_t pair = (std::uint32_t{Tools::ToUpperChars[a]} << 8) | Tools::ToUpperChars[b];
        return (pair * 0x9E3779B1u) >> (32 - kWidth);
    }
    void Set(int gap, std::uint32_t bit) { m_bits[gap][bit / 64] |= std::uint64_t{1} << (bit % 64); }
    bool Holds(int gap, std::uint32_t bit) const { return (m_bits[gap][bit / 64] >> (bit % 64)) & 1; }

    std::uint64_t m_bits[2][(1u << kWidth) / 64] = {};
};

// What one search needs besides the set: which literals the text was found
// to hold, the candidates. One spare is kept for the next search,
// so a search on its own allocates nothing once the spare has grown; searches
// that run at the same time make their own.
struct Scratch {
    std::vector<std::uint32_t> seen;  // per literal: the search that last found it
    std::uint32_t search = 0;
    struct List {
        const std::uint32_t* begin;
        const std::uint32_t* end;
    };
    std::vector<List> lists;
    std::vector<std::uint32_t> candidates;
};

class SpareScratch {
public:
    ~SpareScratch() { std::unique_ptr<Scratch> drop(m_spare.exchange(nullptr)); }
    std::unique_ptr<Scratch> Take() {
        std::unique_ptr<Scratch> scratch(m_spare.exchange(nullptr));
        return scratch ? std::move(scratch) : std::make_unique<Scratch>();
    }
    void Give(std::unique_ptr<Scratch> scratch) noexcept {
        Scratch* expected = nullptr;
        if (m_spare.compare_exchange_strong(expected, scratch.get())) {
            scratch.release();
        }
    }

private:
    std::atomic<Scratch*> m_spare{nullptr};
};

SpareScratch g_spare;

class ScratchLease {
public:
    ScratchLease() : m_scratch(g_spare.Take()) {}
    ~ScratchLease() { g_spare.Give(std::move(m_scratch)); }
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;
    Scratch& operator*() const { return *m_scratch; }

private:
    std::unique_ptr<Scratch> m_scratch;
};

}  // namespace

CompiledSet::CompiledSet(const RuleRecord* const* set, std::size_t capacity) : m_set(set) {
    Offset(capacity);
    m_heads.reserve(capacity);
    m_literals.Reserve(capacity);
}

void CompiledSet::Append() {
    const std::size_t entry = EntryCount();
    const RuleRecord& record = *m_set[entry];
    bool canCatch = true;
    Literal best;
    EntryHead head;
    head.wide = record.wide;
    Anchored start;
    Anchored end;
    for (const TokenNode* word = record.words; word != nullptr; word = word->next) {
        const WordLength length = ConsiderRuns(word->text, best);
        ConsiderEnds(std::string_view(word->text, length.length), start, end);
        if (length.length > UINT16_MAX) {
            throw std::length_error("prepared rule set: word too long");
        }
        if (word == record.words) {
            head.firstWord = word->text;
            head.firstLength = static_cast<std::uint16_t>(length.length);
        }
        canCatch = canCatch && length.length != 0;  // an empty mask matches nothing
        head.least = std::max<std::uint16_t>(head.least, static_cast<std::uint16_t>(length.length - length.stars));
        if (length.stars == 0 && length.length != 0 && !head.wide) {
            // Two words of different fixed lengths: no text matches both.
            canCatch = canCatch && (head.exact == 0 || head.exact == length.length);
            head.exact = static_cast<std::uint16_t>(length.length);
        }
    }
    if (head.wide) {
        // UTF-8 words: their bytes are neither the characters nor their
        // count, so they give no literal and no length.
        best = {};
        head.least = 0;
        head.exact = 0;
    }
    m_heads.push_back(head);
    for (const RuleGroup* group = record.exceptions; group != nullptr; group = group->next) {
        if (group->words == nullptr) {
            canCatch = false;  // a group of blanks only: the entry never catches
        }
    }
    if (!canCatch) {
        return;
    }
    // A run at the text's start or end is looked up once a text, a literal
    // anywhere at every place of it: the anchored run is taken unless the
    // free one is longer and the anchored one shorter than a whole key.
    const Anchored& anchored = end.length > start.length ? end : start;
    LiteralPrefilter* table = &m_literals;
    if (!head.wide && anchored.length >= std::min(best.length, kAnchoredLimit) && anchored.length > 0) {
        best = {anchored.bytes, anchored.length, 0};
        table = &anchored == &end ? &m_endLiterals : &m_startLiterals;
        (&anchored == &end ? m_endLengths : m_startLengths) |= 1u << anchored.length;
    }
    if (best.length == 0) {
        m_withoutLiteral.push_back(static_cast<std::uint32_t>(entry));
        return;
    }
    std::uint64_t folded = 0;
    for (std::size_t i = 0; i < best.length; ++i) {
        folded |= std::uint64_t{Tools::ToUpperChars[static_cast<unsigned char>(best.bytes[i])]} << (8 * i);
    }
    table->Add(folded, static_cast<std::uint32_t>(entry));
}

void CompiledSet::Seal() {
    m_literals.Seal();
    m_startLiterals.Seal();
    m_endLiterals.Seal();
}

bool CompiledSet::Catches(std::size_t entry, const Text& search) const {
    if (m_heads[entry].wide && search.units != nullptr) [[unlikely]] {
        return CatchesIn(entry, (*search.units)());
    }
    return CatchesIn(entry, search.bytes);
}

// The one test of an entry against a text: the length first, then every
// word in order, then each exception group, which stops the entry when all
// of its words match (and always when it has none).
template <typename Chars>
bool CompiledSet::CatchesIn(std::size_t entry, Chars text) const {
    // The length alone rules many texts out, and the first word most of the
    // rest, without a look at the record.
    const EntryHead& head = m_heads[entry];
    if (text.size() < head.least || (head.exact != 0 && text.size() != head.exact)) {
        return false;
    }
    const bool wide = head.wide;
    const RuleRecord& record = *m_set[entry];
    const auto words = [&](auto&& visit) {
        if (head.firstWord == nullptr) {
            return true;
        }
        if (!visit(std::string_view(head.firstWord, head.firstLength))) {
            return false;
        }
        for (const TokenNode* word = record.words->next; word != nullptr; word = word->next) {
            if (!visit(std::string_view(word->text))) {
                return false;
            }
        }
        return true;
    };
    return EntryCatches(words, GroupsOf(record.exceptions), [&](std::string_view word) { return MatchesWord(text, word, wide); });
}

std::int64_t CompiledSet::FindFirst(std::string_view text, std::size_t first, SearchWalk how) const {
    return Find(Text{text, nullptr}, first, how);
}

std::int64_t CompiledSet::FindFirst(std::string_view bytes, const std::function<UnitView()>& units, std::size_t first,
                                    SearchWalk how) const {
    return Find(Text{bytes, &units}, first, how);
}

std::int64_t CompiledSet::Find(const Text& search, std::size_t first, SearchWalk how) const {
    const std::string_view text = search.bytes;
    const std::size_t count = EntryCount();
    if (first >= count) {
        return -1;
    }
    if (how == SearchWalk::Auto) {
        how = count - first >= kPrefilterFrom ? SearchWalk::Prefilter : SearchWalk::EveryEntry;
    }
    if (how == SearchWalk::EveryEntry) {
        for (std::size_t entry = first; entry < count; ++entry) {
            if (Catches(entry, search)) {
                return static_cast<std::int64_t>(entry);
            }
        }
        return -1;
    }
    ScratchLease lease;
    Scratch& scratch = *lease;

    // The candidates come in lists, each ascending: the entries without a
    // literal, and the entries of each literal the text holds.
    std::size_t total = 0;
    scratch.lists.clear();
    const auto addList = [&](const std::uint32_t* begin, const std::uint32_t* end) {
        if (first > 0) {
            begin = std::lower_bound(begin, end, static_cast<std::uint32_t>(first));
        }
        if (begin != end) {
            scratch.lists.push_back({begin, end});
            total += static_cast<std::size_t>(end - begin);
        }
    };
    addList(m_withoutLiteral.data(), m_withoutLiteral.data() + m_withoutLiteral.size());
    // The folded units of the text's start or end, `length` of them, as a
    // literal's number; 0 when a unit reads as 0 (no literal holds it).
    const auto key = [&text](std::size_t from, std::size_t length) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint32_t folded = Tools::ToUpperChars[static_cast<unsigned char>(text[from + i])];
            if (folded == 0) return std::uint32_t{0};
            value |= folded << (8 * i);
        }
        return value;
    };
    const auto addValues = [&](const LiteralPrefilter::Values& values) { addList(values.begin, values.end); };
    for (std::size_t length = 1; length <= kAnchoredLimit && length <= text.size(); ++length) {
        if ((m_startLengths >> length) & 1) {
            addValues(m_startLiterals.Lookup(key(0, length)));
        }
        if ((m_endLengths >> length) & 1) {
            addValues(m_endLiterals.Lookup(key(text.size() - length, length)));
        }
    }
    if (m_literals.LiteralCount() > 0) {
        // A literal with a list may stand at many places of a text; its list
        // is taken once. One with a single entry is taken as often as it
        // stands: the candidates are put in order and told apart below.
        if (scratch.seen.size() < m_literals.ListCount()) {
            scratch.seen.resize(m_literals.ListCount(), 0);
        }
        if (++scratch.search == 0) {
            std::fill(scratch.seen.begin(), scratch.seen.end(), 0);
            scratch.search = 1;
        }
        m_literals.Scan(text, Tools::ToUpperChars, [&](const LiteralPrefilter::Values& values) {
            if (values.list == LiteralPrefilter::kNone) {
                addValues(values);
            } else if (scratch.seen[values.list] != scratch.search) {
                scratch.seen[values.list] = scratch.search;
                addValues(values);
            }
        });
    }

    if (scratch.lists.size() == 1) {
        for (const std::uint32_t* entry = scratch.lists[0].begin; entry != scratch.lists[0].end; ++entry) {
            if (Catches(*entry, search)) {
                return *entry;
            }
        }
        return -1;
    }
    if (total <= kSortedCandidates) {
        scratch.candidates.clear();
        for (const Scratch::List& list : scratch.lists) {
            scratch.candidates.insert(scratch.candidates.end(), list.begin, list.end);
        }
        std::sort(scratch.candidates.begin(), scratch.candidates.end());
        const auto last = std::unique(scratch.candidates.begin(), scratch.candidates.end());
        const std::span<const std::uint32_t> candidates(scratch.candidates.begin(), last);
        // What each test reads first, fetched for all of them at once.
        for (const std::uint32_t entry : candidates) {
            __builtin_prefetch(&m_heads[entry]);
            __builtin_prefetch(&m_set[entry]);
        }
        for (const std::uint32_t entry : candidates) {
            __builtin_prefetch(m_heads[entry].firstWord);
        }
        for (const std::uint32_t entry : candidates) {
            if (Catches(entry, search)) {
                return entry;
            }
        }
        return -1;
    }

    // Many candidates: they are taken a block of entries at a time, in
    // order, each block's marked in a bitmap and walked. An entry near the
    // front that catches (the common case when many candidates are left)
    // then costs the marks of its block only, not of every candidate.
    constexpr std::size_t kBlockWords = 16;
    constexpr std::size_t kBlock = 64 * kBlockWords;
    std::vector<Scratch::List>& lists = scratch.lists;
    const TextPairs pairs(text);
    std::uint32_t next = std::numeric_limits<std::uint32_t>::max();
    for (const Scratch::List& list : lists) {
        next = std::min(next, *list.begin);
    }
    while (!lists.empty()) {
        const std::size_t blockStart = next / kBlock * kBlock;
        const std::size_t blockEnd = blockStart + kBlock;
        std::uint64_t bits[kBlockWords] = {};
        next = std::numeric_limits<std::uint32_t>::max();
        for (std::size_t l = 0; l < lists.size();) {
            Scratch::List& list = lists[l];
            for (; list.begin != list.end && *list.begin < blockEnd; ++list.begin) {
                const std::size_t bit = *list.begin - blockStart;
                bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
            }
            if (list.begin == list.end) {
                list = lists.back();
                lists.pop_back();
            } else {
                next = std::min(next, *list.begin);
                ++l;
            }
        }
        for (std::size_t word = 0; word < kBlockWords; ++word) {
            for (std::uint64_t marked = bits[word]; marked != 0; marked &= marked - 1) {
                const std::size_t entry = blockStart + word * 64 + static_cast<std::size_t>(std::countr_zero(marked));
                const EntryHead& head = m_heads[entry];
                if (!head.wide && head.firstWord != nullptr &&
                    !pairs.MayMatch(std::string_view(head.firstWord, head.firstLength))) {
                    continue;
                }
                if (Catches(entry, search)) {
                    return static_cast<std::int64_t>(entry);
                }
            }
        }
    }
    return -1;
}

SetCompiler::SetCompiler(const RuleRecord* const* set, std::size_t capacity) noexcept {
    if (capacity == 0) {
        return;  // an empty set is searched as fast through its records
    }
    try {
        m_set = std::make_unique<CompiledSet>(set, capacity);
    } catch (...) {
        m_set.reset();
    }
}

void SetCompiler::Add() noexcept {
    if (!m_set) {
        return;
    }
    try {
        m_set->Append();
    } catch (...) {
        m_set.reset();
    }
}

std::unique_ptr<const CompiledSet> SetCompiler::Finish() noexcept {
    if (m_set) {
        try {
            m_set->Seal();
        } catch (...) {
            m_set.reset();
        }
    }
    return std::move(m_set);
}

}  // namespace talvo
