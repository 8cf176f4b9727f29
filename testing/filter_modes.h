#pragma once

// One request answered in several ways that must agree: `filter(request,
// mode)` for each mode given (FilterText and its search modes, with the
// literal prefilter, every prepared entry, the records alone).

#include <cstdint>
#include <string>
#include <vector>

namespace testkit {

struct ModeAnswers {
    std::vector<std::int32_t> answers;  // one per mode, in the order given
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

template <typename Filter, typename Request, typename... Modes>
ModeAnswers FilterInEveryMode(Filter filter, const Request& request, Modes... modes) {
    return {{filter(request, modes)...}};
}

}  // namespace testkit
