// RuleFilter over a large set where no entry matches, RuleFilter over the
// matcher benchmark's corpus with its texts and rules once in code page 1251
// and once in UTF-8, and LoadRules over rule files of 100,000 lines in all.
// Rule files go into a fresh temporary folder.

#include <benchmark/benchmark.h>

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
