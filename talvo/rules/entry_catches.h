#pragma once

// Whether an entry catches a text: the one rule every search path applies,
// whatever form it keeps the entry in. The text must match every word of the
// entry, tested in order until one fails, and no exception group as a whole:
// a group matches when the text matches each of its words (tested in order
// until one fails); a group without words (blanks only) stops the entry from
// catching anything.
//
// `words(visit)` calls visit(word) for each word in order until visit
// answers false, and answers whether none did; `groups(visitGroup)` calls
// visitGroup(groupWords) for each group in order, where groupWords is a
// `words` of the group, until visitGroup answers false, and answers whether
// none did. `matches(word)` is the wildcard test of the text against a word.
//
// A record's exception groups come split into their words from loading
// (RuleGroup), so no search splits them again; WordsOf and GroupsOf hand a
// record's lists to EntryCatches as they stand.

#include "talvo/rules/rule_store.h"

namespace talvo {

template <typename Words, typename Groups, typename Matches>
bool EntryCatches(Words&& words, Groups&& groups, Matches&& matches) {
    if (!words(matches)) {
        return false;
    }
    return groups([&](auto&& groupWords) {
        bool any = false;
        const bool all = groupWords([&](const auto& word) {
            any = true;
            return matches(word);
        });
        return any && !all;  // the text goes past the group
    });
}

// `words` for EntryCatches over a token list: visit(text) for each node.
inline auto WordsOf(const TokenNode* first) {
    return [first](auto&& visit) {
        for (const TokenNode* word = first; word != nullptr; word = word->next) {
            if (!visit(static_cast<const char*>(word->text))) {
                return false;
            }
        }
        return true;
    };
}

// `groups` for EntryCatches over a record's exception groups.
inline auto GroupsOf(const RuleGroup* first) {
    return [first](auto&& visitGroup) {
        for (const RuleGroup* group = first; group != nullptr; group = group->next) {
            if (!visitGroup(WordsOf(group->words))) {
                return false;
            }
        }
        return true;
    };
}

}  // namespace talvo
