#include "talvo/rules/rule_store.h"

#include "talvo/rules/rule_files.h"

namespace talvo {
namespace {

// Gives the store back at process exit too, so an unload that skipped
// UnloadDll leaves no rule memory behind.
struct StoreOwner {
    RuleStore store{};
    ~StoreOwner() { FreeRuleStore(); }
};

StoreOwner g_owner;

}  // namespace

RuleStore& TheRuleStore() { return g_owner.store; }

void FreeRuleStore() noexcept {
    RuleStore& store = g_owner.store;
    for (RuleSet& set : store.sets) {
        if (set == nullptr) {
            continue;
        }
        for (RuleRecord** entry = set; *entry != nullptr; ++entry) {
            FreeTokenList((*entry)->words);
            FreeTokenList((*entry)->exceptions);
            HeapFree(*entry);
        }
        HeapFree(set);
        set = nullptr;
    }
    store.entryCount = 0;
    store.incomplete = false;
}

void LoadAllRuleFiles() {
    FreeRuleStore();
    for (const RuleFileRow& row : kRuleFiles) {
        const std::string path = RuleFilePath(row.extension);
        LoadRuleSet(path.c_str(), row.set, row.kind);
    }
}

}  // namespace talvo
