#pragma once

// The two wildcards of every mask, in one place for the matchers, the rule
// filter's literal choice and the rule checker.
//
// What candidate filtering may assume, and all it assumes: a mask's units
// between wildcards (its literal runs, '?' ending a run like '*') stand at
// some place of every text the mask matches, each unit as itself or as a
// unit the case table makes equal to it. So a text that lacks one literal
// run of a word (compared through the case table) fails that word, and an
// entry whose words all must match fails too. A change to what '*' or '?'
// mean, or to letters agreeing through the table, breaks that reasoning.

namespace Tools {

inline constexpr char kAnyRun = '*';  // any run of units, none included
inline constexpr char kAnyOne = '?';  // any one unit

}  // namespace Tools
