#include "talvo/rules/rule_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_store.h"
#include "talvo/rules/tests/origins.h"
#include "testing/export_call.h"

namespace {

using Strings = std::vector<std::string>;

std::string LoadRulesAnswer() { return testkit::CallExport(LoadRules, ""); }

Strings Texts(const talvo::TokenNode* node) {
    Strings texts;
    for (; node != nullptr; node = node->next) {
        texts.emplace_back(node->text);
    }
    return texts;
}

// Each entry of a set as its words, then "|", then its exception groups.
std::vector<Strings> Entries(std::int32_t set) {
    std::vector<Strings> entries;
    const talvo::RuleSnapshot store = talvo::CurrentRuleStore();
    for (talvo::RuleRecord** record = store->sets[set]; *record != nullptr; ++record) {
        Strings entry = Texts((*record)->words);
        entry.push_back("|");
        for (const talvo::RuleGroup* group = (*record)->exceptions; group != nullptr; group = group->next) {
            entry.push_back(group->text);
        }
        entries.push_back(entry);
    }
    return entries;
}

TEST(RuleFiles, ReadRuleFileCutsPieces) {
    const std::string x512(512, 'x');
    struct Case {
        std::string bytes;
        Strings pieces;
    } cases[] = {
        {"a\n\nb\n", {"a", "\n", "b"}},  // a blank line stays an entry holding a line feed
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb\r", {"a", "\n", "b"}},
        {"a\rb\n", {"ab"}},
        {"a\n\x1A" "b\n", {"a"}},
        {"ab\x1A" "cd\n", {"ab"}},
        {std::string(600, 'y') + "\n", {std::string(512, 'y'), std::string(88, 'y')}},
        {x512 + "\n", {x512, "\n"}},
        {std::string(511, 'z') + "\r\n", {std::string(511, 'z')}},  // a dropped CR takes no room
        {std::string("ab\0cd\nef\n", 9), {"ab", "ef"}},
        {"", {}},
        {"\4\4\n", {"\4\4"}},
        // CR, LF and Ctrl-Z past the first 16 bytes of a line
        {std::string(20, 'c') + "\r" + std::string(20, 'd') + "\n" + std::string(33, 'e') + "\x1A\n",
         {std::string(20, 'c') + std::string(20, 'd'), std::string(33, 'e')}},
    };
    testkit::RuleFolder folder;
    for (const Case& c : cases) {
        folder.Write("rules.txt", c.bytes);
        talvo::RulePieces pieces;
        talvo::ReadRuleFile("rules.txt", &pieces);
        EXPECT_EQ(PieceStrings(pieces), c.pieces) << c.bytes;
    }
    talvo::RulePieces pieces;
    pieces.emplace_back("kept", 4);
    talvo::ReadRuleFile("missing.txt", &pieces);
    talvo::ReadRuleFile(".", &pieces);
    EXPECT_EQ(PieceStrings(pieces), Strings{"kept"});
    EXPECT_EQ(talvo::RuleFilePath("_alt"), "Talvo/Rules/Talvo._alt");
}

TEST(RuleFiles, ReadRuleFileTellsWhereEachPieceCameFrom) {
    const std::string x512(512, 'x');
    struct Case {
        std::string bytes;
        std::string origins;
        std::int32_t ignoredFromLine;
    } cases[] = {
        {"a\n\nb\n", "1 2 3", 0},
        {"a\r\nb", "1 2", 0},
        {std::string(1100, 'y') + "\nz\n", "1s 1s 1 2", 0},
        {x512 + "\n", "1s 1", 0},             // the line feed is a piece of its own
        {x512, "1", 0},                        // nothing of the line follows
        {x512 + "\r\x1A", "1", 0},
        {std::string(511, 'z') + "\r\n", "1", 0},
        {std::string("ab\0cd\n\0\nef", 10), "1n 2n 3", 0},
        {"a\nb\x1A", "1 2", 0},              // a last Ctrl-Z ignores nothing
        {"a\nb\x1A\r\n", "1 2", 2},
        {"a\n\x1A" "b\n", "1", 2},
        {"\x1A" "b", "", 1},
        {"", "", 0},
    };
    testkit::RuleFolder folder;
    for (const Case& c : cases) {
        folder.Write("rules.txt", c.bytes);
        talvo::RulePieces pieces;
        talvo::RuleFileReading reading;
        reading.ignoredFromLine = 99;
        talvo::ReadRuleFile("rules.txt", &pieces, &reading);
        EXPECT_TRUE(reading.found);
        EXPECT_EQ(Origins(reading), c.origins) << c.bytes;
        EXPECT_EQ(reading.origins.size(), pieces.size()) << c.bytes;
        EXPECT_EQ(reading.ignoredFromLine, c.ignoredFromLine) << c.bytes;
        EXPECT_EQ(reading.encoding, talvo::RuleFileEncoding::Cp1251);
    }
    talvo::RuleFileReading reading;
    reading.found = true;
    talvo::RulePieces pieces;
    talvo::ReadRuleFile("missing.txt", &pieces, &reading);
    EXPECT_FALSE(reading.found);
    EXPECT_TRUE(reading.origins.empty());
}

TEST(RuleFiles, EachKindMakesItsRecords) {
    testkit::RuleFolder folder;
    folder.WriteRules("_cur",  // pattern kind, set 3
                      "*free* *offer*\4*not* *free*@*xyz*\n\4\4pat\4-\4ignored\npat\4 -\n\4\4\4\n   \4a b\n\n");
    folder.WriteRules("_avo",  // address kind, set 1
                      "bob\nb?b\nbob jim\na.b\nx!y\n*z\nu@h\n   \n\4\4\nbob\4-\nbob \n");
    folder.WriteRules("_file", "a file  name  \4ignored\n\4\4\n");  // whole-pattern kind, set 4
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 19");
    EXPECT_EQ(Entries(3), (std::vector<Strings>{{"*free*", "*offer*", "|", "*not* *free*", "*xyz*"},
                                                {"pat", "|"},
                                                {"pat", "|", " -"},
                                                {"|"},
                                                {"|", "a b"},
                                                {"\n", "|"}}));
    EXPECT_EQ(Entries(1), (std::vector<Strings>{{"bob!*", "|"}, {"b?b!*", "|"}, {"bob", "jim!*", "|"},
                                                {"a.b", "|"}, {"x!y", "|"}, {"*z", "|"}, {"u@h", "|"},
                                                {"!*", "|"}, {"|"}, {"bob!*", "|"}, {"bob", "!*", "|"}}));
    EXPECT_EQ(Entries(4), (std::vector<Strings>{{"a file  name  ", "|"}, {"", "|"}}));

    folder.WriteRules("_avo", "");
    folder.WriteRules("_file", "only\n");
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 7") << "every pass counts from 0";
}

TEST(RuleFiles, NoRuleFilesGiveEmptySets) {
    testkit::RuleFolder folder;
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 0");
    const talvo::RuleSnapshot store = talvo::CurrentRuleStore();
    for (int set = 0; set < talvo::kRuleSetSlots; ++set) {
        const talvo::RuleSet rules = store->sets[set];
        EXPECT_EQ(rules == nullptr, set == 6) << set;
        EXPECT_TRUE(rules == nullptr || rules[0] == nullptr) << set;
    }
    talvo::FreeRuleStore();
}

}  // namespace
