#include "talvo/rules/rule_filter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "talvo/rules/entry_catches.h"
#include "talvo/rules/search_walk.h"
#include "talvo/rules/unit_matching.h"
#include "talvo/tools/tools.h"

namespace talvo {
namespace {

using detail::SearchWalk;

constexpr std::int32_t kNotWholeSetNumber = -1;
constexpr std::int32_t kSetNumberOutOfRange = -2;
constexpr std::int32_t kNotWholeStartNumber = -3;
constexpr std::int32_t kNoText = -4;
constexpr std::int32_t kNoSuchSet = -5;

// Word `n` (1 or 2) of a request: its n-th run of bytes other than the
// blank, as GetToken counts them; empty when it has fewer words. Read in
// place: a search asks for no memory to parse its request.
std::string_view RequestWord(const char* request, int n) {
    const char* current = request;
    for (int word = 1;; ++word) {
        while (*current == ' ') {
            ++current;
        }
        const char* const start = current;
        while (*current != ' ' && *current != '\0') {
            ++current;
        }
        if (current == start || word == n) {
            return std::string_view(start, static_cast<std::size_t>(current - start));
        }
    }
}

// IsIntegerText for a word: an optional '-' and one or more digits.
bool IsWholeNumber(std::string_view word) {
    const std::string_view digits = !word.empty() && word.front() == '-' ? word.substr(1) : word;
    if (digits.empty()) {
        return false;
    }
    for (const char byte : digits) {
        if (!IsDigitChar(byte)) {
            return false;
        }
    }
    return true;
}

// The value of a whole number (IsWholeNumber holds), saturated to the 64-bit
// range: the digits may be more than any integer holds.
std::int64_t WholeNumberValue(std::string_view digits) {
    std::int64_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return digits.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                                     : std::numeric_limits<std::int64_t>::max();
    }
    return value;
}

// Where the text after the two numbers and the blanks that follow each of
// them starts.
const char* TextAfterTwoWords(const char* request) {
    const char* current = request;
    for (int word = 0; word < 2; ++word) {
        while (*current == ' ') {
            ++current;
        }
        while (*current != ' ' && *current != '\0') {
            ++current;
        }
    }
    while (*current == ' ') {
        ++current;
    }
    return current;
}

// Tests a record with `matches(word)` for each word; its exception groups
// were split into words when it was made.
template <typename Matches>
bool TestRecord(const RuleRecord* record, Matches matches) {
    return EntryCatches(WordsOf(record->words), GroupsOf(record->exceptions), matches);
}

// Kept out of line: the code page 1251 search loop stays as small as it was.
template <typename Text>
[[gnu::noinline]] bool TestWideRecord(const RuleRecord* record, Text text) {
    return TestRecord(record, [text](const char* word) { return TestWildUtf8Word(text, word); });
}

bool TestRuleText(const RuleRecord* record, std::string_view text) {
    if (record == nullptr) {
        return false;
    }
    if (record->wide) [[unlikely]] {
        return TestWideRecord(record, text);
    }
    return TestRecord(record, [text](const char* word) { return Tools::Talvo_TestWildText(text, word); });
}

// Where a well-formed request's search starts, or the answer of a malformed
// one (`set` null).
struct Search {
    // One store for the whole search: a reload or an unload on another
    // thread publishes another store and leaves this one as it is.
    RuleSnapshot rules = CurrentRuleStore();
    std::int32_t answer = 0;
    RuleSet set = nullptr;
    std::int64_t startNumber = 0;
    std::size_t textOffset = 0;             // where the text starts in the request
    const CompiledSet* prepared = nullptr;  // the set prepared for searching, if it is
};

Search StartSearch(const char* request) {
    Search search;
    const std::string_view setWord = RequestWord(request, 1);
    if (!IsWholeNumber(setWord)) {
        search.answer = kNotWholeSetNumber;
        return search;
    }
    const std::int64_t setNumber = WholeNumberValue(setWord);
    if (setNumber < 0 || setNumber >= kRuleSetSlots) {
        search.answer = kSetNumberOutOfRange;
        return search;
    }
    const std::string_view startWord = RequestWord(request, 2);
    if (!IsWholeNumber(startWord)) {
        search.answer = kNotWholeStartNumber;
        return search;
    }
    search.startNumber = WholeNumberValue(startWord);
    const char* const text = TextAfterTwoWords(request);
    if (*text == '\0') {
        search.answer = kNoText;
        return search;
    }
    search.textOffset = static_cast<std::size_t>(text - request);
    search.set = search.rules->sets[setNumber];
    search.prepared = search.rules->compiled[setNumber].get();
    if (search.set == nullptr) {
        search.answer = kNoSuchSet;
    }
    return search;
}

// The first entry from the start number on that `test` accepts, or 0.
template <typename Test>
std::int32_t Walk(const Search& search, Test test) {
    const RuleSet set = search.set;
    // Walk up to the start entry first: a start past the set's end must not
    // index beyond its terminator. (index + 1 < start rather than
    // index < start - 1: a start saturated to the lowest 64-bit value has no
    // predecessor.)
    std::int64_t index = 0;
    for (; index + 1 < search.startNumber; ++index) {
        if (set[index] == nullptr) {
            return 0;
        }
    }
    for (; set[index] != nullptr; ++index) {
        if (test(set[index])) {
            return static_cast<std::int32_t>(index + 1);
        }
    }
    return 0;
}

// The answer of a well-formed request: through the prepared set when there
// is one (and `walk` asks for it), else by walking the records with `test`.
// `find(first, how)` searches the prepared set.
template <typename Find, typename Test>
std::int32_t Answer(const Search& search, Find find, SearchWalk walk, Test test) {
    if (search.prepared == nullptr || walk == SearchWalk::Records) {
        return Walk(search, test);
    }
    // A start number below 1 searches from entry 1; one past the end finds nothing.
    const std::int64_t first = search.startNumber < 1 ? 0 : search.startNumber - 1;
    if (static_cast<std::uint64_t>(first) >= search.prepared->EntryCount()) {
        return 0;
    }
    const std::int64_t found = find(static_cast<std::size_t>(first), walk);
    return found < 0 ? 0 : static_cast<std::int32_t>(found + 1);
}

}  // namespace

bool TestRule(const RuleRecord* record, const char* text) {
    return TestRuleText(record, text != nullptr ? std::string_view(text) : std::string_view());
}

bool TestRuleUnits(const RuleRecord* record, UnitView text) {
    if (record == nullptr) {
        return false;
    }
    if (record->wide) {
        return TestWideRecord(record, text);
    }
    return TestRecord(record, [text](const char* word) { return TestWildUnits(text, std::string_view(word)); });
}

namespace detail {

std::int32_t FilterTextWalking(std::string_view request, SearchWalk walk) {
    const Search search = StartSearch(request.data());
    if (search.set == nullptr) {
        return search.answer;
    }
    const std::string_view text = request.substr(search.textOffset);
    const auto find = [&](std::size_t first, SearchWalk how) { return search.prepared->FindFirst(text, first, how); };
    return Answer(search, find, walk, [text](const RuleRecord* record) { return TestRuleText(record, text); });
}

namespace {

// A wide request: `bytes`, its units below 256 as bytes and byte 0 for each
// of the others, a NUL after them, and `units()`, the units themselves, asked for only when a
// rule with such characters or a set without a prepared form needs them.
std::int32_t FilterWide(std::string_view bytes, const std::function<UnitView()>& units, SearchWalk walk) {
    // The numbers and the blanks around them are ASCII: they are parsed
    // from a copy of the request's head, up to the first byte of the text,
    // with a stand-in byte for each wide unit (any byte but a blank, a digit
    // or '-' parses alike).
    std::size_t headEnd = 0;
    for (int word = 0; word < 2; ++word) {
        while (headEnd < bytes.size() && bytes[headEnd] == ' ') ++headEnd;
        while (headEnd < bytes.size() && bytes[headEnd] != ' ') ++headEnd;
    }
    while (headEnd < bytes.size() && bytes[headEnd] == ' ') ++headEnd;
    // Mostly the wide units are in the text alone, and the bytes, which a
    // NUL follows, parse as they are.
    const std::size_t headSize = std::min(headEnd + 1, bytes.size());
    std::string head;
    if (std::memchr(bytes.data(), '\0', headSize) != nullptr) {
        head.assign(bytes.substr(0, headSize));
        std::replace(head.begin(), head.end(), '\0', 'x');
    }
    const Search search = StartSearch(head.empty() ? bytes.data() : head.c_str());
    if (search.set == nullptr) {
        return search.answer;
    }
    const std::function<UnitView()> text = [&units, &search] { return units().substr(search.textOffset); };
    const std::string_view narrowed = bytes.substr(search.textOffset);
    const auto find = [&](std::size_t first, SearchWalk how) {
        return search.prepared->FindFirst(narrowed, text, first, how);
    };
    std::optional<UnitView> recordText;
    return Answer(search, find, walk, [&](const RuleRecord* record) {
        if (!recordText) {
            recordText = text();
        }
        return TestRuleUnits(record, *recordText);
    });
}

}  // namespace

std::int32_t FilterUnitsWalking(UnitView request, SearchWalk walk) {
    std::string bytes(request.size(), '\0');
    for (std::size_t i = 0; i < request.size(); ++i) {
        if (request[i] < kFirstWideUnit) {
            bytes[i] = static_cast<char>(request[i]);
        }
    }
    return FilterWide(bytes, [request] { return request; }, walk);
}

std::int32_t FilterCallTextWalking(const CallText& request, SearchWalk walk) {
    return FilterWide(request.Bytes(), [&request] { return request.Units(); }, walk);
}

}  // namespace detail

std::int32_t FilterText(std::string_view request) { return detail::FilterTextWalking(request, SearchWalk::Auto); }

std::int32_t FilterText(const char* request) { return FilterText(std::string_view(request)); }

std::int32_t FilterUnits(UnitView request) { return detail::FilterUnitsWalking(request, SearchWalk::Auto); }

std::int32_t FilterUnits(const CallText& request) { return detail::FilterCallTextWalking(request, SearchWalk::Auto); }

}  // namespace talvo
