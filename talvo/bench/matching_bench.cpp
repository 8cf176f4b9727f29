// Talvo_TestWildText against glibc fnmatch (FNM_CASEFOLD | FNM_NOESCAPE, in the
// C locale a program starts in) on the same texts and masks.

#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <string>
#include <vector>

#include "corpus.h"
#include "talvo/tools/tools.h"

namespace {

struct Work {
    std::vector<std::string> texts;
    std::vector<std::string> masks;
};

const Work& Corpus() {
    static const Work work = [] {
        Work w{talvo_bench::ChatLines(2000), talvo_bench::RuleWords()};
        for (std::string& address : talvo_bench::Addresses(500)) {
            w.texts.push_back(std::move(address));
        }
        return w;
    }();
    return work;
}

void BM_TestWildText_Corpus(benchmark::State& state) {
    const Work& work = Corpus();
    std::int64_t matches = 0;
    for (auto _ : state) {
        for (const std::string& mask : work.masks) {
            for (const std::string& text : work.texts) {
                matches += Tools::Talvo_TestWildText(text, mask);
            }
        }
    }
    benchmark::DoNotOptimize(matches);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(work.masks.size() * work.texts.size()));
}
BENCHMARK(BM_TestWildText_Corpus)->Unit(benchmark::kMillisecond);

void BM_Fnmatch_Corpus(benchmark::State& state) {
    const Work& work = Corpus();
    std::int64_t matches = 0;
    for (auto _ : state) {
        for (const std::string& mask : work.masks) {
            for (const std::string& text : work.texts) {
                matches += fnmatch(mask.c_str(), text.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0;
            }
        }
    }
    benchmark::DoNotOptimize(matches);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(work.masks.size() * work.texts.size()));
}
BENCHMARK(BM_Fnmatch_Corpus)->Unit(benchmark::kMillisecond);

// A mask that makes naive back-tracking matchers try every way of placing its
// stars; the time must grow no faster than text length times mask length.
constexpr char kBlowUpMask[] = "*a*a*a*a*a*a*a*a*b";

void BM_TestWildText_BlowUp(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), 'a');
    for (auto _ : state) {
        benchmark::DoNotOptimize(Tools::Talvo_TestWildText(text, kBlowUpMask));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TestWildText_BlowUp)->RangeMultiplier(10)->Range(10, 100000);

void BM_Fnmatch_BlowUp(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), 'a');
    for (auto _ : state) {
        benchmark::DoNotOptimize(fnmatch(kBlowUpMask, text.c_str(), FNM_CASEFOLD | FNM_NOESCAPE));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Fnmatch_BlowUp)->RangeMultiplier(10)->Range(10, 100000);

// The matcher's worst case: every place of the text holds both bytes the
// segment search looks for first, and the segment fails only in its middle.
// Time per call over text length times segment length must stay flat.
void BM_TestWildText_WorstSegment(benchmark::State& state) {
    const auto textLength = static_cast<std::size_t>(state.range(0));
    const auto half = static_cast<std::size_t>(state.range(1)) / 2;
    const std::string text(textLength, 'z');
    const std::string mask = "*" + std::string(half, 'z') + "e" + std::string(half, 'z') + "*";
    for (auto _ : state) {
        benchmark::DoNotOptimize(Tools::Talvo_TestWildText(text, mask));
    }
    state.SetComplexityN(state.range(0) * state.range(1));
}
BENCHMARK(BM_TestWildText_WorstSegment)
    ->ArgsProduct({{1000, 10000}, {4, 16, 64}})
    ->Complexity(benchmark::oN);

void BM_Fnmatch_WorstSegment(benchmark::State& state) {
    const auto half = static_cast<std::size_t>(state.range(1)) / 2;
    const std::string text(static_cast<std::size_t>(state.range(0)), 'z');
    const std::string mask = "*" + std::string(half, 'z') + "e" + std::string(half, 'z') + "*";
    for (auto _ : state) {
        benchmark::DoNotOptimize(fnmatch(mask.c_str(), text.c_str(), FNM_CASEFOLD | FNM_NOESCAPE));
    }
}
BENCHMARK(BM_Fnmatch_WorstSegment)->ArgsProduct({{1000, 10000}, {4, 16, 64}});

}  // namespace
