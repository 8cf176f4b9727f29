// Calls per second of the Magic export on a mix of addresses as a channel
// sees them: names that read like words and names that look machine-made,
// with and without the "~" of an unconfirmed user name.

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "talvo/frame/host.h"

namespace {

const std::vector<std::string>& WordLike() {
    static const std::vector<std::string> corpus = {
        "johnny!john@host-81-12-3-4.example.net",
        "Nightwalker!~night@cpe-74-65-1-2.example.com",
        "sorrymate!sorry@static.12.34.56.78.example.org",
        "splatter!~splat@dsl.example.de",
        "MarieCurie!marie@staff.example.edu",
        "thinkpad!~think@10.0.0.12",
        "DarkAngel!~angel@user-1234.example.cable",
        "phoebe!phoebe@pool-71-1-2-3.example.net",
        "chester!chester@mail.example.co.uk",
        "ghostrider!~ghost@unaffiliated/ghostrider",
    };
    return corpus;
}

const std::vector<std::string>& GeneratedLooking() {
    static const std::vector<std::string> corpus = {
        "bxkqwz!zxvq@203.0.113.7",
        "qxzvbn!~kqzt@198.51.100.23",
        "xkqzvbw!.@192.0.2.44",
        "xkqz!~XKQZ@203.0.113.99",
        "BXKQWZ!ZXVQ@198.51.100.1",
        "mrtvbk!~pqsd@192.0.2.17",
        "wzxcvb!~@203.0.113.200",
        "hjkltrq!zxcvb@198.51.100.9 3",
        "BXKAQW!~ZXVQ@192.0.2.5 1 2",
        "zbcdfgkq!qwrtp@203.0.113.250",
    };
    return corpus;
}

void RunCorpus(benchmark::State& state, const std::vector<std::string>& corpus) {
    std::array<char, TALVO_CLASSIC_BUFFER_SIZE> data{};
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& text = corpus[next];
        next = next + 1 == corpus.size() ? 0 : next + 1;
        std::memcpy(data.data(), text.c_str(), text.size() + 1);
        benchmark::DoNotOptimize(Magic(nullptr, nullptr, data.data(), nullptr, 0, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_MagicWordLike(benchmark::State& state) { RunCorpus(state, WordLike()); }

void BM_MagicGeneratedLooking(benchmark::State& state) { RunCorpus(state, GeneratedLooking()); }

void BM_MagicMixed(benchmark::State& state) {
    std::vector<std::string> corpus;
    for (std::size_t i = 0; i < WordLike().size(); ++i) {
        corpus.push_back(WordLike()[i]);
        corpus.push_back(GeneratedLooking()[i]);
    }
    RunCorpus(state, corpus);
}

}  // namespace

BENCHMARK(BM_MagicWordLike);
BENCHMARK(BM_MagicGeneratedLooking);
BENCHMARK(BM_MagicMixed);
