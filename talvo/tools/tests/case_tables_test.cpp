#include <gtest/gtest.h>

#include "tools.h"

namespace {

using Tools::ToLowerChars;
using Tools::ToUpperChars;

TEST(CaseTables, NamedEntries) {
    struct Case {
        const std::uint8_t* table;
        unsigned char from;
        unsigned char to;
    } cases[] = {
        {ToUpperChars, 'a', 'A'},   {ToUpperChars, 0xE0, 0xC0}, {ToUpperChars, 0xB8, 0xA8},
        {ToUpperChars, '1', '1'},   {ToUpperChars, 'A', 'A'},   {ToUpperChars, 0xC0, 0xC0},
        {ToUpperChars, 0xB5, 0xB5}, {ToUpperChars, 0xFF, 0xDF}, {ToUpperChars, 0x83, 0x81},
        {ToUpperChars, 0xBC, 0xA3}, {ToUpperChars, 0xB4, 0xA5}, {ToUpperChars, 0x90, 0x80},
        {ToLowerChars, 'Z', 'z'},   {ToLowerChars, 0xDF, 0xFF}, {ToLowerChars, 0xA3, 0xBC},
        {ToLowerChars, 'z', 'z'},   {ToLowerChars, 0x20, 0x20}, {ToLowerChars, 0xB5, 0xB5},
        {ToLowerChars, 0xAF, 0xBF}, {ToLowerChars, 0x8F, 0x9F},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.table[c.from], c.to) << std::hex << int(c.from);
    }
}

TEST(CaseTables, PairsAreMutualAndCounted) {
    int upperChanges = 0;
    int lowerChanges = 0;
    for (int b = 0; b < 256; ++b) {
        upperChanges += ToUpperChars[b] != b;
        lowerChanges += ToLowerChars[b] != b;
        EXPECT_EQ(ToUpperChars[ToLowerChars[b]], ToUpperChars[b]) << b;
        if (ToUpperChars[b] != b) {
            EXPECT_EQ(ToLowerChars[ToUpperChars[b]], b) << b;
            EXPECT_EQ(ToUpperChars[ToUpperChars[b]], ToUpperChars[b]) << b;
        }
    }
    EXPECT_EQ(upperChanges, 73);
    EXPECT_EQ(lowerChanges, 73);
}

}  // namespace
