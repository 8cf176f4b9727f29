#pragma once

// Which way a search walks a rule set; inside the library only, nothing of it
// is exported. Every way gives the same answers. The library always takes
// Auto: the prepared set (compiled_set.h), with the literal prefilter when
// enough entries are left to repay it. The others are there so that the test
// support can hold the ways side by side (testing/filter_modes.h):
// Prefilter always uses the prefilter, EveryEntry tests every entry of the
// prepared set in order, Records tests the records themselves as TestRule
// does (the way a set without a prepared form is always searched).

#include <cstdint>
#include <string_view>

#include "talvo/frame/encoding.h"

namespace talvo::detail {

enum class SearchWalk { Auto, Prefilter, EveryEntry, Records };

// FilterText and FilterUnits (rule_filter.h) walking the set as `walk` says.
std::int32_t FilterTextWalking(std::string_view request, SearchWalk walk);
std::int32_t FilterUnitsWalking(UnitView request, SearchWalk walk);
std::int32_t FilterCallTextWalking(const CallText& request, SearchWalk walk);

}  // namespace talvo::detail
