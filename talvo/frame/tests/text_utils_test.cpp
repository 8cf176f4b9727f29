#include "text_utils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const talvo::TokenNode* node) {
    std::vector<std::string> texts;
    for (; node != nullptr; node = node->next) {
        texts.emplace_back(node->text);
    }
    return texts;
}

TEST(TextUtils, Tokenize) {
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        char separator;
        V tokens;
    } cases[] = {
        {"  a  b ", ' ', V{"a", "b"}},
        {"x@y@@z", '@', V{"x", "y", "z"}},
        {"   ", ' ', V{}},
        {"", ' ', V{}},
        {nullptr, ' ', V{}},
        {"one", ' ', V{"one"}},
        {"\xE0\xFF b", ' ', V{"\xE0\xFF", "b"}},
        {"a\xFF" "b", '\xFF', V{"a", "b"}},  // any separator value
    };
    for (const Case& c : cases) {
        const talvo::TokenList list(talvo::Tokenize(c.text, c.separator));
        EXPECT_EQ(Texts(list.get()), c.tokens) << (c.text ? c.text : "(null)");
    }
}

TEST(TextUtils, NewTokenNodeKeepsEveryByte) {
    for (const char* text : {"a b  c ", ""}) {
        const talvo::TokenList node(talvo::NewTokenNode(text));
        ASSERT_NE(node, nullptr);
        EXPECT_STREQ(node->text, text);
        EXPECT_EQ(node->next, nullptr);
    }
    talvo::FreeTokenList(nullptr);
}

TEST(TextUtils, GetToken) {
    struct Case {
        const char* text;
        char separator;
        std::int32_t n;
        const char* token;
    } cases[] = {
        {"  a  b ", ' ', 1, "a"},        {"  a  b ", ' ', 2, "b"},  {"  a  b ", ' ', 3, ""},
        {"  a  b ", ' ', 0, ""},         {"  a  b ", ' ', -1, ""},  {"pat tern", 4, 1, "pat tern"},
        {"pat tern", 4, 2, ""},          {"\4\4p\4\4e\4", 4, 2, "e"}, {nullptr, ' ', 1, ""},
        {"", ' ', 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(talvo::GetToken(c.text, c.separator, c.n), c.token)
            << (c.text ? c.text : "(null)") << " #" << c.n;
    }
}

TEST(TextUtils, GetTokenOfAVeryLongTextNeedsNoStack) {
    // A million tokens would need a million nested calls if each token passed
    // cost one level.
    std::string text;
    for (int i = 0; i < 1000000; ++i) {
        text += "ab ";
    }
    text += "last";
    EXPECT_EQ(talvo::GetToken(text.c_str(), ' ', 1000001), "last");
    EXPECT_EQ(talvo::GetToken(text.c_str(), ' ', 1000002), "");
    std::int32_t position = 4;
    std::int32_t count = 0;
    EXPECT_EQ(talvo::GetTokenFrom(text, ' ', 2, static_cast<std::int32_t>(text.size()), position, count), "ab");
    EXPECT_EQ(position, 9);
    EXPECT_EQ(count, 2);
}

TEST(TextUtils, IsIntegerText) {
    for (const char* yes : {"0", "42", "-7", "007", "-00", "99999999999999999999"}) {
        EXPECT_TRUE(talvo::IsIntegerText(yes)) << yes;
    }
    for (const char* no : {"", "-", "+5", " 5", "5 ", "5-", "1.5", "--1", "\xB9"}) {
        EXPECT_FALSE(talvo::IsIntegerText(no)) << no;
    }
    EXPECT_FALSE(talvo::IsIntegerText(nullptr));
}

TEST(TextUtils, StripNewline) {
    struct Case {
        std::string text;
        std::string stripped;
    } cases[] = {
        {"abc\n", "abc"}, {"\n", "\n"}, {"abc\r\n", "abc\r"}, {"abc", "abc"}, {"a\n\n", "a\n"}, {"", ""},
    };
    for (Case& c : cases) {
        char* const result = talvo::StripNewline(c.text.data());
        EXPECT_EQ(result, c.text.data());
        EXPECT_STREQ(result, c.stripped.c_str());
    }
    EXPECT_EQ(talvo::StripNewline(nullptr), nullptr);
}

// Lets the next `g_allowed` allocations succeed, then fails them all.
int g_allowed = 0;
void* FailingAllocator(std::size_t bytes) { return g_allowed-- > 0 ? std::malloc(bytes) : nullptr; }

TEST(TextUtils, TokenizeOutOfMemoryReleasesWhatItBuilt) {
    struct Case {
        int allowed;  // allocations before the failure: two per token
        const char* message;
    } cases[] = {
        {0, "Out of memory: tokenize (1)"},
        {1, "Out of memory: tokenize (2)"},
        {4, "Out of memory: tokenize (1)"},  // two tokens made, then the third node
        {5, "Out of memory: tokenize (2)"},
    };
    for (const Case& c : cases) {
        g_allowed = c.allowed;
        const auto previous = talvo::SetHeapAllocator(FailingAllocator);
        std::string message;
        try {
            talvo::FreeTokenList(talvo::Tokenize("a b c d", ' '));
        } catch (const talvo::TokenizeOutOfMemory& error) {
            message = error.what();
        }
        talvo::SetHeapAllocator(previous);
        EXPECT_EQ(message, c.message) << "after " << c.allowed << " allocations";
    }
    g_allowed = 1;
    const auto previous = talvo::SetHeapAllocator(FailingAllocator);
    EXPECT_EQ(talvo::NewTokenNode("x"), nullptr);
    talvo::SetHeapAllocator(previous);
}

}  // namespace
