// Heap memory while LoadRules replaces the rule store. A reload builds the
// new store beside the published one, so for a moment both are alive; this
// measures how much that is: the store of a rule corpus, and the most the
// heap held above the empty library during the first load and during a
// reload. Every malloc of the process is counted: the program's own malloc
// and free stand in for the C library's (glibc) and keep a running total.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_files.h"
#include "testing/export_call.h"

extern "C" {
void* __libc_malloc(std::size_t bytes);
void* __libc_calloc(std::size_t count, std::size_t bytes);
void* __libc_realloc(void* block, std::size_t bytes);
void __libc_free(void* block);
}

namespace {

std::atomic<std::int64_t> g_live = 0;
std::atomic<std::int64_t> g_peak = 0;

void Count(void* block, std::int64_t sign) {
    if (block == nullptr) return;
    const std::int64_t live = g_live += sign * static_cast<std::int64_t>(malloc_usable_size(block));
    std::int64_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
}

}  // namespace

extern "C" {
void* malloc(std::size_t bytes) {
    void* block = __libc_malloc(bytes);
    Count(block, 1);
    return block;
}
void* calloc(std::size_t count, std::size_t bytes) {
    void* block = __libc_calloc(count, bytes);
    Count(block, 1);
    return block;
}
void* realloc(void* block, std::size_t bytes) {
    Count(block, -1);
    void* moved = __libc_realloc(block, bytes);
    Count(moved != nullptr ? moved : block, 1);
    return moved;
}
void free(void* block) {
    Count(block, -1);
    __libc_free(block);
}
}

namespace {

// Rules of chat-filter shape, 20 to 40 bytes a line, spread over the fifteen
// files with CR LF ends.
void WriteCorpus(const testkit::RuleFolder& folder, std::size_t lines) {
    std::mt19937 random(7);
    std::size_t written = 0;
    for (std::size_t file = 0; file < std::size(talvo::kRuleFiles); ++file) {
        std::string bytes;
        for (const std::size_t end = lines * (file + 1) / std::size(talvo::kRuleFiles); written < end; ++written) {
            const std::string word = "zq" + std::to_string(random() % 100000);
            switch (written % 3) {
                case 0:
                    bytes += "*free* *" + word + "*\r\n";
                    break;
                case 1:
                    bytes += "*c?eap*" + word + "*pills*\4*not*@*xyz*\r\n";
                    break;
                default:
                    bytes += "*http://*." + word + "/*\r\n";
                    break;
            }
        }
        folder.WriteRules(talvo::kRuleFiles[file].extension, bytes);
    }
}

double Megabytes(std::int64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void BM_ReloadMemory(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    testkit::RuleFolder folder;
    WriteCorpus(folder, lines);
    const std::string expected = testkit::AnswerFor(static_cast<std::int32_t>(lines));
    std::int64_t store = 0, firstPeak = 0, reloadPeak = 0;
    for (auto _ : state) {
        UnloadDll(2);
        const std::int64_t base = g_live;
        g_peak = base;
        const bool firstOk = testkit::CallExport(LoadRules, "") == expected;
        store = g_live - base;
        firstPeak = g_peak - base;
        g_peak = g_live.load();
        const bool reloadOk = testkit::CallExport(LoadRules, "") == expected;
        reloadPeak = g_peak - base;
        if (!firstOk || !reloadOk) {
            state.SkipWithError("LoadRules did not read the corpus");
            break;
        }
    }
    UnloadDll(2);
    state.counters["store_MiB"] = Megabytes(store);
    state.counters["first_load_peak_MiB"] = Megabytes(firstPeak);
    state.counters["reload_peak_MiB"] = Megabytes(reloadPeak);
    state.counters["reload_peak_per_store"] = static_cast<double>(reloadPeak) / static_cast<double>(store);
}
BENCHMARK(BM_ReloadMemory)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
