#include "talvo/frame/text_utils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings Texts(const talvo::TokenNode* node) {
    Strings texts;
    for (; node != nullptr; node = node->next) {
        texts.emplace_back(node->text);
    }
    return texts;
}

TEST(TextUtils, TokenizeAndNewTokenNode) {
    struct Case {
        const char* text;
        char separator;
        Strings tokens;
    } cases[] = {
        {"  a  b ", ' ', {"a", "b"}}, {"x@y@@z", '@', {"x", "y", "z"}}, {"   ", ' ', {}}, {"", ' ', {}},
        {"a\xFF" "b", '\xFF', {"a", "b"}},
    };
    talvo::TokenRegion region;
    for (const Case& c : cases) {
        EXPECT_EQ(Texts(talvo::Tokenize(c.text, c.separator, region)), c.tokens);
    }
    for (const char* text : {"a b  c ", ""}) {
        EXPECT_EQ(Texts(talvo::NewTokenNode(text, region)), Strings{text});
    }
}

TEST(TextUtils, GetToken) {
    struct Case {
        const char* text;
        char separator;
        std::int32_t n;
        const char* token;
    } cases[] = {
        {"  a  b ", ' ', 1, "a"}, {"  a  b ", ' ', 2, "b"},  {"  a  b ", ' ', 3, ""},         {"  a  b ", ' ', 0, ""},
        {"  a  b ", ' ', -1, ""}, {"pat tern", 4, 1, "pat tern"}, {"pat tern", 4, 2, ""}, {"\4\4p\4\4e\4", 4, 2, "e"},
        {nullptr, ' ', 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(talvo::GetToken(c.text, c.separator, c.n), c.token) << c.n;
    }
    // A million tokens would need a million nested calls if each token passed
    // cost one level of the stack.
    std::string text;
    for (int i = 0; i < 1000000; ++i) {
        text += "ab ";
    }
    EXPECT_EQ(talvo::GetToken((text + "last").c_str(), ' ', 1000001), "last");
    std::int32_t position = 4;
    std::int32_t count = 0;
    EXPECT_EQ(talvo::GetTokenFrom("a bc d", ' ', 2, 6, position, count), "d");
    EXPECT_EQ(position, 7);
    EXPECT_EQ(count, 2);
    position = 1;
    EXPECT_THROW(talvo::GetTokenFrom("ab", ' ', 1, 3, position, count), std::out_of_range)
        << "a length past the text reaches a position outside it";
}

TEST(TextUtils, IsIntegerTextAndStripNewline) {
    for (const char* yes : {"0", "42", "-7", "007", "-00", "99999999999999999999"}) {
        EXPECT_TRUE(talvo::IsIntegerText(yes)) << yes;
    }
    for (const char* no : {"", "-", "+5", " 5", "5 ", "5-", "1.5", "--1", "\xB9", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(talvo::IsIntegerText(no)) << (no ? no : "(null)");
    }
    const Strings before{"abc\n", "\n", "abc\r\n", "a\n\n", ""};
    const Strings after{"abc", "\n", "abc\r", "a\n", ""};
    for (std::size_t i = 0; i < before.size(); ++i) {
        std::string text = before[i];
        EXPECT_EQ(talvo::StripNewline(text.data()), text.data());
        EXPECT_STREQ(text.c_str(), after[i].c_str());
    }
    EXPECT_EQ(talvo::StripNewline(nullptr), nullptr);
}

// Lets the next `g_allowed` allocations succeed, then fails them all.
int g_allowed = 0;
void* FailingAllocator(std::size_t bytes) { return g_allowed-- > 0 ? std::malloc(bytes) : nullptr; }

TEST(TextUtils, OutOfMemoryInARegion) {
    // Every node and short text shares one block; a text longer than
    // TokenRegion::kLargest takes a block of its own.
    const std::string longToken(talvo::TokenRegion::kLargest + 1, 'x');
    const std::string longList = "a " + longToken;
    struct Case {
        int allowed;  // blocks the region may have
        const char* text;
        const char* message;
    } cases[] = {{0, "a b c d", "Out of memory: tokenize (1)"},
                 {1, "a b c d", ""},
                 {1, longList.c_str(), "Out of memory: tokenize (2)"},
                 {2, longList.c_str(), ""}};
    for (const Case& c : cases) {
        g_allowed = c.allowed;
        std::string message;
        talvo::TokenRegion region(FailingAllocator);
        try {
            const talvo::TokenNode* list = talvo::Tokenize(c.text, ' ', region);
            EXPECT_EQ(list->next->text, c.text == longList ? longToken : "b");
        } catch (const talvo::TokenizeOutOfMemory& error) {
            message = error.what();
        }
        EXPECT_EQ(message, c.message) << "after " << c.allowed << " blocks";
    }
    g_allowed = 0;
    talvo::TokenRegion region(FailingAllocator);
    EXPECT_EQ(talvo::NewTokenNode("x", region), nullptr);
}

}  // namespace
