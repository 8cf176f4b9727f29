#pragma once

// The one way a fuzz harness reports a fault: say what did not hold, show
// the input that broke it (as text and in hex, since inputs are raw bytes),
// and abort so libFuzzer, or the corpus replay under CTest, stops there.

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace testkit {

inline void Require(bool holds, const char* what, std::initializer_list<std::string_view> inputs) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    for (std::string_view bytes : inputs) {
        std::fprintf(stderr, "  %zu bytes: ", bytes.size());
        for (const char byte : bytes) std::fprintf(stderr, "%02x", static_cast<unsigned char>(byte));
        std::fprintf(stderr, "\n  as text: %.*s\n", static_cast<int>(bytes.size()), bytes.data());
    }
    std::abort();
}

inline void Require(bool holds, const char* what, std::string_view input) { Require(holds, what, {input}); }

}  // namespace testkit
