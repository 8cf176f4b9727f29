// RuleFilter over a large set where no entry matches, and LoadRules over rule
// files of 100,000 lines in all. Rule files go into a fresh temporary folder.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "corpus.h"
#include "talvo/frame/host.h"
#include "testing/export_call.h"

namespace {

// Writes the lines to Talvo/Rules/Talvo.<extension> with CR LF ends, as
// Windows editors save them; answers the bytes written.
std::size_t WriteLines(const testkit::RuleFolder& folder, const std::string& extension,
                       const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    folder.WriteRules(extension, bytes);
    return bytes.size();
}

using testkit::CallExport;

// Spam-filter words that a chat line does not hold: every entry is tested and
// fails, the worst case of a search.
std::vector<std::string> NonMatchingRules(std::size_t count) {
    std::vector<std::string> rules;
    std::mt19937 random(7);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string word = "zq" + std::to_string(random() % 100000);
        switch (i % 4) {
            case 0: rules.push_back("*" + word + "*"); break;
            case 1: rules.push_back("*free* *" + word + "*"); break;
            case 2: rules.push_back("*c?eap*" + word + "*pills*\4*not*@*xyz*"); break;
            default: rules.push_back("*http://*." + word + "/*"); break;
        }
    }
    return rules;
}

void BM_RuleFilter_10000_NoMatch(benchmark::State& state) {
    testkit::RuleFolder folder;
    WriteLines(folder, "_spm", NonMatchingRules(10000));
    CallExport(LoadRules, "");
    const std::vector<std::string> lines = talvo_bench::ChatLines(64, 3);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string answer = CallExport(RuleFilter, "13 1 " + lines[next++ % lines.size()]);
        if (answer != "var %match = 0") {
            state.SkipWithError(("unexpected answer " + answer).c_str());
            break;
        }
    }
    CallExport(LoadRules, "");  // the folder is gone after this: the store empties
}
BENCHMARK(BM_RuleFilter_10000_NoMatch)->Unit(benchmark::kMicrosecond);

void BM_LoadRules_100000Lines(benchmark::State& state) {
    testkit::RuleFolder folder;
    // 100,000 lines over the fifteen files, all three kinds, chat-sized.
    std::size_t bytes = 0;
    const char* const extensions[] = {"_alt", "_avo", "_chn", "_cur", "_file", "_frd", "_name", "_nck",
                                      "_prv", "_qp",  "_rep", "_rsp", "_spm", "_sus",  "_vfi"};
    const std::vector<std::string> rules = NonMatchingRules(100000);
    std::size_t from = 0;
    for (std::size_t i = 0; i < std::size(extensions); ++i) {
        const std::size_t to = rules.size() * (i + 1) / std::size(extensions);
        bytes += WriteLines(folder, extensions[i], std::vector<std::string>(rules.begin() + from, rules.begin() + to));
        from = to;
    }
    for (auto _ : state) {
        const std::string answer = CallExport(LoadRules, "");
        if (answer != "var %match = 100000") {
            state.SkipWithError(("unexpected answer " + answer).c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    UnloadDll(2);
}
BENCHMARK(BM_LoadRules_100000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
