// RuleFilter over large sets and over the matcher benchmark's corpus, and
// LoadRules over rule files of 100,000 lines in all. Rule files go into a
// fresh temporary folder.
//
//   NoMatch/N        N spam-filter entries (the words of NonMatchingRules),
//                    chat lines that none of them catches: a request tests
//                    every entry, or only those the literal prefilter leaves.
//   EveryCandidate   entries whose words all need literals every line holds,
//                    so that the prefilter lets every entry through, and none
//                    catches: the cost of the prefilter on top of a full walk
//                    (cheap:1, words that fail at their second byte).
//   Corpus           the matcher benchmark's texts and rules once in code page
//                    1251 and once in UTF-8.
//   LoadRules        15 files of 100,000 lines (2.0 MB), CR LF line ends.
//   HeapPerEntry     bytes of heap a loaded entry holds (glibc mallinfo2).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "corpus.h"
#include "talvo/frame/encoding.h"
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

// Every line starts with these words, and every entry's words need one of
// them (its longest literal), so no entry can be ruled out by what the line
// lacks. The entries still fail: on a fixed-length word, on a tail no line
// ends with, or on an exception group that every line matches. A fifth have
// no literal at all. The cheap variant has only words that fail at their
// second byte, so that the search's own cost weighs most.
constexpr const char* kEveryLineHolds[] = {"hello", "what", "is", "the", "score", "lol", "tonight", "channel"};
std::vector<std::string> EveryCandidateRules(std::size_t count, bool cheap) {
    std::vector<std::string> rules;
    std::mt19937 random(11);
    const std::size_t words = std::size(kEveryLineHolds);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string held = kEveryLineHolds[random() % words];
        const std::string other = kEveryLineHolds[random() % words];
        if (cheap) {
            rules.push_back("?" + held + "*");
            continue;
        }
        switch (i % 5) {
            case 0: rules.push_back("*" + held + "* ??????????"); break;
            case 1: rules.push_back("*" + held + "*?q"); break;
            case 2: rules.push_back("*" + held + "*\4*" + other + "*"); break;
            case 3: rules.push_back("*" + other + "*" + held + "*\4*xyz*@*" + held + "*"); break;
            default: rules.push_back("?*?\4*"); break;
        }
    }
    return rules;
}

void FilterLines(benchmark::State& state, const std::vector<std::string>& rules, const std::string& linePrefix) {
    testkit::RuleFolder folder;
    WriteLines(folder, "_spm", rules);
    CallExport(LoadRules, "");
    std::vector<std::string> requests;
    for (const std::string& line : talvo_bench::ChatLines(64, 3)) {
        requests.push_back("13 1 " + linePrefix + line);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string answer = CallExport(RuleFilter, requests[next++ % requests.size()], 1024);
        if (answer != "var %match = 0") {
            state.SkipWithError(("unexpected answer " + answer).c_str());
            break;
        }
    }
    CallExport(LoadRules, "");  // the folder is gone after this: the store empties
}

void BM_RuleFilter_NoMatch(benchmark::State& state) {
    FilterLines(state, NonMatchingRules(static_cast<std::size_t>(state.range(0))), "");
}
BENCHMARK(BM_RuleFilter_NoMatch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_RuleFilter_EveryCandidate(benchmark::State& state) {
    std::string prefix;
    for (const char* word : kEveryLineHolds) {
        prefix += std::string(word) + " ";
    }
    FilterLines(state, EveryCandidateRules(static_cast<std::size_t>(state.range(0)), state.range(1) != 0), prefix);
}
BENCHMARK(BM_RuleFilter_EveryCandidate)
    ->ArgNames({"entries", "cheap"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMicrosecond);

// Code page 1251 bytes of a UTF-8 literal (every character of it in the code page).
std::string Cp1251(std::string_view utf8) {
    std::string bytes;
    for (std::size_t position = 0; position < utf8.size();) {
        bytes += static_cast<char>(talvo::UnitOfCodePoint(talvo::ReadUtf8(utf8, position)));
    }
    return bytes;
}

// Chat lines of 20 to 400 characters in Russian, with some Latin words.
std::vector<std::string> RussianChatLines(std::size_t count, std::uint32_t seed) {
    static const char* const kWords[] = {
        "привет", "как",    "дела",  "кто",     "знает",  "сервер", "канал", "сегодня", "спасибо", "пока",
        "ЛОЛ",    "игра",   "счёт",  "ссылка",  "http://example.ru/x", "бесплатно", "купи", "дёшево", "сейчас",
        "выигрыш", "нажми", "ok",    "да",      "нет",    "Хорошо", "вечером", "и",    "в",      "не",
    };
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = 20 + random() % 381;
        std::string line;
        while (line.size() < length) {
            line += line.empty() ? "" : " ";
            line += Cp1251(kWords[random() % std::size(kWords)]);
        }
        line.resize(length);
        lines.push_back(std::move(line));
    }
    return lines;
}

// The matcher benchmark's texts (2,000 chat lines and 500 addresses) and its
// 15 rule words, plus 1,000 Russian lines and Russian words, all in code page
// 1251. Each rule is "word<4>*": the exception "*" catches every text, so
// every word is tested against every text and no entry ever catches one.
struct Corpus {
    std::vector<std::string> texts;
    std::vector<std::string> rules;
};

const Corpus& MatcherCorpus() {
    static const Corpus corpus = [] {
        Corpus c{talvo_bench::ChatLines(2000), {}};
        for (std::string& address : talvo_bench::Addresses(500)) {
            c.texts.push_back(std::move(address));
        }
        for (std::string& line : RussianChatLines(1000, 5)) {
            c.texts.push_back(std::move(line));
        }
        std::vector<std::string> words = talvo_bench::RuleWords();
        for (const char* word : {"*бесплатно*", "*КУПИ*сейчас*", "*выигр?ш*", "привет*", "*http://*.ru/*"}) {
            words.push_back(Cp1251(word));
        }
        for (const std::string& word : words) {
            c.rules.push_back(word + "\4*");
        }
        return c;
    }();
    return corpus;
}

// Arg 0: rules and texts in code page 1251; arg 1: the same in UTF-8.
void BM_RuleFilter_Corpus(benchmark::State& state) {
    const bool utf8 = state.range(0) == 1;
    const Corpus& corpus = MatcherCorpus();
    testkit::RuleFolder folder;
    std::string file;
    for (const std::string& rule : corpus.rules) {
        file += rule + "\r\n";
    }
    folder.WriteRules("_spm", utf8 ? talvo::Utf8FromCp1251(file) : file);
    if (CallExport(LoadRules, "") != testkit::AnswerFor(static_cast<int>(corpus.rules.size()))) {
        state.SkipWithError("the rules did not load");
        return;
    }
    std::vector<std::string> requests;
    for (const std::string& text : corpus.texts) {
        requests.push_back("13 1 " + (utf8 ? talvo::Utf8FromCp1251(text) : text));
    }
    std::array<char, TALVO_CLASSIC_BUFFER_SIZE> data{};
    for (auto _ : state) {
        for (const std::string& request : requests) {
            std::memcpy(data.data(), request.c_str(), request.size() + 1);
            RuleFilter(nullptr, nullptr, data.data(), nullptr, 0, 0);
            if (std::strcmp(data.data(), "var %match = 0") != 0) {
                state.SkipWithError(("unexpected answer " + std::string(data.data())).c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(requests.size() * corpus.rules.size()));
    CallExport(LoadRules, "");
}
BENCHMARK(BM_RuleFilter_Corpus)->Arg(0)->Arg(1)->ArgName("utf8")->Unit(benchmark::kMillisecond);

// 100,000 lines over the fifteen files, all three kinds, chat-sized; answers
// the bytes written.
std::size_t WriteAllFiles(const testkit::RuleFolder& folder, const std::vector<std::string>& rules) {
    std::size_t bytes = 0;
    const char* const extensions[] = {"_alt", "_avo", "_chn", "_cur", "_file", "_frd", "_name", "_nck",
                                      "_prv", "_qp",  "_rep", "_rsp", "_spm", "_sus",  "_vfi"};
    std::size_t from = 0;
    for (std::size_t i = 0; i < std::size(extensions); ++i) {
        const std::size_t to = rules.size() * (i + 1) / std::size(extensions);
        bytes += WriteLines(folder, extensions[i], std::vector<std::string>(rules.begin() + from, rules.begin() + to));
        from = to;
    }
    return bytes;
}

void BM_LoadRules_100000Lines(benchmark::State& state) {
    testkit::RuleFolder folder;
    const std::size_t bytes = WriteAllFiles(folder, NonMatchingRules(100000));
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

// The heap the loaded rules hold, per entry: records, token lists and
// whatever the library keeps beside them for searching.
void BM_HeapPerEntry(benchmark::State& state) {
    testkit::RuleFolder folder;
    const auto entries = static_cast<std::size_t>(state.range(0));
    WriteAllFiles(folder, NonMatchingRules(entries));
    double perEntry = 0;
    for (auto _ : state) {
        UnloadDll(2);
        const std::size_t before = mallinfo2().uordblks;
        CallExport(LoadRules, "");
        perEntry = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(entries);
    }
    state.counters["bytes_per_entry"] = perEntry;
    UnloadDll(2);
}
BENCHMARK(BM_HeapPerEntry)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
