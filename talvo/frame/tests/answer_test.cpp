#include "answer.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <stdexcept>
#include <string>

namespace {

// The buffer as a host hands it over: the call's text, its NUL, then bytes of
// earlier calls that must survive.
std::string HostBuffer(const std::string& text) {
    std::string buffer(900, 'Q');
    buffer.replace(0, text.size() + 1, text + '\0');
    return buffer;
}

void ExpectAnswer(const std::string& buffer, const std::string& before, const std::string& answer) {
    ASSERT_EQ(buffer.substr(0, answer.size() + 1), answer + '\0');
    EXPECT_EQ(buffer.substr(answer.size() + 1), before.substr(answer.size() + 1))
        << "bytes after the answer's NUL changed";
}

TEST(Answer, WritesOnlyTheAnswerAndItsNul) {
    struct Case {
        std::int32_t value;
        const char* answer;
    } cases[] = {
        {-1, "var %match = -1"},
        {0, "var %match = 0"},
        {4, "var %match = 4"},
        {INT32_MIN, "var %match = -2147483648"},  // the longest: 24 bytes and the NUL
    };
    for (const Case& c : cases) {
        const std::string before = HostBuffer(std::string(100, 'x'));
        std::string buffer = before;
        EXPECT_EQ(talvo::WriteAnswer(buffer.data(), c.value), 2);
        ExpectAnswer(buffer, before, c.answer);
        EXPECT_EQ(talvo::AnswerText(c.value), c.answer);
    }
}

TEST(Answer, GuardTurnsEveryExceptionIntoTheFailureAnswer) {
    struct Case {
        const char* name;
        void (*raise)();
    } cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }},
        {"out_of_range", [] { throw std::out_of_range("x"); }},
        {"not a std::exception", [] { throw 17; }},
    };
    for (const Case& c : cases) {
        const std::string before = HostBuffer("13 1 some text");
        std::string buffer = before;
        const auto code = talvo::GuardedCommand(buffer.data(), [&]() -> std::int32_t {
            c.raise();
            return 1;
        });
        EXPECT_EQ(code, 2) << c.name;
        ExpectAnswer(buffer, before, "var %match = -6");
    }
    std::string buffer = HostBuffer("");
    EXPECT_EQ(talvo::GuardedCommand(buffer.data(), [] { return 7; }), 2);
    EXPECT_STREQ(buffer.c_str(), "var %match = 7");
    EXPECT_EQ(talvo::GuardedCommand(nullptr, [] { return 7; }), 2);
}

}  // namespace
