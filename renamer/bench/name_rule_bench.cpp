#include <benchmark/benchmark.h>

#include "name_corpus.h"
#include "name_rule.h"

namespace {

void TransformCorpus(benchmark::State& state, nomvary::RenameOptions options) {
    const std::vector<std::string> names = nomvary::bench::NameCorpus(4096);
    std::size_t bytes = 0;
    for (const std::string& name : names) bytes += name.size();
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(nomvary::TransformName(name, options));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK_CAPTURE(TransformCorpus, blanks_only, nomvary::RenameOptions{});
BENCHMARK_CAPTURE(TransformCorpus, capitalize,
                  nomvary::RenameOptions{nomvary::BlankConversion::underscoreToBlank, true, false, false, false});
BENCHMARK_CAPTURE(TransformCorpus, every_option,
                  nomvary::RenameOptions{nomvary::BlankConversion::blankToUnderscore, true, true, true, true});

}  // namespace
