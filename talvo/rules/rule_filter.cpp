#include "talvo/rules/rule_filter.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "talvo/tools/tools.h"

namespace talvo {
namespace {

constexpr std::int32_t kNotWholeSetNumber = -1;
constexpr std::int32_t kSetNumberOutOfRange = -2;
constexpr std::int32_t kNotWholeStartNumber = -3;
constexpr std::int32_t kNoText = -4;
constexpr std::int32_t kNoSuchSet = -5;

// The value of a whole number (IsIntegerText holds), saturated to the 64-bit
// range: the digits may be more than any integer holds.
std::int64_t WholeNumberValue(const std::string& digits) {
    std::int64_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return digits.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                                     : std::numeric_limits<std::int64_t>::max();
    }
    return value;
}

// The text after the two numbers and the blanks that follow each of them.
std::string_view TextAfterTwoWords(const char* request) {
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
    return std::string_view(current);
}

bool TestRuleText(const RuleRecord* record, std::string_view text) {
    if (record == nullptr) {
        return false;
    }
    for (const TokenNode* word = record->words; word != nullptr; word = word->next) {
        if (!Tools::Talvo_TestWildText(text, word->text)) {
            return false;
        }
    }
    for (const TokenNode* group = record->exceptions; group != nullptr; group = group->next) {
        const TokenList words(Tokenize(group->text, ' '));
        if (!words) {
            // A group of blanks only: the rule is never to catch anything.
            return false;
        }
        bool groupMatches = true;
        for (const TokenNode* word = words.get(); word != nullptr; word = word->next) {
            if (!Tools::Talvo_TestWildText(text, word->text)) {
                groupMatches = false;
                break;
            }
        }
        if (groupMatches) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool TestRule(const RuleRecord* record, const char* text) {
    return TestRuleText(record, text != nullptr ? std::string_view(text) : std::string_view());
}

std::int32_t FilterText(const char* request) {
    // One store for the whole search: a reload or an unload on another
    // thread publishes another store and leaves this one as it is.
    const RuleSnapshot rules = CurrentRuleStore();
    const std::string setWord = GetToken(request, ' ', 1);
    if (!IsIntegerText(setWord.c_str())) {
        return kNotWholeSetNumber;
    }
    const std::int64_t setNumber = WholeNumberValue(setWord);
    if (setNumber < 0 || setNumber >= kRuleSetSlots) {
        return kSetNumberOutOfRange;
    }
    const std::string startWord = GetToken(request, ' ', 2);
    if (!IsIntegerText(startWord.c_str())) {
        return kNotWholeStartNumber;
    }
    const std::int64_t startNumber = WholeNumberValue(startWord);
    const std::string_view text = TextAfterTwoWords(request);
    if (text.empty()) {
        return kNoText;
    }
    const RuleSet set = rules->sets[setNumber];
    if (set == nullptr) {
        return kNoSuchSet;
    }
    // Walk up to the start entry first: a start past the set's end must not
    // index beyond its terminator. (index + 1 < start rather than
    // index < start - 1: a start saturated to the lowest 64-bit value has no
    // predecessor.)
    std::int64_t index = 0;
    for (; index + 1 < startNumber; ++index) {
        if (set[index] == nullptr) {
            return 0;
        }
    }
    for (; set[index] != nullptr; ++index) {
        if (TestRuleText(set[index], text)) {
            return static_cast<std::int32_t>(index + 1);
        }
    }
    return 0;
}

}  // namespace talvo
