// The exports called from several threads at once, as the host's threaded
// call form does: reloads, searches, Magic and the Tools unit side by side for
// a few seconds over generated rule files. Every answer must be the one the
// same call gives on one thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <latch>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_files.h"
#include "talvo/tools/start_counter.h"
#include "talvo/tools/tools.h"
#include "testing/export_call.h"

namespace {

using namespace std::chrono_literals;
using testkit::AnswerFor;
using testkit::CallExport;

constexpr int kEntriesPerFile = 200;
const char* const kWords[] = {"free", "offer", "cheap", "pills", "spam", "hello", "now",          "buy",
                              "win",  "club",  "link",  "xyz",   "deal", "join",  "\xe0\xe1\xe2", "zed"};

std::string Word(std::mt19937& random) { return kWords[random() % std::size(kWords)]; }

std::string Letters(std::mt19937& random, std::size_t count) {
    std::string letters;
    for (std::size_t i = 0; i < count; ++i) letters += static_cast<char>('a' + random() % 26);
    return letters;
}

// One line of a rule file of the given kind: words with and without
// exceptions, bare nicknames, blank lines.
std::string RuleLine(talvo::RuleKind kind, std::mt19937& random) {
    switch (random() % 8) {
        case 0:
            return "";
        case 1:
            return "*" + Word(random) + "*\4*" + Word(random) + "* *" + Word(random) + "*@*" + Word(random) + "*";
        default:
            break;
    }
    switch (kind) {
        case talvo::RuleKind::Address:
            return random() % 2 ? Letters(random, 2) : "*!*@" + Letters(random, 1) + "*";
        case talvo::RuleKind::WholePattern:
            return "*" + Word(random) + " " + Word(random) + "*";
        case talvo::RuleKind::Pattern:
            break;
    }
    return "*" + Word(random) + "* *" + Word(random) + "*";
}

// A request for RuleFilter: any set (6 and malformed ones included), mostly
// from entry 1, texts of chat words or addresses.
std::string Request(std::mt19937& random) {
    const unsigned set = random() % 17;
    const unsigned start = random() % 4 == 0 ? random() % (kEntriesPerFile + 2) : 1;
    std::string text = Letters(random, 2) + "!u@" + Letters(random, 1) + "h";
    for (unsigned words = random() % 5; words > 0; --words) text += " " + Word(random);
    return std::to_string(set) + " " + std::to_string(start) + " " + text;
}

struct Call {
    decltype(&RuleFilter) command;  // every command export has this form
    std::string text;
    std::string answer;  // what the call answers on one thread
};

// Rule files for every set and the calls to make over them, with the answers
// they give when nothing runs beside them.
class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(11);
        for (const talvo::RuleFileRow& row : talvo::kRuleFiles) {
            std::string bytes;
            for (int i = 0; i < kEntriesPerFile; ++i) bytes += RuleLine(row.kind, random) + "\r\n";
            m_folder.WriteRules(row.extension, bytes);
        }
        m_loadAnswer = AnswerFor(15 * kEntriesPerFile);
        ASSERT_EQ(CallExport(LoadRules, ""), m_loadAnswer);
        for (int i = 0; i < 400; ++i) m_filters.push_back({RuleFilter, Request(random), {}});
        for (int i = 0; i < 200; ++i) {
            m_magic.push_back({Magic,
                               Letters(random, 3 + random() % 10) + "!" + (random() % 2 ? "~" : "") +
                                   Letters(random, 2 + random() % 8) + "@host",
                               {}});
        }
        for (std::vector<Call>* calls : {&m_filters, &m_magic}) {
            for (Call& call : *calls) call.answer = CallExport(call.command, call.text);
        }
    }
    void TearDown() override { UnloadDll(2); }

    // Checks one call's answer against its single-thread answer (or, when
    // given, another allowed one); keeps the first difference to report.
    void Check(const Call& call, const std::string& alsoAllowed = {}) {
        const std::string answer = CallExport(call.command, call.text);
        if (answer == call.answer || (!alsoAllowed.empty() && answer == alsoAllowed)) return;
        if (m_differences++ == 0) {
            const std::lock_guard guard(m_firstLock);
            m_first = "\"" + call.text + "\" answered " + answer + ", alone " + call.answer;
        }
    }

    // Runs each body on a thread of its own, over and over, until `duration`
    // has passed and every body has run at least `minimumRuns` times.
    static void RunTogether(const std::vector<std::function<void(std::size_t)>>& bodies,
                            std::chrono::milliseconds duration, std::size_t minimumRuns) {
        std::latch start(static_cast<std::ptrdiff_t>(bodies.size()));
        std::vector<std::jthread> threads;
        for (const auto& body : bodies) {
            threads.emplace_back([&, body] {
                start.arrive_and_wait();
                const auto end = std::chrono::steady_clock::now() + duration;
                for (std::size_t run = 0; run < minimumRuns || std::chrono::steady_clock::now() < end; ++run) {
                    body(run);
                }
            });
        }
    }

    testkit::RuleFolder m_folder;
    std::string m_loadAnswer;
    std::vector<Call> m_filters;
    std::vector<Call> m_magic;
    std::atomic<int> m_differences = 0;
    std::mutex m_firstLock;
    std::string m_first;
};

TEST_F(ConcurrencyTest, ReloadsSearchesAndMagicAtOnceAnswerAsAlone) {
    const std::int32_t counter = Tools::detail::StartCounter();
    const Call load{LoadRules, "", m_loadAnswer};
    const auto reload = [&](std::size_t) { Check(load); };
    const auto filter = [&](std::size_t run) { Check(m_filters[run % m_filters.size()]); };
    const auto magic = [&](std::size_t run) { Check(m_magic[run % m_magic.size()]); };
    const auto tools = [](std::size_t) {
        Tools::initialization();
        Tools::Finalization();
    };
    RunTogether({reload, reload, filter, filter, magic, tools, tools}, 2000ms, 20);
    EXPECT_EQ(m_differences, 0) << m_first;
    EXPECT_EQ(Tools::detail::StartCounter(), counter) << "a start or stop was lost";
}

// Unloads between the reloads: a search answers from the rules it started
// with, or finds the sets gone (-5), never anything else. The load hook,
// called from several threads at once, reads the files exactly once.
TEST_F(ConcurrencyTest, UnloadsBetweenReloadsLeaveSearchesWhole) {
    UnloadDll(2);
    m_folder.WriteRules("_cur", "*\n");
    std::vector<std::function<void(std::size_t)>> loaders(4, [](std::size_t) { LoadDll(nullptr); });
    RunTogether(loaders, 0ms, 1);
    EXPECT_EQ(CallExport(RuleFilter, "3 1 x"), AnswerFor(1)) << "the first LoadDll reads the rule files";
    m_folder.WriteRules("_cur", "y\n*\n");
    LoadDll(nullptr);
    EXPECT_EQ(CallExport(RuleFilter, "3 1 x"), AnswerFor(1)) << "later ones do not";

    ASSERT_EQ(CallExport(LoadRules, ""), AnswerFor(14 * kEntriesPerFile + 2));
    for (Call& call : m_filters) call.answer = CallExport(call.command, call.text);
    const auto unloadAndReload = [](std::size_t) {
        UnloadDll(0);
        CallExport(LoadRules, "");
    };
    const auto filter = [&](std::size_t run) {
        const Call& call = m_filters[run % m_filters.size()];
        Check(call, call.answer.starts_with("var %match = -") ? std::string() : AnswerFor(-5));
    };
    RunTogether({unloadAndReload, filter, filter}, 1000ms, 20);
    EXPECT_EQ(m_differences, 0) << m_first;
}

}  // namespace
