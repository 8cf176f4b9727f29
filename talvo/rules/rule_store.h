#pragma once

// The rule store: sixteen numbered rule sets read from the rule files, the
// only state of the library that lives from one host call to the next.
//
// A set is a heap array of n + 1 record pointers for the n line pieces of its
// rule file, in file order, ending in null. A record that could not be made
// is null too and ends the set there. The store owns the arrays, the records
// and their token lists; FreeRuleStore is the one place that releases them.

#include <cstdint>

#include "talvo/frame/text_utils.h"

namespace talvo {

struct RuleRecord {
    TokenNode* words;       // wildcard words, all of which a text must match
    TokenNode* exceptions;  // exception groups as written, blanks inside
};

using RuleSet = RuleRecord**;

inline constexpr std::int32_t kRuleSetSlots = 16;

struct RuleStore {
    RuleSet sets[kRuleSetSlots];
    std::int32_t entryCount;  // pieces read in the last loading pass, all sets
    // Set when the last loading pass lost entries for want of memory (a set
    // array, a record or a token list could not be made). LoadRules then
    // answers the failure instead of a count that looks complete.
    bool incomplete;
};

// The library's one store; empty at load.
RuleStore& TheRuleStore();

// Frees every set with its records and token lists, empties every slot and
// sets entryCount to 0.
void FreeRuleStore() noexcept;

// FreeRuleStore, then reads the fifteen rule files into their sets. Throws
// TokenizeOutOfMemory when splitting a field runs out of memory; what was
// loaded until then stays in the store.
void LoadAllRuleFiles();

}  // namespace talvo
