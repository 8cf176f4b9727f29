#pragma once

// A generated, repeatable corpus of chat traffic and rule words for the
// benchmarks: lines of 20 to 400 bytes from everyday chat words (some spam
// words mixed in, upper and lower case), user addresses, and the kind of
// wildcard words rule files hold.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace talvo_bench {

inline std::vector<std::string> ChatLines(std::size_t count, std::uint32_t seed = 1) {
    static const char* const kWords[] = {
        "hi",     "hello", "lol",   "the",    "a",      "is",    "what",  "anyone", "know",  "how",
        "to",     "fix",   "my",    "server", "channel", "join", "tonight", "Thanks", "see",  "you",
        "later",  "ok",    "brb",   "game",   "match",  "score", "WOW",   "nice",   "link", "http://example.net/x",
        "Free",   "cheap", "offer", "pills",  "buy",    "now",   "click", "win",    "prize", "\xEF\xF0\xE8\xE2\xE5\xF2",
    };
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = 20 + random() % 381;
        std::string line;
        while (line.size() < length) {
            if (!line.empty()) {
                line += ' ';
            }
            line += kWords[random() % std::size(kWords)];
        }
        line.resize(length);
        lines.push_back(std::move(line));
    }
    return lines;
}

inline std::vector<std::string> Addresses(std::size_t count, std::uint32_t seed = 2) {
    std::mt19937 random(seed);
    std::vector<std::string> addresses;
    for (std::size_t i = 0; i < count; ++i) {
        addresses.push_back("Nick" + std::to_string(random() % 5000) + "!~user" + std::to_string(random() % 900) +
                            "@host-" + std::to_string(random() % 250) + ".dsl.example.net");
    }
    return addresses;
}

inline const std::vector<std::string>& RuleWords() {
    static const std::vector<std::string> kMasks = {
        "*free*",        "*c?eap*pills*",      "*http://*",        "*win*prize*", "*click here*",
        "hello*",        "*viagra*",           "*!*@*.example.net", "Nick1?3!*",  "*!~user12@*",
        "*\xEF\xF0\xC8\xE2\xE5\xF2*", "*buy*now*",  "*lol",            "*casino*",    "*?????????????*",
    };
    return kMasks;
}

}  // namespace talvo_bench
