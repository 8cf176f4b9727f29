#include "talvo/frame/answer.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <stdexcept>
#include <string>

namespace {

// Runs `command` on a host buffer holding a long text and bytes of earlier
// calls, checks that only the answer and its NUL were written, answers the text.
template <typename Command>
std::string Answered(Command command) {
    std::string before(900, 'Q');
    before.replace(0, 101, std::string(100, 'x') + '\0');
    std::string buffer = before;
    EXPECT_EQ(command(buffer.data()), 2);
    const std::size_t end = buffer.find('\0') + 1;
    EXPECT_EQ(buffer.substr(end), before.substr(end)) << "bytes after the answer's NUL changed";
    return buffer.c_str();
}

TEST(Answer, NumbersAndFailures) {
    struct Case {
        std::int32_t value;
        const char* answer;
    } values[] = {{-1, "var %match = -1"}, {0, "var %match = 0"}, {4, "var %match = 4"},
                  {INT32_MIN, "var %match = -2147483648"}, {INT32_MAX, "var %match = 2147483647"}};
    for (const Case& c : values) {
        EXPECT_EQ(Answered([&](char* data) { return talvo::WriteAnswer(data, c.value); }), c.answer);
        EXPECT_EQ(talvo::AnswerText(c.value), c.answer);
    }
    void (*const raisers[])() = {[] { throw std::bad_alloc(); }, [] { throw std::out_of_range("x"); },
                                 [] { throw 17; }};
    for (const auto raise : raisers) {
        EXPECT_EQ(Answered([&](char* data) {
                      return talvo::GuardedCommand(data, [&]() -> std::int32_t {
                          raise();
                          return 1;
                      });
                  }),
                  "var %match = -6");
    }
    EXPECT_EQ(talvo::GuardedCommand(nullptr, [] { return 7; }), 2);
}

}  // namespace
