#include "talvo/rules/rule_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_filter.h"
#include "testing/export_call.h"
#include "testing/filter_modes.h"

namespace {

// Fails exactly the allocation numbered g_failAt (counting from 0).
int g_allocations = 0;
int g_failAt = -1;
void* FailOnce(std::size_t bytes) { return g_allocations++ == g_failAt ? nullptr : std::malloc(bytes); }

// LoadRules' answer for a pass whose allocation numbered `failAt` fails.
std::int32_t LoadFailingAt(int failAt) {
    g_allocations = 0;
    g_failAt = failAt;
    return talvo::LoadRulesAnswer({nullptr, FailOnce});
}

using testkit::CallExport;

// Rule sets are made in the order 0..5, 7..15, one array each for a set
// whose file gives entries (empty sets share one that is never made). Records and
// token lists share blocks of the store's region, the first made with entry
// 1's record; a token text of more than TokenRegion::kLargest bytes gets a
// block of its own, which lets a test fail exactly that text. Only sets 3
// and 4 have files here.
TEST(RuleStore, RunningOutOfMemoryWhileLoading) {
    const std::string longWord(talvo::TokenRegion::kLargest + 44, 'w');
    struct Case {
        const char* name;
        int failAt;
        const char* set3;   // answer for "3 1 one"
        const char* set3b;  // answer for "3 2 two"
        const char* set4;   // answer for "4 1 <the long word>"
        const char* set13;  // answer for "13 1 x" (loaded after 3 and 4)
        std::int32_t entryCount;
    } cases[] = {
        {"set 3's array", 0, "var %match = -5", "var %match = -5", "var %match = 1", "var %match = 0", 1},
        {"entry 1's record", 1, "var %match = 0", "var %match = 0", "var %match = 1", "var %match = 0", 4},
        {"a long word of entry 3", 2, "var %match = 1", "var %match = 2", "var %match = -5", "var %match = -5", 3},
        {"entry 1's whole word", 4, "var %match = 1", "var %match = 2", "var %match = 0", "var %match = 0", 4},
    };
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*one*\n*two*\n*" + longWord + "*\n");
    folder.WriteRules("_file", longWord + "\n");
    for (const Case& c : cases) {
        EXPECT_EQ(LoadFailingAt(c.failAt), -6) << c.name << ": a pass that lost entries must not look complete";
        EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, c.entryCount) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "3 1 one"), c.set3) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "3 2 two"), c.set3b) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "4 1 " + longWord), c.set4) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "13 1 x"), c.set13) << c.name;
    }
    EXPECT_EQ(CallExport(LoadRules, ""), "var %match = 4");
    talvo::FreeRuleStore();
}

// Exception groups are split into words once, when each record is made, and
// every way of searching uses that split: also a set whose loading ran out of
// memory (at entry 2's long word here), which has no prepared form and is
// searched through its records.
TEST(RuleStore, ExceptionGroupsAreSplitAtLoadingForEveryWalk) {
    struct Case {
        const char* name;
        int loadFailsAt;  // -1: loading has all the memory it needs
        bool prepared;
    } cases[] = {
        {"prepared set", -1, true},
        {"set whose loading failed at entry 2's long word", 2, false},
    };
    const std::pair<const char*, std::int32_t> requests[] = {
        {"3 1 a", 1}, {"3 1 a b", 1}, {"3 1 a  b c", 0}, {"3 1 a d", 0}, {"3 1 A x D", 0}};
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*a*\4*b*  *c*@*d*\n*" + std::string(talvo::TokenRegion::kLargest, 'c') + "*\n");
    for (const Case& c : cases) {
        LoadFailingAt(c.loadFailsAt);
        const talvo::RuleSnapshot store = talvo::CurrentRuleStore();
        EXPECT_EQ(store->compiled[3] != nullptr, c.prepared) << c.name;
        const talvo::RuleGroup* group = store->sets[3][0]->exceptions;
        ASSERT_NE(group, nullptr) << c.name;
        EXPECT_STREQ(group->text, "*b*  *c*") << c.name;
        ASSERT_NE(group->words, nullptr) << c.name;
        EXPECT_STREQ(group->words->text, "*b*") << c.name;
        EXPECT_STREQ(group->words->next->text, "*c*") << c.name;
        for (const auto& [request, answer] : requests) {
            const testkit::ModeAnswers answers = testkit::FilterEveryWay(std::string_view(request));
            EXPECT_TRUE(answers.Agree()) << c.name << ", " << request << ": " << answers.Describe();
            EXPECT_EQ(answers.answers.front(), answer) << c.name << ", " << request;
        }
    }
    talvo::FreeRuleStore();
}

// A search holds the store it started with; reloads and unloads publish
// other stores and leave it whole until it lets it go.
TEST(RuleStore, AHeldStoreOutlivesReloadAndUnload) {
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*one*\n*two*\n");
    const talvo::RuleSnapshot held = talvo::LoadAllRuleFiles();
    folder.WriteRules("_cur", "*two*\n");
    EXPECT_EQ(CallExport(LoadRules, ""), "var %match = 1");
    EXPECT_EQ(CallExport(RuleFilter, "3 1 two"), "var %match = 1");
    EXPECT_EQ(UnloadDll(0), 1);
    EXPECT_EQ(CallExport(RuleFilter, "3 1 two"), "var %match = -5");
    EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, 0);
    ASSERT_EQ(held->entryCount, 2);
    EXPECT_TRUE(talvo::TestRule(held->sets[3][1], "two"));
    EXPECT_EQ(held->sets[3][2], nullptr);
}

}  // namespace
