#include "predicates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using talvo::BothVowelPoor;
using talvo::CountVowels;
using talvo::HasCommonCluster;
using talvo::HasConsonantRun;
using talvo::HasNoCapitals;
using talvo::HasNoLowercase;
using talvo::HasNonLetter;
using talvo::HasTripleRepeat;
using talvo::IsAllDots;
using talvo::IsVowelPoor;

struct TextCase {
    const char* text;
    bool expected;
};

TEST(PredicatesTest, CountVowels) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {nullptr, -1}, {"", 0}, {"rhythm", 1}, {"AEIOU", 0}, {"aeiouy", 6}, {"bxkqwz", 0},
        {"\xe0\xe5y", 1},  // bytes above 127 are never vowels
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountVowels(c.text), c.expected) << (c.text ? c.text : "(null)");
    }
}

TEST(PredicatesTest, HasConsonantRun) {
    struct Case {
        const char* text;
        std::int32_t n;
        bool expected;
    };
    const Case cases[] = {
        {nullptr, 1, false},  {"", 0, false},        {"", 1, false},
        {"strength", 4, true}, {"strength", 5, false}, {"rhythm", 5, true},
        {"aeiou", 1, false},  {"aeiou", 0, false},   {"ab", 1, true},
        {"ab", -3, true},     {"AEIOU", 5, true},    {"bc aei 12", 3, true},
        {"bcabc", 3, false},  {"bcabcd", 3, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasConsonantRun(c.text, c.n), c.expected)
            << (c.text ? c.text : "(null)") << " n=" << c.n;
    }
}

TEST(PredicatesTest, HasTripleRepeat) {
    const TextCase cases[] = {
        {nullptr, true}, {"", false},     {"a", false},     {"aa", false},   {"aaa", true},
        {"aab", false},  {"AAa", false},  {"xyzzz", true},  {"xxyxx", false}, {"...", true},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(HasTripleRepeat(c.text), c.expected) << (c.text ? c.text : "(null)");
    }
}

TEST(PredicatesTest, IsVowelPoor) {
    struct Case {
        std::int32_t length;
        std::int32_t vowels;
        bool expected;
    };
    const Case cases[] = {
        {4, 0, true},  {4, 1, false},  {5, 1, true},   {5, 2, false}, {6, 2, true},
        {6, 3, false}, {7, 2, true},   {7, 3, false},  {8, 2, true},  {8, 3, false},
        {9, 3, true},  {9, 4, false},  {10, 3, true},  {10, 4, false}, {11, 3, true},
        {11, 4, false}, {12, 4, true}, {12, 5, false}, {3, 1, true},  {3, 2, false},
        {2, 0, true},  {2, 1, false},  {0, 0, true},   {0, -1, true}, {-4, -1, true},
        {-4, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsVowelPoor(c.length, c.vowels), c.expected)
            << "length=" << c.length << " vowels=" << c.vowels;
    }
}

TEST(PredicatesTest, BothVowelPoor) {
    struct Case {
        const char* first;
        const char* second;
        bool expected;
    };
    const Case cases[] = {
        {"bxkqae", "bxkqaezxvq", true},
        {"bxkqaei", "bxkqaeizxvq", false},
        {"bxkqwz", "bxkqwzaeiou", false},  // the second text decides
        {"", "", true},
        {nullptr, "abc", false},
        {"bxkq", nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BothVowelPoor(c.first, c.second), c.expected)
            << (c.first ? c.first : "(null)") << " / " << (c.second ? c.second : "(null)");
    }
}

TEST(PredicatesTest, HasCommonCluster) {
    const TextCase cases[] = {
        {nullptr, false},  {"", false},         {"thing", true},    {"Thing", true},
        {"night", true},   {"sorry", true},     {"splat", true},    {"abcde", false},
        {"xthkqzv", false},  // "th", but also a run of seven consonants
        {"thsplkq", false},  // the pair rule decides; "spl" is never consulted
        {"bxkqwaught", true}, {"bxkqwzzxvq", false}, {"NG", false}, {"phony", true},
        {"xyzrrybcdf", true},  // triples are not weighed against consonant runs
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(HasCommonCluster(c.text), c.expected) << (c.text ? c.text : "(null)");
    }
}

TEST(PredicatesTest, IsAllDots) {
    const TextCase cases[] = {
        {nullptr, false}, {"", true}, {".", true}, {"...", true}, {". .", false}, {"..x", false},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(IsAllDots(c.text), c.expected) << (c.text ? c.text : "(null)");
    }
}

TEST(PredicatesTest, LetterCaseAndNonLetters) {
    struct Case {
        const char* text;
        bool noCapitals;
        bool noLowercase;
        bool nonLetter;
    };
    const Case cases[] = {
        {nullptr, true, true, true},   {"", true, true, false},      {"123", true, true, true},
        {"abc", true, false, false},   {"ABC", false, true, false},  {"aBc", false, false, false},
        {"ab c", true, false, true},   {"abc1", true, false, true},  {"@[`{", true, true, true},
        {"\xc0\xe0", true, true, true},  // code page letters are not letters here
        {"abc\xff", true, false, true},
    };
    for (const Case& c : cases) {
        const std::string label = c.text ? c.text : "(null)";
        EXPECT_EQ(HasNoCapitals(c.text), c.noCapitals) << label;
        EXPECT_EQ(HasNoLowercase(c.text), c.noLowercase) << label;
        EXPECT_EQ(HasNonLetter(c.text), c.nonLetter) << label;
    }
}

}  // namespace
