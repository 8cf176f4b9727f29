#include <gtest/gtest.h>

#include <string>

#include "talvo/frame/host.h"
#include "testing/export_call.h"
#include "talvo/rules/rule_store.h"

namespace {


// The hooks' state lives for the whole process, so the lifecycle is one story.
TEST(Lifecycle, LoadOnceRefuseIdleUnloadFreeOtherwise) {
    EXPECT_EQ(testkit::CallExport(RuleFilter, "3 1 hello"), "var %match = -5") << "no set before LoadDll";

    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*bye*\n*hell*\n");
    TalvoLoadInfo info{};
    info.mKeep = 1;
    LoadDll(&info);
    EXPECT_EQ(info.mKeep, 1) << "the load record is the host's";
    EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, 2);
    EXPECT_EQ(testkit::CallExport(RuleFilter, "3 1 hello"), "var %match = 2");

    folder.WriteRules("_cur", "*hell*\n*x*\n*y*\n");
    LoadDll(&info);
    EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, 2) << "a second LoadDll reads nothing";
    EXPECT_EQ(testkit::CallExport(RuleFilter, "3 1 hello"), "var %match = 2");

    EXPECT_EQ(UnloadDll(1), 0);
    EXPECT_EQ(testkit::CallExport(RuleFilter, "3 1 hello"), "var %match = 2") << "idle unload refused, rules kept";

    for (const int32_t reason : {0, 2, 3, -1}) {
        EXPECT_EQ(testkit::CallExport(LoadRules, ""), "var %match = 3");
        EXPECT_EQ(testkit::CallExport(RuleFilter, "3 1 hello"), "var %match = 1");
        EXPECT_EQ(UnloadDll(reason), 1) << "reason " << reason;
        EXPECT_EQ(talvo::CurrentRuleStore()->entryCount, 0);
        for (int set = 0; set < 16; ++set) {
            EXPECT_EQ(testkit::CallExport(RuleFilter, std::to_string(set) + " 1 hello"), "var %match = -5")
                << "set " << set << " after UnloadDll(" << reason << ")";
        }
    }
}

}  // namespace
