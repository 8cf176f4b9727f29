#pragma once

// Matching a text against a rule set, and the host exports of the rule filter.
//
// RuleFilter's request: "<set> <start> <text>". Answers, first that holds:
//   -1  word 1 is not a whole number (an empty request included)
//   -2  the set number is outside 0..15, also when it has more digits than
//       32 bits hold
//   -3  word 2 is absent or not a whole number
//   -4  no text follows the two numbers
//   -5  the set's slot is empty (set 6 always; a set whose array could not be
//       made; every set after UnloadDll emptied the store)
//   n   the first entry at or after the start number that the text satisfies
//   0   no such entry; also every start number past the end of the set
//       (more digits than 32 bits hold included)
//   -6  failure inside: memory ran out for the search's own working space
//       (its copy of the request, the prefilter's scratch area)
// A start number below 1 (also a negative one of more than 32 bits) searches
// from entry 1.
//
// LoadRules answers entryCount of its own pass, the pieces read from all rule
// files, or -6 when the pass ran out of memory (what was read until then is
// published all the same). Of two passes at once, the one that publishes
// last stays loaded.

#include <cstdint>
#include <string_view>

#include "talvo/frame/encoding.h"
#include "talvo/rules/rule_store.h"

namespace talvo {

// The answer of RuleFilter for `request` (NUL-terminated), from the store
// published when it starts (any thread, any number at once). Throws only
// std::bad_alloc when memory runs out.
std::int32_t FilterText(const char* request);
// The same for a request whose length is known; a NUL must follow it.
std::int32_t FilterText(std::string_view request);

// FilterText for a request decoded from UTF-8 that holds characters code
// page 1251 lacks (see talvo/frame/encoding.h). Its text is matched character
// by character; a character the code page lacks matches only itself, '?' and
// '*'.
std::int32_t FilterUnits(UnitView request);
// The same for a wide call text (IsWide): the search reads its Bytes for
// every rule without characters the code page lacks, and makes its Units only
// when a rule with such characters, or a set without a prepared form, needs
// them.
std::int32_t FilterUnits(const CallText& request);

// True when `text` matches every word of `record` and no exception group as a
// whole. A null record is false.
bool TestRule(const RuleRecord* record, const char* text);

// TestRule for a text of units (see talvo/frame/encoding.h), matched
// character by character.
bool TestRuleUnits(const RuleRecord* record, UnitView text);

}  // namespace talvo
