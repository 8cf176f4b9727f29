#include "talvo/rules/rule_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_filter.h"
#include "testing/export_call.h"

namespace {

// Fails exactly the allocation numbered g_failAt (counting from 0).
int g_allocations = 0;
int g_failAt = -1;
void* FailOnce(std::size_t bytes) { return g_allocations++ == g_failAt ? nullptr : std::malloc(bytes); }

class FailingHeap {
public:
    explicit FailingHeap(int failAt) : m_previous(talvo::SetHeapAllocator(FailOnce)) {
        g_allocations = 0;
        g_failAt = failAt;
    }
    ~FailingHeap() { talvo::SetHeapAllocator(m_previous); }

private:
    talvo::HeapAllocator m_previous;
};

using testkit::CallExport;

// Rule sets are made in the order 0..5, 7..15, one array each. Records and
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
        {"set 3's array", 3, "var %match = -5", "var %match = -5", "var %match = 1", "var %match = 0", 1},
        {"entry 1's record", 4, "var %match = 0", "var %match = 0", "var %match = 1", "var %match = 0", 4},
        {"a long word of entry 3", 5, "var %match = 1", "var %match = 2", "var %match = -5", "var %match = -5", 3},
        {"entry 1's whole word", 7, "var %match = 1", "var %match = 2", "var %match = 0", "var %match = 0", 4},
    };
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*one*\n*two*\n*" + longWord + "*\n");
    folder.WriteRules("_file", longWord + "\n");
    for (const Case& c : cases) {
        std::string answer;
        {
            FailingHeap heap(c.failAt);
            answer = CallExport(LoadRules, "");
        }
        EXPECT_EQ(answer, "var %match = -6") << c.name << ": a pass that lost entries must not look complete";
        EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, c.entryCount) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "3 1 one"), c.set3) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "3 2 two"), c.set3b) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "4 1 " + longWord), c.set4) << c.name;
        EXPECT_EQ(CallExport(RuleFilter, "13 1 x"), c.set13) << c.name;
    }
    EXPECT_EQ(CallExport(LoadRules, ""), "var %match = 4");
    talvo::FreeRuleStore();
}

// Exception groups are split once, when the set is compiled at loading, so a
// search needs no heap. Only a set that could not be compiled (its loading
// ran out of memory at entry 2 here) splits them while searching, and answers
// the failure when that runs out.
TEST(RuleStore, RunningOutOfMemoryWhileSplittingAnExceptionGroup) {
    struct Case {
        const char* name;
        int loadFailsAt;  // -1: loading has all the memory it needs
        const char* answer;
    } cases[] = {
        {"compiled set", -1, "var %match = 1"},
        {"set whose loading failed at entry 2's long word", 5, "var %match = -6"},
    };
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*a*\4*b*\n*" + std::string(talvo::TokenRegion::kLargest, 'c') + "*\n");
    for (const Case& c : cases) {
        {
            FailingHeap heap(c.loadFailsAt);
            CallExport(LoadRules, "");
        }
        {
            FailingHeap heap(0);
            EXPECT_EQ(CallExport(RuleFilter, "3 1 a"), c.answer) << c.name;
        }
        EXPECT_EQ(CallExport(RuleFilter, "3 1 a"), "var %match = 1") << c.name;
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
