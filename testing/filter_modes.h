#pragma once

// One request answered every way the library can walk a rule set, which must
// all agree: its own choice, always the literal prefilter, every prepared
// entry in order, the records alone. The ways are the library's internal
// ones (talvo/rules/search_walk.h); only tests and harnesses force them.

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/frame/encoding.h"
#include "talvo/rules/search_walk.h"

namespace testkit {

struct ModeAnswers {
    std::vector<std::int32_t> answers;  // Auto, Prefilter, EveryEntry, Records
    bool Agree() const {
        for (const std::int32_t answer : answers) {
            if (answer != answers.front()) return false;
        }
        return true;
    }
    std::string Describe() const {
        std::string text;
        for (const std::int32_t answer : answers) text += (text.empty() ? "" : " / ") + std::to_string(answer);
        return text;
    }
};

inline constexpr talvo::detail::SearchWalk kEveryWalk[] = {
    talvo::detail::SearchWalk::Auto, talvo::detail::SearchWalk::Prefilter, talvo::detail::SearchWalk::EveryEntry,
    talvo::detail::SearchWalk::Records};

// FilterText's answer every way; a NUL must follow the request.
inline ModeAnswers FilterEveryWay(std::string_view request) {
    ModeAnswers all;
    all.answers.reserve(std::size(kEveryWalk));
    for (const auto walk : kEveryWalk) all.answers.push_back(talvo::detail::FilterTextWalking(request, walk));
    return all;
}

// FilterUnits's answer every way.
inline ModeAnswers FilterEveryWay(talvo::UnitView request) {
    ModeAnswers all;
    all.answers.reserve(std::size(kEveryWalk));
    for (const auto walk : kEveryWalk) all.answers.push_back(talvo::detail::FilterUnitsWalking(request, walk));
    return all;
}

// FilterUnits's answer every way for a wide call text, as the export asks.
inline ModeAnswers FilterEveryWay(const talvo::CallText& request) {
    ModeAnswers all;
    for (const auto walk : kEveryWalk) all.answers.push_back(talvo::detail::FilterCallTextWalking(request, walk));
    return all;
}

}  // namespace testkit
