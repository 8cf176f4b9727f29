#pragma once

// The rule store: sixteen numbered rule sets read from the rule files, the
// only state of the library that lives from one host call to the next.
//
// A set is a heap array of n + 1 record pointers for the n line pieces of its
// rule file, in file order, ending in null; every empty set shares one array
// holding the null alone, which no store frees. A record that could not be made
// is null too and ends the set there. A store owns its arrays, its records
// and their token lists and releases them when it goes. The records and
// lists sit in the store's region, which gives them back all at once.
//
// The host may call the exports from several threads at once (a script runs
// LoadRules on a thread of its own while messages are filtered), so a store
// is never changed once others can see it. A loading pass builds a store of
// its own, off to the side, and publishes it in one step; a search takes the
// published store once and answers from it alone. Stores are held through
// shared ownership: one that a reload or an unload replaced lives on until
// the last search that took it is done.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "talvo/frame/text_utils.h"
#include "talvo/rules/compiled_set.h"

namespace talvo {

// One exception group of a record, split into its words when the record was
// made, so that no search splits it again.
struct RuleGroup {
    const char* text;  // the group as written, blanks inside
    TokenNode* words;  // its words, split at blanks; null for blanks only
    RuleGroup* next;   // the following group, or null
};

// A record and everything it points to live in one region, whoever made it:
// the store's, or the region of whoever makes records one at a time (the rule
// checker).
struct RuleRecord {
    TokenNode* words;       // wildcard words, all of which a text must match
    RuleGroup* exceptions;  // exception groups, in the order written
    // The rule holds characters that code page 1251 lacks: its words and
    // groups are UTF-8 and are matched character by character. Every other
    // rule is code page 1251 bytes.
    bool wide;
};

using RuleSet = RuleRecord**;

inline constexpr std::int32_t kRuleSetSlots = 16;

// What one loading pass read. Filled only by the pass that made it, before it
// is published; read-only from then on.
struct RuleStore {
    RuleSet sets[kRuleSetSlots] = {};
    std::int32_t entryCount = 0;  // pieces read in this pass, all sets
    // Set when the pass lost entries for want of memory (a set array, a record
    // or a token list could not be made). LoadRules then answers the failure
    // instead of a count that looks complete.
    bool incomplete = false;
    // Each set prepared for searching (compiled_set.h), made when the set was
    // loaded; null where preparing ran out of memory or the set was not fully
    // read, and then the search walks the records.
    std::array<std::unique_ptr<const CompiledSet>, kRuleSetSlots> compiled;
    // Where the set arrays come from, and the region's blocks.
    HeapAllocator allocator = nullptr;
    // Where the records and their token lists are made.
    TokenRegion region;

    explicit RuleStore(HeapAllocator heap = nullptr) noexcept : allocator(heap), region(heap) {}
    // Frees every set, and the region with the records and token lists.
    ~RuleStore();
    RuleStore(const RuleStore&) = delete;
    RuleStore& operator=(const RuleStore&) = delete;
};

// A published store, shared by everyone who took it.
using RuleSnapshot = std::shared_ptr<const RuleStore>;

// The store published last. Never null: before the first pass and after
// FreeRuleStore it is an empty store (every slot null, entryCount 0). Waits
// at most for another thread's publication, never for a loading pass.
RuleSnapshot CurrentRuleStore() noexcept;

// Makes `store` the published store in one step (null publishes the empty
// store). Whoever holds the store it replaces keeps it; that store is freed
// when its last holder lets it go, by that holder, outside any lock.
void PublishRuleStore(RuleSnapshot store) noexcept;

// Publishes the empty store: every slot null, entryCount 0.
void FreeRuleStore() noexcept;

enum class RuleKind;  // rule_files.h

// Where ReadRuleFile takes a file's bytes from. A source points `bytes` at
// the whole content (which it keeps until its next call) and answers true, or
// answers false for a file that is missing or cannot be read. Null stands for
// the file system.
using RuleFileSource = bool (*)(const char* path, std::string_view* bytes);

// Where a loading pass takes its files and its memory from: by default the
// file system and malloc. Harnesses pass their own, to feed files from
// memory or to make memory run out.
struct RuleLoading {
    RuleFileSource source = nullptr;
    HeapAllocator allocator = nullptr;
};

// Fills the slot `set` (0..15) of `store`, a store not yet published, from
// the file at `path` (read through `source`), reading each piece as a rule of
// `kind`, adds the number of pieces read to its entryCount, and prepares the
// set for searching. Throws TokenizeOutOfMemory when splitting a field runs
// out of memory; the record being filled is dropped, what was made until
// then stays in `store`, and the set has no prepared form.
void LoadRuleSet(RuleStore& store, const char* path, std::int32_t set, RuleKind kind,
                 RuleFileSource source = nullptr);

// Reads the fifteen rule files into a new store made with
// `loading.allocator`, publishes it and answers it. The published store is
// left alone while the files are read. When splitting a field runs out of
// memory (TokenizeOutOfMemory, also std::bad_alloc) the store as read until
// then is published, marked incomplete, and the error is thrown on. Only when
// the new store itself cannot be made is nothing published (std::bad_alloc).
RuleSnapshot LoadAllRuleFiles(const RuleLoading& loading = {});

// The answer of LoadRules: a loading pass as LoadAllRuleFiles makes it, then
// the entryCount of its own store, or -6 when the pass ran out of memory.
std::int32_t LoadRulesAnswer(const RuleLoading& loading = {}) noexcept;

}  // namespace talvo
