// Texts from 0 bytes up to the largest data buffer a host passes (mBytes of
// the load record, 10,240 bytes in current hosts) through the command
// exports, in buffers of exactly the host's size so that AddressSanitizer
// sees any access past them; and talvo-host's own handling of both sizes.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "talvo/frame/host.h"
#include "run_host.h"
#include "testing/export_call.h"

namespace {

constexpr std::size_t kLargestBuffer = 10240;
constexpr std::size_t kClassicBuffer = TALVO_CLASSIC_BUFFER_SIZE;
constexpr char kFiller = '\x7f';

using Export = decltype(&RuleFilter);

struct Answer {
    std::string text;     // up to the answer's NUL
    bool restUnchanged;   // the bytes after that NUL are as they were
    int code;
};

// Calls `command` with `text` in a heap buffer of exactly `size` bytes.
Answer CallExport(Export command, const std::string& text, std::size_t size) {
    const testkit::ExportCall call = testkit::CallExportFull(command, text, size, kFiller);
    Answer answer{call.Answer(), true, call.code};
    for (std::size_t i = answer.text.size() + 1; i < size; ++i) {
        const char before = i < text.size() ? text[i] : i == text.size() ? '\0' : kFiller;
        answer.restUnchanged &= call.data[i] == before;
    }
    return answer;
}

std::string Padded(std::string head, std::size_t length, char fill) {
    head.resize(length, fill);
    return head;
}

class HostBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder.WriteRules("_spm", "*x\n");
        ASSERT_EQ(CallExport(LoadRules, "", kClassicBuffer).text, "var %match = 1");
    }
    void TearDown() override { UnloadDll(2); }

    testkit::RuleFolder m_folder;
};

TEST_F(HostBufferTest, EveryLengthUpToTheLargestBuffer) {
    struct Case {
        const char* what;
        Export command;
        std::string head;  // the text is this, filled up with `fill` to the length
        char fill;
        const char* expected;  // for texts longer than the head
    } cases[] = {
        {"RuleFilter", RuleFilter, "13 1 ", 'x', "var %match = 1"},
        {"RuleFilter without a number", RuleFilter, "", ' ', "var %match = -1"},
        {"Magic", Magic, "bxkqwz!zxvq@", 'h', "var %match = 1"},
        {"Magic with blanks only", Magic, "", ' ', "var %match = 0"},
        {"LoadRules", LoadRules, "", 'L', "var %match = 1"},
    };
    const std::size_t lengths[] = {0, 1, 24, 25, 26, 899, 900, 901, 4096, kLargestBuffer - 1};
    for (const Case& c : cases) {
        for (std::size_t length : lengths) {
            const std::string text = Padded(c.head, length, c.fill).substr(0, length);
            for (std::size_t size : {kClassicBuffer, kLargestBuffer}) {
                if (text.size() + 1 > size) {
                    continue;  // no host passes a text that its buffer cannot hold
                }
                const Answer answer = CallExport(c.command, text, size);
                SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(length) + " bytes in a buffer of " +
                             std::to_string(size));
                EXPECT_EQ(answer.code, 2);
                EXPECT_TRUE(answer.restUnchanged);
                EXPECT_EQ(answer.text.rfind("var %match = ", 0), 0u) << answer.text;
                EXPECT_LE(answer.text.size() + 1, 25u);
                if (length > c.head.size()) {
                    EXPECT_EQ(answer.text, c.expected);
                }
            }
        }
    }
}

TEST_F(HostBufferTest, TalvoHostPassesWhatFitsItsBufferAndRefusesTheRest) {
    const std::string fitsClassic = Padded("13 1 ", kClassicBuffer - 1, 'x');
    const std::string fitsLargest = Padded("13 1 ", kLargestBuffer - 1, 'x');
    struct Case {
        const char* what;
        std::string arguments;
        std::string calls;
        std::string output;  // expected exactly, or as a part when `part`
        bool part;
        int status;
    } cases[] = {
        {"empty text, classic buffer", "", "Magic \nRuleFilter \n", "var %match = 0\nvar %match = -1\n", false, 0},
        {"899 bytes fit the classic buffer", "", "RuleFilter " + fitsClassic + "\n", "var %match = 1\n", false, 0},
        {"900 bytes do not", "", "RuleFilter " + fitsClassic + "x\n", "does not fit the 900-byte data buffer", true,
         2},
        {"10,239 bytes fit the largest buffer", "--buffer-size 10240",
         "RuleFilter " + fitsLargest + "\nMagic bxkqwz!zxvq@" + std::string(10227, 'h') + "\n",
         "var %match = 1\nvar %match = 1\n", false, 0},
        {"10,240 bytes do not", "--buffer-size 10240", "RuleFilter " + fitsLargest + "x\n",
         "does not fit the 10240-byte data buffer", true, 2},
        {"a refused call does not stop the next", "--buffer-size 10240",
         "Magic " + fitsLargest + "x\nRuleFilter 13 1 x\n", "var %match = 1\n", true, 2},
    };
    for (const Case& c : cases) {
        const HostRun run = RunHostOnLibrary(c.arguments, c.calls);
        if (c.part) {
            EXPECT_NE(run.output.find(c.output), std::string::npos) << c.what << ": " << run.output;
        } else {
            EXPECT_EQ(run.output, c.output) << c.what;
        }
        EXPECT_EQ(run.status, c.status) << c.what;
    }
}

}  // namespace
