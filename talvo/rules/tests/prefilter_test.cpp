// The literal prefilter never changes an answer: FilterText gives the same
// answer with the prefilter, testing every prepared entry, and walking the
// records, and the answer is the one the rules call for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "talvo/frame/encoding.h"
#include "talvo/rules/literal_prefilter.h"
#include "talvo/rules/rule_filter.h"
#include "talvo/rules/rule_store.h"
#include "talvo/tools/tools.h"
#include "testing/export_call.h"
#include "testing/filter_modes.h"

namespace {

// FilterText with the prefilter, testing every prepared entry, and over the records.
testkit::ModeAnswers Answers(const std::string& request) { return testkit::FilterEveryWay(request); }

// Checks every request in every search mode against its expected answer.
void ExpectAnswers(const std::vector<std::pair<std::string, std::int32_t>>& requests) {
    for (const auto& [request, answer] : requests) {
        const testkit::ModeAnswers answers = Answers(request);
        EXPECT_TRUE(answers.Agree()) << '"' << request << "\": " << answers.Describe();
        EXPECT_EQ(answers.answers.front(), answer) << '"' << request << '"';
    }
}

TEST(Prefilter, EntriesWithoutALiteralAndLiteralsOnlyInExceptions) {
    struct Case {
        const char* what;
        const char* rules;  // set 13, pattern kind
        std::vector<std::pair<std::string, std::int32_t>> requests;
    } cases[] = {
        {"a lone star", "*zzz*\n*\n", {{"13 1 anything", 2}, {"13 3 x", 0}}},
        {"only '?' and '*'", "?*?\n??\n", {{"13 1 ab", 1}, {"13 1 a", 0}, {"13 2 ab", 2}, {"13 2 abc", 0}}},
        {"no words at all", "   \n\4\4\n", {{"13 1 q", 1}, {"13 2 q", 2}}},
        {"no words, an exception", " \4*spam*\n", {{"13 1 ham", 1}, {"13 1 SPAM!", 0}}},
        {"a literal only in an exception",
         "*\4*xyz*@*abc* *d*\n*d*\n",
         {{"13 1 d", 1}, {"13 1 xyz", 0}, {"13 1 xyz d", 2}, {"13 1 abc d", 2}, {"13 1 abc", 1}}},
        {"a group of blanks never lets the entry catch", "*a*\4  \n*a*\4*b*@ \n*a*\n", {{"13 1 a", 3}}},
        {"the literal sits between '?'", "a?cdef?g\n", {{"13 1 AxCDEFyG", 1}, {"13 1 axcdexg", 0}}},
        {"a long run: any four bytes of it would do",
         "*cheapest*\n",
         {{"13 1 the CHEAPEST deal", 1}, {"13 1 cheap", 0}}},
        {"head and tail anchors", "abc*\n*xyz\n", {{"13 1 abcxyz", 1}, {"13 1 xyzabc", 0}, {"13 2 xyzabc", 0}}},
        {"case partners in code page 1251",
         "*\xCF\xD0\xC8\xC2\xC5\xD2*\n*\xB8\xB8*\n",
         {{"13 1 \xEF\xF0\xE8\xE2\xE5\xF2!", 1}, {"13 1 \xA8\xB8", 2}, {"13 1 \xB5", 0}}},
        {"bytes without a partner match only themselves", "*\xB5\xB5*\n", {{"13 1 x\xB5\xB5", 1}, {"13 1 \xB5", 0}}},
        {"'?' and '*' in the text are ordinary bytes", "*a?b*\n*\n", {{"13 1 a*b", 1}, {"13 1 ?*", 2}}},
        {"entries after a start past the candidates", "*a*\n*b*\n*a*\n", {{"13 2 a", 3}, {"13 4 a", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::RuleFolder folder;
        folder.WriteRules("_spm", c.rules);
        talvo::LoadAllRuleFiles();
        ExpectAnswers(c.requests);
        talvo::FreeRuleStore();
    }
}

TEST(Prefilter, ScanReportsTheLiteralsATextHolds) {
    talvo::LiteralPrefilter literals;
    const char* const added[] = {"A", "AB", "ABC", "ABCD", "BC", "\xC0\xC1", "Z", "ABCDE", "XYZWVU", "BCDEFG"};
    for (std::uint32_t value = 0; value < std::size(added); ++value) {
        literals.Add(added[value], value);
    }
    // Every other literal gets a second value, so that its values make a list.
    const std::uint32_t count = std::size(added);
    for (std::uint32_t value = 1; value < count; value += 2) {
        literals.Add(added[value], value + count);
    }
    literals.Seal();
    // The literals found, in the order added.
    const auto found = [&](auto text) {
        std::vector<bool> seen(2 * count, false);
        literals.Scan(text, Tools::ToUpperChars, [&](const talvo::LiteralPrefilter::Values& values) {
            for (const std::uint32_t* value = values.begin; value != values.end; ++value) {
                seen[*value] = true;
            }
        });
        std::vector<std::string> names;
        for (std::size_t value = 0; value < count; ++value) {
            EXPECT_EQ(seen[value + count], value % 2 == 1 && seen[value]) << added[value];
            if (seen[value]) {
                names.emplace_back(added[value]);
            }
        }
        return names;
    };
    struct Case {
        std::string text;
        std::vector<std::string> found;
    } cases[] = {
        {"abcd", {"A", "AB", "ABC", "ABCD", "BC"}},
        {"abcdefg", {"A", "AB", "ABC", "ABCD", "BC", "ABCDE", "BCDEFG"}},
        {"bcdef", {"BC"}},
        {"xyzwvu", {"Z", "XYZWVU"}},
        {"xyzwv u", {"Z"}},
        {"xbc", {"BC"}},
        {"ab", {"A", "AB"}},
        {std::string("a\0bc", 4), {"A", "BC"}},  // a byte that reads as 0 breaks every literal
        {"\xE0\xE1", {"\xC0\xC1"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(found(std::string_view(c.text)), c.found) << '"' << c.text << '"';
    }
    // Wider units: one of 256 or more reads as 0 whatever its low byte.
    EXPECT_EQ(found(std::u32string_view(U"a\u0141bc")), (std::vector<std::string>{"A", "BC"}));
    EXPECT_EQ(found(std::u32string_view(U"abcd\u0141fg")), (std::vector<std::string>{"A", "AB", "ABC", "ABCD", "BC"}));
    EXPECT_EQ(found(std::u32string_view(U"\u01C0\u00E1")), std::vector<std::string>{});
    EXPECT_EQ(found(std::u32string_view(U"\u00E0\u00E1")), std::vector<std::string>{"\xC0\xC1"});
}

TEST(Prefilter, AddRefusesWhatIsNoLiteral) {
    talvo::LiteralPrefilter literals;
    for (const std::string_view refused : {std::string_view(""), std::string_view("ABCDEFG"),
                                           std::string_view("A\0B", 3), std::string_view("AB\0", 3)}) {
        EXPECT_THROW(literals.Add(refused, 1), std::invalid_argument) << refused.size();
    }
    for (const std::uint64_t refused : {0x0ULL, 0x410042ULL, 0x41424300444546ULL, 0x41424344454647ULL}) {
        EXPECT_THROW(literals.Add(refused, 1), std::invalid_argument) << std::hex << refused;
    }
    literals.Add(std::uint64_t{0x414243444546}, 1);  // six bytes
    literals.Add("\xDF", 2);  // folded, as the text is read
    literals.Seal();
    std::vector<std::uint32_t> found;
    literals.Scan(std::string_view("xFEDCBA\xFF"), Tools::ToUpperChars, [&](const talvo::LiteralPrefilter::Values& values) {
        found.insert(found.end(), values.begin, values.end);
    });
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::uint32_t>{1, 2}));
}

// Random rule files of all three kinds and random texts, many made to match
// a word of the set, letters in both cases, high bytes with and without a
// case partner, '?' and '*' everywhere. In a round in UTF-8 the bytes 1 and
// 2 stand for two characters code page 1251 lacks.
class RandomRules {
public:
    explicit RandomRules(std::uint32_t seed) : m_random(seed) {}

    std::string Line(bool wholePattern) {
        std::string line;
        if (Chance(10)) {
            line += '\4';
        }
        const int words = Pick(4);
        for (int i = 0; i < words; ++i) {
            line += (i > 0 || Chance(5)) ? std::string(1 + Pick(2), ' ') : "";
            line += Word();
        }
        if (wholePattern || Chance(3)) {
            return line;
        }
        line += '\4';
        if (Chance(6)) {
            return line + (Chance(2) ? "-" : " -");
        }
        const int groups = 1 + Pick(3);
        for (int g = 0; g < groups; ++g) {
            line += g > 0 ? "@" : "";
            line += Chance(8) ? "  " : Word() + (Chance(2) ? " " + Word() : "");
        }
        return line;
    }

    // A text the word matches, with letters in either case.
    std::string Instance(const std::string& word) {
        std::string text;
        for (const char byte : word) {
            if (byte == '*') {
                text += Plain(Pick(3));
            } else if (byte == '?') {
                text += Plain(1);
            } else {
                text += Chance(2) ? static_cast<char>(Tools::ToLowerChars[static_cast<unsigned char>(byte)])
                                  : static_cast<char>(Tools::ToUpperChars[static_cast<unsigned char>(byte)]);
            }
        }
        return text;
    }

    // Long over few letters: texts that leave more than 64 candidates.
    std::string Text() { return Plain(m_narrow ? 16 + Pick(48) : Pick(9)); }
    int Pick(int below) { return static_cast<int>(m_random() % static_cast<unsigned>(below)); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }

    std::string Word() {
        std::string word;
        const int length = 1 + Pick(6);
        for (int i = 0; i < length; ++i) {
            word += Chance(4) ? (Chance(2) ? '*' : '?') : Letter();
        }
        return word;
    }

private:
    char Letter() {
        static const char kLetters[] = "aAbBcz!.1\xE0\xC0\xFF\xDF\xB8\xA8\xB5\x83\x81\x01\x02";
        return kLetters[Pick(m_narrow ? 3 : sizeof kLetters - (m_utf8 ? 1 : 3))];
    }
    std::string Plain(int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            text += Chance(8) ? (Chance(2) ? ' ' : (Chance(2) ? '?' : '*')) : Letter();
        }
        return text;
    }

    std::mt19937 m_random;

public:
    // Few letters: entries share literals, and texts hold many of them.
    bool m_narrow = false;
    // Files and texts in UTF-8, with characters code page 1251 lacks.
    bool m_utf8 = false;

    std::string Encoded(const std::string& bytes) const {
        if (!m_utf8) {
            return bytes;
        }
        std::string utf8;
        for (const char byte : bytes) {
            utf8 += byte == '\x01' ? "\u03A9" : byte == '\x02' ? "\u2713" : talvo::Utf8FromCp1251(std::string(1, byte));
        }
        return utf8;
    }
};

// The answers to a request as the host would send it: a text in UTF-8 with
// characters code page 1251 lacks goes to FilterUnits, any other to
// FilterText.
testkit::ModeAnswers AnswersAsSent(const std::string& request) {
    const talvo::CallText call(request.c_str());
    if (!call.IsWide()) {
        return Answers(std::string(call.Bytes()));
    }
    return testkit::FilterEveryWay(call);
}

TEST(Prefilter, SameAnswersWithAndWithoutOnRandomRules) {
    RandomRules random(13);
    testkit::RuleFolder folder;
    struct Kind {
        const char* extension;
        int set;
        bool wholePattern;
    } const kinds[] = {{"_spm", 13, false}, {"_avo", 1, false}, {"_file", 4, true}};
    int requests = 0;
    int caught = 0;
    int wide = 0;
    for (int round = 0; round < 80; ++round) {
        random.m_utf8 = random.Chance(4);
        std::vector<std::string> words;
        for (const Kind& kind : kinds) {
            std::string file;
            // Some sets large enough for many candidates at once.
            random.m_narrow = random.Chance(4);
            const int lines = random.m_narrow ? 64 + random.Pick(200) : 1 + random.Pick(40);
            for (int i = 0; i < lines; ++i) {
                const std::string line = random.Line(kind.wholePattern);
                file += line + "\n";
                words.push_back(line.substr(0, line.find_first_of("\4 ")));
            }
            folder.WriteRules(kind.extension, random.Encoded(file));
        }
        talvo::LoadAllRuleFiles();
        for (int i = 0; i < 400; ++i) {
            const Kind& kind = kinds[random.Pick(3)];
            const std::string text =
                random.Chance(3)
                    ? random.Text()
                    : random.Instance(words[static_cast<std::size_t>(random.Pick(static_cast<int>(words.size())))]);
            const int start = random.Chance(4) ? random.Pick(270) - 1 : 1;
            const std::string request =
                random.Encoded(std::to_string(kind.set) + " " + std::to_string(start) + " " + text);
            const testkit::ModeAnswers answers = AnswersAsSent(request);
            wide += talvo::CallText(request.c_str()).IsWide();
            ASSERT_TRUE(answers.Agree()) << '"' << request << "\": " << answers.Describe();
            ++requests;
            caught += answers.answers.front() > 0;
        }
    }
    talvo::FreeRuleStore();
    // The texts must exercise catching, not only the search for nothing.
    EXPECT_GT(caught, requests / 10) << caught << " of " << requests << " requests caught";
    std::printf("%d requests over random rule files, %d caught, %d in units\n", requests, caught, wide);
}

}  // namespace
