#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nomvary::bench {

// File names as music folders hold them: artists and titles in mixed case,
// "_" or blanks, track numbers, brackets, "feat."/"vs." and a few 8-bit
// letters. Deterministic, so runs compare.
inline std::vector<std::string> NameCorpus(std::size_t count) {
    static const char* const artists[] = {"the_beatles", "DAFT PUNK", "jay-z", "Mot\xC3\xB6rhead", "2pac",
                                          "massive_attack", "AC_DC", "caf\xE9_tacuba", "bj\xC3\xB6rk", "run-dmc"};
    static const char* const titles[] = {"hey_jude", "ONE MORE TIME", "don't stop me now", "ace_of_spades",
                                         "changes", "teardrop", "highway_to_hell", "la ingrata", "army_of_me",
                                         "it's like that"};
    static const char* const extras[] = {"", "_(radio_edit)", " [live]", "_feat._someone", " vs. other",
                                         " (REMIX 2004)", "", "_{bonus}"};
    static const char* const endings[] = {".mp3", ".MP3", ".Mp3", ".mp3"};

    std::vector<std::string> names;
    names.reserve(count);
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    for (std::size_t k = 0; k < count; ++k) {
        std::string number = std::to_string(k % 100 + 1);
        if (number.size() < 2) number.insert(0, "0");
        names.push_back(number + (next(2) ? "_-_" : " - ") + artists[next(10)] + "_-_" + titles[next(10)] +
                        extras[next(8)] + "_" + std::to_string(k) + endings[next(4)]);
    }
    return names;
}

}  // namespace nomvary::bench
