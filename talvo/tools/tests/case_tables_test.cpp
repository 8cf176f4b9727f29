#include <gtest/gtest.h>

#include "talvo/tools/tools.h"

namespace {

using Tools::ToLowerChars;
using Tools::ToUpperChars;

TEST(CaseTables, EntriesPairsAndCount) {
    const unsigned char upper[][2] = {{'a', 'A'}, {0xE0, 0xC0}, {0xB8, 0xA8}, {'1', '1'},  {'A', 'A'},
                                      {0xC0, 0xC0}, {0xB5, 0xB5}, {0xBC, 0xA3}, {0x83, 0x81}};
    const unsigned char lower[][2] = {{'Z', 'z'}, {0xDF, 0xFF}, {0xA3, 0xBC}, {'z', 'z'}, {0x20, 0x20}, {0xAF, 0xBF}};
    for (const auto& entry : upper) {
        EXPECT_EQ(ToUpperChars[entry[0]], entry[1]) << int(entry[0]);
    }
    for (const auto& entry : lower) {
        EXPECT_EQ(ToLowerChars[entry[0]], entry[1]) << int(entry[0]);
    }
    int upperChanges = 0;
    int lowerChanges = 0;
    for (int b = 0; b < 256; ++b) {
        upperChanges += ToUpperChars[b] != b;
        lowerChanges += ToLowerChars[b] != b;
        EXPECT_EQ(ToUpperChars[ToLowerChars[b]], ToUpperChars[b]) << b;
        // Each letter has exactly one partner, which the matcher relies on.
        if (ToUpperChars[b] != b) {
            EXPECT_EQ(ToLowerChars[ToUpperChars[b]], b) << b;
            EXPECT_EQ(ToUpperChars[ToUpperChars[b]], ToUpperChars[b]) << b;
        }
    }
    EXPECT_EQ(upperChanges, 73);
    EXPECT_EQ(lowerChanges, 73);
}

}  // namespace
