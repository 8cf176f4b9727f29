#include "rule_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host.h"
#include "rule_store.h"
#include "scoped_temp_folder.h"

namespace {

using Strings = std::vector<std::string>;

std::string LoadRulesAnswer() {
    std::string buffer(TALVO_CLASSIC_BUFFER_SIZE, 'Q');
    buffer[0] = '\0';
    EXPECT_EQ(LoadRules(nullptr, nullptr, buffer.data(), nullptr, 0, 0), 2);
    return buffer.c_str();
}

Strings Texts(const talvo::TokenNode* node) {
    Strings texts;
    for (; node != nullptr; node = node->next) {
        texts.emplace_back(node->text);
    }
    return texts;
}

struct Entry {
    Strings words;
    Strings exceptions;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(std::int32_t set) {
    std::vector<Entry> entries;
    for (talvo::RuleRecord** record = talvo::TheRuleStore().sets[set]; *record != nullptr; ++record) {
        entries.push_back({Texts((*record)->words), Texts((*record)->exceptions)});
    }
    return entries;
}

TEST(RuleFiles, PathsUseThePlatformSeparator) {
    EXPECT_EQ(talvo::RuleFilePath("_alt"), "Talvo/Rules/Talvo._alt");
    ASSERT_EQ(std::size(talvo::kRuleFiles), 15u);
    for (const talvo::RuleFileRow& row : talvo::kRuleFiles) {
        EXPECT_NE(row.set, 6);
    }
}

TEST(RuleFiles, ReadRuleFileCutsPieces) {
    const std::string x512(512, 'x');
    struct Case {
        const char* name;
        std::string bytes;
        Strings pieces;
    } cases[] = {
        {"blank middle line", "a\n\nb\n", {"a", "\n", "b"}},
        {"last line without LF", "a\nb", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"CR inside a line", "a\rb\n", {"ab"}},
        {"Ctrl-Z ends the file", "a\n\x1A" "b\n", {"a"}},
        {"Ctrl-Z inside a line", "ab\x1A" "cd\n", {"ab"}},
        {"600-byte line", std::string(600, 'y') + "\n", {std::string(512, 'y'), std::string(88, 'y')}},
        {"512 bytes and LF", x512 + "\n", {x512, "\n"}},
        {"CR not counted", std::string(511, 'z') + "\r\n", {std::string(511, 'z')}},
        {"NUL ends the text", std::string("ab\0cd\nef\n", 9), {"ab", "ef"}},
        {"empty file", "", {}},
        {"lone LF", "\n", {"\n"}},
        {"byte 4 only", "\4\4\n", {"\4\4"}},
    };
    talvo_test::ScopedTempFolder folder;
    for (const Case& c : cases) {
        folder.Write("rules.txt", c.bytes);
        Strings pieces;
        talvo::ReadRuleFile("rules.txt", &pieces);
        EXPECT_EQ(pieces, c.pieces) << c.name;
    }
    Strings pieces{"kept"};
    talvo::ReadRuleFile("missing.txt", &pieces);
    talvo::ReadRuleFile(".", &pieces);  // a folder reads as nothing
    EXPECT_EQ(pieces, Strings{"kept"});
}

TEST(RuleFiles, EachKindMakesItsRecords) {
    talvo_test::ScopedTempFolder folder;
    folder.WriteRules("_cur",  // pattern kind, set 3
                      "*free* *offer*\4*not* *free*@*xyz*\n"
                      "\4\4pat\4-\4ignored\n"
                      "pat\4 -\n"
                      "\4\4\4\n"
                      "   \4a b\n"
                      "\n");
    folder.WriteRules("_avo",  // address kind, set 1
                      "bob\nb?b\nbob jim\na.b\nx!y\n*z\nu@h\n   \n\4\4\nbob\4-\nbob \n");
    folder.WriteRules("_file", "a file  name  \4ignored\n\4\4\n");  // whole-pattern kind, set 4
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 19");

    const std::vector<Entry> pattern{
        {{"*free*", "*offer*"}, {"*not* *free*", "*xyz*"}},
        {{"pat"}, {}},
        {{"pat"}, {" -"}},
        {{}, {}},
        {{}, {"a b"}},
        {{"\n"}, {}},
    };
    EXPECT_EQ(Entries(3), pattern);
    const std::vector<Entry> address{
        {{"bob!*"}, {}}, {{"b?b!*"}, {}}, {{"bob", "jim!*"}, {}}, {{"a.b"}, {}}, {{"x!y"}, {}},
        {{"*z"}, {}},    {{"u@h"}, {}},   {{"!*"}, {}},           {{}, {}},      {{"bob!*"}, {}},
        {{"bob", "!*"}, {}},
    };
    EXPECT_EQ(Entries(1), address);
    const std::vector<Entry> whole{{{"a file  name  "}, {}}, {{""}, {}}};
    EXPECT_EQ(Entries(4), whole);
    EXPECT_EQ(talvo::TheRuleStore().sets[6], nullptr);

    folder.WriteRules("_avo", "");
    folder.WriteRules("_file", "only\n");
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 7") << "every pass counts from 0";
}

TEST(RuleFiles, NoRuleFilesGiveEmptySets) {
    talvo_test::ScopedTempFolder folder;
    EXPECT_EQ(LoadRulesAnswer(), "var %match = 0");
    for (int set = 0; set < talvo::kRuleSetSlots; ++set) {
        if (set == 6) {
            EXPECT_EQ(talvo::TheRuleStore().sets[set], nullptr);
        } else {
            ASSERT_NE(talvo::TheRuleStore().sets[set], nullptr) << set;
            EXPECT_EQ(talvo::TheRuleStore().sets[set][0], nullptr) << set;
        }
    }
    talvo::FreeRuleStore();
}

}  // namespace
