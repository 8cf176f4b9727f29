#pragma once

// FilterText's answer for one request in each way it can walk a set: with the
// literal prefilter (what the library does), every prepared entry in order,
// and the records themselves. The three must always agree.

#include <cstdint>
#include <string>

#include "talvo/rules/rule_filter.h"

namespace testkit {

struct ModeAnswers {
    std::int32_t prefilter;
    std::int32_t everyEntry;
    std::int32_t records;
    bool Agree() const { return prefilter == everyEntry && everyEntry == records; }
    std::string Describe() const {
        return "prefilter " + std::to_string(prefilter) + ", every entry " + std::to_string(everyEntry) +
               ", records " + std::to_string(records);
    }
};

inline ModeAnswers FilterInEveryMode(const char* request) {
    return {talvo::FilterText(request, talvo::SearchMode::Prefilter),
            talvo::FilterText(request, talvo::SearchMode::EveryEntry),
            talvo::FilterText(request, talvo::SearchMode::Records)};
}

}  // namespace testkit
