#include "talvo/rules/rule_filter.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/export_call.h"

namespace {

class RuleFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder.WriteRules("_cur", "*bye*\n*hell*\n");                                // 3
        m_folder.WriteRules("_avo", "bob\n");                                          // 1
        m_folder.WriteRules("_prv", "hello\nhello*\n");                                // 9
        m_folder.WriteRules("_qp", "HELLO\n");                                         // 10
        m_folder.WriteRules("_rsp", "a\n\nb\n");                                       // 12
        m_folder.WriteRules("_spm", "*free* *offer*\4*not* *free*@*xyz*\n");          // 13
        m_folder.WriteRules("_sus", "*a*\4   @*zzz*\n");                               // 14
        m_folder.WriteRules("_vfi", "  \4*spam*\n\4\4\4\n");                           // 15
        m_folder.WriteRules("_file", "\4\4\n");                                        // 4
        talvo::LoadAllRuleFiles();
    }
    void TearDown() override { talvo::FreeRuleStore(); }

    testkit::RuleFolder m_folder;
};

TEST_F(RuleFilterTest, Answers) {
    struct Case {
        const char* request;
        std::int32_t answer;
    } cases[] = {
        {"3 1 hello", 2}, {"3 3 hello", 0}, {"3 2 hello", 2},
        {"3 1 goodbye", 1},
        {"2 1 hello", 0},  // a set without a file is empty
        {"3 1", -4}, {"3", -3}, {"x 1 hello", -1},
        {"3 x hello", -3}, {"16 1 hello", -2}, {"-1 1 hello", -2},
        {"6 1 hello", -5}, {"- 1 hello", -1}, {"3 - hello", -3},
        {"6 1", -4}, {"", -1}, {"   ", -1},
        {"3 1    ", -4}, {"  3   1   hello", 2}, {"003 001 hello", 2},
        {"-0 1 hello", 0}, {"+3 1 hello", -1},
        // start numbers outside 1..n+1
        {"3 0 hello", 2}, {"3 -5 hello", 2}, {"3 4 hello", 0},
        {"3 2147483647 hello", 0}, {"3 99999999999999999999 hello", 0}, {"3 -99999999999999999999 hello", 2},
        {"99999999999999999999 1 hello", -2}, {"-99999999999999999999 1 hello", -2},
        {"4294967299 1 hello", -2},  // would be 3 if cut to 32 bits
        // blanks belong to the text; case never matters
        {"9 1 hello", 1}, {"9 1 hello ", 2}, {"10 1 hello", 1},
        {"13 1 a free offer", 1}, {"13 1 an offer, free", 1}, {"13 1 not a free offer", 0},
        {"13 1 a free deal", 0}, {"13 1 FREE OFFER XYZ", 0},
        {"14 1 a", 0},  // a group of blanks only never lets the entry catch
        {"15 1 ham", 1}, {"15 1 more spam", 2}, {"1 1 Bob!x", 1},
        {"1 1 bobby!x", 0},
        {"12 1 \n", 2},  // the blank line's entry holds a line feed
        {"12 1 b", 3},
        {"4 1 anything", 0},  // an empty whole pattern matches nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(talvo::FilterText(c.request), c.answer) << '"' << c.request << '"';
    }
}

TEST(TestRule, NullRecordIsFalse) { EXPECT_FALSE(talvo::TestRule(nullptr, "x")); }

}  // namespace
