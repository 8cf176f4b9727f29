// RuleFilter side by side with Hyperscan, the multi-pattern engine taken as
// the peer to beat, in one process on the same rules and lines; glibc's
// fnmatch walk over the entries in order as the plain reference.
//
// Rule words of random letters, case mixed: "*abcdef*", "*ab?def*ghij*" and
// "abc*" in turn; the hostile set: every piece short and common
// ("*ab*c?d*?e*f*"). Chat lines of random words, 20 to 400 bytes; in the
// wide cases each line ends in an emoji or a CJK character (UTF-8, so
// RuleFilter matches it character by character).
//
// Hyperscan: block mode, every word compiled as an anchored regular
// expression ('*' as ".*", '?' as "."), caseless, dot-all, one match per
// pattern; the lowest matching id is the first entry. Every engine's answers
// are checked against the fnmatch walk before it is timed.
//
//   Line/<case>/<engine>   a line's search; case 0: 10,000 entries, 1: 100,000
//                          entries, 2: 10,000 entries with lines ending in an
//                          emoji, 3: the same ending in a CJK character, 4:
//                          10,000 hostile entries; engine 0: Talvo, 1:
//                          Hyperscan, 2: the fnmatch walk (case 4 only)
//   LoadRules/100000       LoadRules over 100,000 random-letter entries
//   Prepare/<entries>      Hyperscan's compile and Talvo's LoadRules of the
//                          same entries, and what each keeps in memory

#include <benchmark/benchmark.h>
#include <fnmatch.h>
#include <hs/hs.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "talvo/frame/host.h"
#include "testing/export_call.h"

namespace {

constexpr std::size_t kLines = 256;

std::string RandomLetters(std::mt19937& random, std::size_t count, bool mixedCase) {
    std::string word;
    for (std::size_t i = 0; i < count; ++i) {
        const char letter = static_cast<char>('a' + random() % 26);
        word += mixedCase && random() % 2 ? static_cast<char>(letter - 32) : letter;
    }
    return word;
}

std::vector<std::string> LetterRules(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::string> rules;
    for (std::size_t i = 0; i < count; ++i) {
        switch (i % 3) {
            case 0: rules.push_back("*" + RandomLetters(random, 6, true) + "*"); break;
            case 1:
                rules.push_back("*" + RandomLetters(random, 2, true) + "?" + RandomLetters(random, 3, true) + "*" +
                                RandomLetters(random, 4, true) + "*");
                break;
            default: rules.push_back(RandomLetters(random, 3, true) + "*"); break;
        }
    }
    return rules;
}

std::vector<std::string> HostileRules(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::string> rules;
    for (std::size_t i = 0; i < count; ++i) {
        const auto l = [&](std::size_t n) { return RandomLetters(random, n, true); };
        rules.push_back("*" + l(2) + "*" + l(1) + "?" + l(1) + "*?" + l(1) + "*" + l(1) + "*");
    }
    return rules;
}

std::vector<std::string> Lines(std::uint32_t seed, const std::string& ending) {
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < kLines; ++i) {
        const std::size_t length = 20 + random() % 381;
        std::string line;
        while (line.size() < length) {
            line += line.empty() ? "" : " ";
            line += RandomLetters(random, 1 + random() % 8, random() % 8 == 0);
        }
        line.resize(length);
        lines.push_back(line + ending);
    }
    return lines;
}

// The fnmatch walk: the first entry, in order, whose word matches; 0 if none.
std::int32_t FnmatchWalk(const std::vector<std::string>& rules, const std::string& line) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (fnmatch(rules[i].c_str(), line.c_str(), FNM_CASEFOLD) == 0) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return 0;
}

std::string Regex(const std::string& word) {
    std::string regex = "^";
    for (const char byte : word) {
        if (byte == '*') {
            regex += ".*";
        } else if (byte == '?') {
            regex += ".";
        } else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')) {
            regex += byte;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(byte));
            regex += escaped;
        }
    }
    return regex + "$";
}

struct Hyperscan {
    hs_database_t* database = nullptr;
    hs_scratch_t* scratch = nullptr;
    double compileSeconds = 0;
    std::size_t bytes = 0;  // the database and the scratch
    ~Hyperscan() {
        hs_free_scratch(scratch);
        hs_free_database(database);
    }
    bool Compile(const std::vector<std::string>& rules) {
        std::vector<std::string> regexes;
        std::vector<const char*> expressions;
        std::vector<unsigned> flags(rules.size(), HS_FLAG_CASELESS | HS_FLAG_DOTALL | HS_FLAG_SINGLEMATCH);
        std::vector<unsigned> ids;
        for (std::size_t i = 0; i < rules.size(); ++i) {
            regexes.push_back(Regex(rules[i]));
            ids.push_back(static_cast<unsigned>(i));
        }
        for (const std::string& regex : regexes) expressions.push_back(regex.c_str());
        hs_compile_error_t* error = nullptr;
        const auto start = std::chrono::steady_clock::now();
        if (hs_compile_multi(expressions.data(), flags.data(), ids.data(), static_cast<unsigned>(rules.size()),
                             HS_MODE_BLOCK, nullptr, &database, &error) != HS_SUCCESS) {
            std::fprintf(stderr, "hyperscan: %s\n", error != nullptr ? error->message : "compile failed");
            hs_free_compile_error(error);
            return false;
        }
        compileSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (hs_alloc_scratch(database, &scratch) != HS_SUCCESS) return false;
        std::size_t databaseBytes = 0, scratchBytes = 0;
        hs_database_size(database, &databaseBytes);
        hs_scratch_size(scratch, &scratchBytes);
        bytes = databaseBytes + scratchBytes;
        return true;
    }
    std::int32_t First(const std::string& line) const {
        unsigned lowest = UINT32_MAX;
        hs_scan(database, line.data(), static_cast<unsigned>(line.size()), 0, scratch,
                [](unsigned id, unsigned long long, unsigned long long, unsigned, void* context) {
                    unsigned& low = *static_cast<unsigned*>(context);
                    low = std::min(low, id);
                    return 0;
                },
                &lowest);
        return lowest == UINT32_MAX ? 0 : static_cast<std::int32_t>(lowest + 1);
    }
};

struct Workload {
    std::vector<std::string> rules;
    std::vector<std::string> lines;
    std::vector<std::int32_t> answers;  // the fnmatch walk's
    std::unique_ptr<Hyperscan> hyperscan;
};

const Workload& CaseWorkload(int number) {
    static std::map<int, Workload> cache;
    auto found = cache.find(number);
    if (found != cache.end()) return found->second;
    Workload w;
    const char* const kEmoji = "\xF0\x9F\x98\x80";
    const char* const kCjk = "\xE4\xB8\xAD";
    switch (number) {
        case 0: w.rules = LetterRules(10000, 1); w.lines = Lines(2, ""); break;
        case 1: w.rules = LetterRules(100000, 1); w.lines = Lines(2, ""); break;
        case 2: w.rules = LetterRules(10000, 1); w.lines = Lines(2, kEmoji); break;
        case 3: w.rules = LetterRules(10000, 1); w.lines = Lines(2, kCjk); break;
        default: w.rules = HostileRules(10000, 3); w.lines = Lines(2, ""); break;
    }
    for (const std::string& line : w.lines) w.answers.push_back(FnmatchWalk(w.rules, line));
    return cache.emplace(number, std::move(w)).first->second;
}

// The rules in set 13 of a rules folder of their own, loaded.
class LoadedRules {
public:
    explicit LoadedRules(const std::vector<std::string>& rules) {
        std::string bytes;
        for (const std::string& rule : rules) bytes += rule + "\r\n";
        m_folder.WriteRules("_spm", bytes);
        m_loaded = testkit::CallExport(LoadRules, "") == testkit::AnswerFor(static_cast<int>(rules.size()));
    }
    ~LoadedRules() { UnloadDll(2); }
    bool Loaded() const { return m_loaded; }

private:
    testkit::RuleFolder m_folder;
    bool m_loaded;
};

std::int32_t TalvoFirst(const std::string& request, char* data) {
    std::memcpy(data, request.c_str(), request.size() + 1);
    RuleFilter(nullptr, nullptr, data, nullptr, 0, 0);
    return static_cast<std::int32_t>(std::strtol(data + std::strlen("var %match = "), nullptr, 10));
}

void BM_Line(benchmark::State& state) {
    const int number = static_cast<int>(state.range(0));
    const int engine = static_cast<int>(state.range(1));
    const Workload& w = CaseWorkload(number);
    std::size_t next = 0;
    std::size_t matched = 0;
    if (engine == 0) {
        LoadedRules loaded(w.rules);
        std::vector<std::string> requests;
        for (const std::string& line : w.lines) requests.push_back("13 1 " + line);
        std::vector<char> data(TALVO_CLASSIC_BUFFER_SIZE);
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (!loaded.Loaded() || TalvoFirst(requests[i], data.data()) != w.answers[i]) {
                state.SkipWithError("Talvo's answer differs from the fnmatch walk's");
                return;
            }
        }
        for (auto _ : state) {
            const std::size_t i = next++ % requests.size();
            matched += TalvoFirst(requests[i], data.data()) != 0;
        }
    } else if (engine == 1) {
        Workload& cached = const_cast<Workload&>(w);
        if (!cached.hyperscan) {
            cached.hyperscan = std::make_unique<Hyperscan>();
            if (!cached.hyperscan->Compile(w.rules)) {
                state.SkipWithError("Hyperscan did not compile the rules");
                return;
            }
        }
        for (std::size_t i = 0; i < w.lines.size(); ++i) {
            if (w.hyperscan->First(w.lines[i]) != w.answers[i]) {
                state.SkipWithError("Hyperscan's answer differs from the fnmatch walk's");
                return;
            }
        }
        for (auto _ : state) {
            matched += w.hyperscan->First(w.lines[next++ % w.lines.size()]) != 0;
        }
    } else {
        for (auto _ : state) {
            const std::size_t i = next++ % w.lines.size();
            matched += FnmatchWalk(w.rules, w.lines[i]) != 0;
        }
    }
    state.counters["matched_share"] =
        benchmark::Counter(static_cast<double>(matched), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Line)
    ->ArgNames({"case", "engine"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->Args({4, 2})
    ->Unit(benchmark::kMicrosecond);

void BM_LoadRules(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    testkit::RuleFolder folder;
    const std::vector<std::string> rules = LetterRules(entries, 1);
    const char* const extensions[] = {"_alt", "_avo", "_chn", "_cur", "_file", "_frd", "_name", "_nck",
                                      "_prv", "_qp",  "_rep", "_rsp", "_spm", "_sus",  "_vfi"};
    std::size_t bytes = 0;
    std::size_t from = 0;
    for (std::size_t i = 0; i < std::size(extensions); ++i) {
        const std::size_t to = entries * (i + 1) / std::size(extensions);
        std::string file;
        for (std::size_t r = from; r < to; ++r) file += rules[r] + "\r\n";
        folder.WriteRules(extensions[i], file);
        bytes += file.size();
        from = to;
    }
    for (auto _ : state) {
        if (testkit::CallExport(LoadRules, "") != testkit::AnswerFor(static_cast<int>(entries))) {
            state.SkipWithError("the rules did not load");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    UnloadDll(2);
    const std::size_t before = mallinfo2().uordblks;
    testkit::CallExport(LoadRules, "");
    state.counters["heap_bytes_per_entry"] =
        static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(entries);
    UnloadDll(2);
}
BENCHMARK(BM_LoadRules)->Arg(100000)->Unit(benchmark::kMillisecond);

// Hyperscan's compile of the entries of case 0 or 1 (one run each), with
// what its database and scratch take, per entry.
void BM_HyperscanCompile(benchmark::State& state) {
    const Workload& w = CaseWorkload(static_cast<int>(state.range(0)));
    double seconds = 0;
    double perEntry = 0;
    for (auto _ : state) {
        Hyperscan hyperscan;
        if (!hyperscan.Compile(w.rules)) {
            state.SkipWithError("Hyperscan did not compile the rules");
            return;
        }
        seconds = hyperscan.compileSeconds;
        perEntry = static_cast<double>(hyperscan.bytes) / static_cast<double>(w.rules.size());
    }
    state.counters["compile_ms"] = seconds * 1000;
    state.counters["bytes_per_entry"] = perEntry;
}
BENCHMARK(BM_HyperscanCompile)->ArgName("case")->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
