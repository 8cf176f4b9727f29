#include "talvo/rules/rule_store.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "talvo/frame/answer.h"
#include "talvo/frame/text_utils.h"
#include "talvo/rules/rule_files.h"

namespace talvo {
namespace {

// The lock guards the pointer only: it is held for one shared_ptr copy or
// swap, never while files are read or a store is freed. A mutex rather than
// std::atomic<std::shared_ptr>: that one is not lock-free either in this
// standard library (it spins on a bit of the pointer), and a plain mutex is
// what every toolchain of the library and ThreadSanitizer know alike.
struct Publication {
    std::mutex lock;
    RuleSnapshot store;  // null stands for the empty store
};

// Constant-initialised, so it is there before any other static code could
// call in; it gives the last store back at process exit, so an unload that
// skipped UnloadDll leaves no rule memory behind.
Publication g_publication;

const RuleSnapshot& EmptyStore() noexcept {
    static const RuleStore empty;
    // Aliasing an empty owner: a pointer with no count to keep.
    static const RuleSnapshot snapshot(RuleSnapshot(), &empty);
    return snapshot;
}


// The one array of every empty set: its terminator alone. Never written, and
// never freed.
RuleRecord* g_noRecords[1] = {nullptr};

// Takes back the record at `index`, which ends the set there. Its memory
// stays in the store's region until the store goes.
void DropRecord(RuleSet set, std::size_t index, RuleStore& store) noexcept {
    store.incomplete = true;
    set[index] = nullptr;
}


}  // namespace

void LoadRuleSet(RuleStore& store, const char* path, std::int32_t setNumber, RuleKind kind, RuleFileSource source) {
    RulePieces pieces;
    RuleFileReading reading;
    ReadRuleFile(path, &pieces, &reading, source);
    const std::size_t count = pieces.size();
    if (count == 0) {
        store.sets[setNumber] = g_noRecords;
        return;
    }
    if (count >= SIZE_MAX / sizeof(RuleRecord*) - 1) {
        store.incomplete = true;
        return;
    }
    const std::size_t bytes = (count + 1) * sizeof(RuleRecord*);
    auto* set = static_cast<RuleSet>(HeapAllocate(bytes, store.allocator));
    if (set == nullptr) {
        store.incomplete = true;
        return;
    }
    std::memset(set, 0, bytes);
    store.sets[setNumber] = set;
    SetCompiler compiler(set, count);
    // Once one record is missing the set ends there; records made after it
    // could never be reached, not even to be freed, so none are made.
    bool setEnded = false;
    for (std::size_t i = 0; i < count; ++i) {
        ++store.entryCount;
        if (setEnded) {
            continue;
        }
        auto* record = static_cast<RuleRecord*>(store.region.Allocate(sizeof(RuleRecord), alignof(RuleRecord)));
        if (record == nullptr) {
            store.incomplete = true;
            setEnded = true;
            continue;
        }
        record->words = nullptr;
        record->exceptions = nullptr;
        record->wide = false;
        set[i] = record;
        bool made = false;
        try {
            made = FillRuleRecord(record, kind, pieces[i], reading.encoding, store.region);
        } catch (...) {
            // A half-filled record would catch more than its rule says.
            DropRecord(set, i, store);
            throw;
        }
        if (!made) {
            DropRecord(set, i, store);
            setEnded = true;
            continue;
        }
        compiler.Add();
    }
    store.compiled[setNumber] = compiler.Finish();
}


RuleStore::~RuleStore() {
    // The prepared sets point into the records, so they go first.
    for (auto& set : compiled) {
        set.reset();
    }
    for (RuleSet set : sets) {
        if (set != g_noRecords) {
            std::free(set);
        }
    }
    // The region goes after this, with every record and list.
}

RuleSnapshot CurrentRuleStore() noexcept {
    RuleSnapshot store;
    {
        const std::lock_guard guard(g_publication.lock);
        store = g_publication.store;
    }
    return store ? store : EmptyStore();
}

void PublishRuleStore(RuleSnapshot store) noexcept {
    {
        const std::lock_guard guard(g_publication.lock);
        g_publication.store.swap(store);
    }
    // `store` now holds the replaced one; when this was its last holder, it
    // is freed here, after the lock is given back.
}

void FreeRuleStore() noexcept { PublishRuleStore(nullptr); }

RuleSnapshot LoadAllRuleFiles(const RuleLoading& loading) {
    // Made once: a pass then asks for no memory for the fifteen paths.
    static const std::array<std::string, std::size(kRuleFiles)> kPaths = [] {
        std::array<std::string, std::size(kRuleFiles)> paths;
        for (std::size_t row = 0; row < paths.size(); ++row) {
            paths[row] = RuleFilePath(kRuleFiles[row].extension);
        }
        return paths;
    }();
    auto store = std::make_shared<RuleStore>(loading.allocator);
    try {
        for (std::size_t row = 0; row < kPaths.size(); ++row) {
            LoadRuleSet(*store, kPaths[row].c_str(), kRuleFiles[row].set, kRuleFiles[row].kind, loading.source);
        }
    } catch (...) {
        // What was read until then is what the pass leaves loaded.
        store->incomplete = true;
        PublishRuleStore(store);
        throw;
    }
    PublishRuleStore(store);
    return store;
}

std::int32_t LoadRulesAnswer(const RuleLoading& loading) noexcept {
    try {
        // The count of this pass's own store, even when another pass has
        // published after it.
        const RuleSnapshot store = LoadAllRuleFiles(loading);
        return store->incomplete ? kInternalFailureAnswer : store->entryCount;
    } catch (...) {
        return kInternalFailureAnswer;
    }
}

}  // namespace talvo
