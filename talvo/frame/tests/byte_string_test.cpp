#include "byte_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

namespace {

TEST(ByteString, CharAtRefusesPositionsOutsideTheText) {
    struct Case {
        std::string text;
        std::int32_t position;
        bool valid;
        char expected;
    } cases[] = {
        {"abc", 1, true, 'a'}, {"abc", 3, true, 'c'}, {"abc", 0, false, 0},
        {"abc", 4, false, 0},  {"", 1, false, 0},     {"abc", -1, false, 0},
        {std::string("a\0b", 3), 2, true, '\0'},
    };
    for (const Case& c : cases) {
        if (c.valid) {
            EXPECT_EQ(talvo::CharAt(c.text, c.position), c.expected) << c.text << " @" << c.position;
        } else {
            EXPECT_THROW(talvo::CharAt(c.text, c.position), std::out_of_range) << c.text << " @" << c.position;
        }
    }
}

TEST(ByteString, SubStringAndCString) {
    EXPECT_EQ(talvo::SubString("hello", 2, 3), "ell");
    EXPECT_EQ(talvo::SubString("hello", 4, 10), "lo");
    EXPECT_EQ(talvo::SubString("hello", 6, 1), "");
    EXPECT_EQ(talvo::SubString("hello", 0, 2), "");
    EXPECT_EQ(talvo::FromCString(nullptr), "");
    EXPECT_EQ(talvo::FromCString("x y"), "x y");
}

TEST(ByteString, DecimalText) {
    struct Case {
        std::int32_t value;
        const char* text;
    } cases[] = {{0, "0"}, {-1, "-1"}, {42, "42"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const Case& c : cases) {
        EXPECT_EQ(talvo::DecimalText(c.value), c.text);
    }
}

}  // namespace
