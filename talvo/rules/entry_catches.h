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

}  // namespace talvo
