#include "talvo/magic/magic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "talvo/frame/host.h"
#include "magic_cases.h"

namespace {

constexpr std::size_t kBufferSize = TALVO_CLASSIC_BUFFER_SIZE;
constexpr char kFiller = '\x5a';

TEST(MagicTest, AnswersEveryCallTextInTheHostBuffer) {
    for (const magic_cases::MagicCase& c : magic_cases::kCases) {
        std::vector<char> data(kBufferSize, kFiller);
        std::memcpy(data.data(), c.text, std::strlen(c.text) + 1);
        const std::vector<char> before = data;
        std::vector<char> parms(kBufferSize, kFiller);

        const int32_t code = Magic(nullptr, nullptr, data.data(), parms.data(), 0, 0);

        const std::string expected = "var %match = " + std::to_string(c.level);
        EXPECT_EQ(code, 2) << c.why;
        EXPECT_EQ(std::string(data.data()), expected) << c.text << " (" << c.why << ")";
        const std::size_t written = expected.size() + 1;
        EXPECT_TRUE(std::equal(data.begin() + written, data.end(), before.begin() + written))
            << "bytes past the answer changed for " << c.text;
        EXPECT_TRUE(std::all_of(parms.begin(), parms.end(), [](char b) { return b == kFiller; }))
            << "parameter buffer changed for " << c.text;
    }
}

TEST(MagicTest, NullDataIsLeftAlone) {
    EXPECT_EQ(Magic(nullptr, nullptr, nullptr, nullptr, 0, 0), 2);
    EXPECT_EQ(talvo::MagicLevel(nullptr), 0);
}

TEST(MagicTest, BufferFullOfTestNumbers) {
    // The largest text a classic host hands over: the address, then one-byte
    // tokens up to the last byte of the buffer.
    std::string text = "bxkqwz!zxvq@irc.example.net";
    while (text.size() + 2 < kBufferSize) {
        text += " 5";
    }
    std::vector<char> data(text.begin(), text.end());
    data.push_back('\0');
    EXPECT_EQ(Magic(nullptr, nullptr, data.data(), nullptr, 0, 0), 2);
    EXPECT_STREQ(data.data(), "var %match = 1");

    text.back() = '1';
    std::copy(text.begin(), text.end(), data.begin());
    Magic(nullptr, nullptr, data.data(), nullptr, 0, 0);
    EXPECT_STREQ(data.data(), "var %match = 0") << "the last token switches level 1 off";
}

}  // namespace
