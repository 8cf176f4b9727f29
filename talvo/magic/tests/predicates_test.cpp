#include "talvo/magic/predicates.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace talvo;

const char* Shown(const char* text) { return text ? text : "(null)"; }

// The one-text yes/no tests, a row per edge case, a null text in each group.
TEST(PredicatesTest, OneTextTests) {
    struct Case {
        const char* name;
        bool (*test)(const char*);
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"HasTripleRepeat", HasTripleRepeat, nullptr, true},
        {"HasTripleRepeat", HasTripleRepeat, "", false},
        {"HasTripleRepeat", HasTripleRepeat, "aa", false},
        {"HasTripleRepeat", HasTripleRepeat, "aaa", true},
        {"HasTripleRepeat", HasTripleRepeat, "aab", false},
        {"HasTripleRepeat", HasTripleRepeat, "AAa", false},
        {"HasTripleRepeat", HasTripleRepeat, "xyzzz", true},
        {"HasCommonCluster", HasCommonCluster, nullptr, false},
        {"HasCommonCluster", HasCommonCluster, "thing", true},
        {"HasCommonCluster", HasCommonCluster, "Thing", true},
        {"HasCommonCluster", HasCommonCluster, "night", true},
        {"HasCommonCluster", HasCommonCluster, "sorry", true},
        {"HasCommonCluster", HasCommonCluster, "splat", true},
        {"HasCommonCluster", HasCommonCluster, "abcde", false},
        {"HasCommonCluster", HasCommonCluster, "NG", false},
        {"HasCommonCluster", HasCommonCluster, "xthkqzv", false},     // "th" beaten by the run
        {"HasCommonCluster", HasCommonCluster, "thsplkq", false},     // "spl" never consulted
        {"HasCommonCluster", HasCommonCluster, "xyzrrybcdf", true},   // triples ignore runs
        {"IsAllDots", IsAllDots, nullptr, false},
        {"IsAllDots", IsAllDots, "", true},
        {"IsAllDots", IsAllDots, "...", true},
        {"IsAllDots", IsAllDots, ". .", false},
        {"HasNoCapitals", HasNoCapitals, nullptr, true},
        {"HasNoCapitals", HasNoCapitals, "", true},
        {"HasNoCapitals", HasNoCapitals, "123", true},
        {"HasNoCapitals", HasNoCapitals, "abcZ", false},
        {"HasNoCapitals", HasNoCapitals, "\xc0@[", true},
        {"HasNoLowercase", HasNoLowercase, nullptr, true},
        {"HasNoLowercase", HasNoLowercase, "", true},
        {"HasNoLowercase", HasNoLowercase, "123", true},
        {"HasNoLowercase", HasNoLowercase, "ABCz", false},
        {"HasNoLowercase", HasNoLowercase, "\xe0`{", true},
        {"HasNonLetter", HasNonLetter, nullptr, true},
        {"HasNonLetter", HasNonLetter, "", false},
        {"HasNonLetter", HasNonLetter, "abcXYZ", false},
        {"HasNonLetter", HasNonLetter, "ab c", true},
        {"HasNonLetter", HasNonLetter, "abc1", true},
        {"HasNonLetter", HasNonLetter, "ab\xe0", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.test(c.text), c.expected) << c.name << "(" << Shown(c.text) << ")";
    }
}

TEST(PredicatesTest, VowelCountsAndRuns) {
    struct Case {
        const char* text;
        std::int32_t vowels;
        std::int32_t n;
        bool run;
    };
    const Case cases[] = {
        {nullptr, -1, 1, false}, {"", 0, 0, false},     {"rhythm", 1, 5, true},  {"AEIOU", 0, 5, true},
        {"strength", 1, 4, true}, {"strength", 1, 5, false}, {"aeiouy", 6, 1, true}, {"aeiou", 5, 0, false},
        {"ab", 1, -3, true},     {"bcabc", 1, 3, false}, {"\xe0\xe5y", 1, 3, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountVowels(c.text), c.vowels) << Shown(c.text);
        EXPECT_EQ(HasConsonantRun(c.text, c.n), c.run) << Shown(c.text) << " n=" << c.n;
    }
}

TEST(PredicatesTest, VowelAllowance) {
    struct Case {
        std::int32_t length;
        std::int32_t vowels;
        bool expected;
    };
    const Case cases[] = {
        {4, 0, true},   {4, 1, false},  {5, 1, true},   {5, 2, false},  {6, 2, true},  {6, 3, false},
        {7, 2, true},   {7, 3, false},  {8, 3, false},  {9, 3, true},   {9, 4, false}, {10, 3, true},
        {10, 4, false}, {11, 3, true},  {11, 4, false}, {12, 4, true},  {12, 5, false}, {3, 1, true},
        {2, 0, true},   {2, 1, false},  {0, 0, true},   {0, -1, true},  {-4, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsVowelPoor(c.length, c.vowels), c.expected) << c.length << ", " << c.vowels;
    }
    EXPECT_TRUE(BothVowelPoor("bxkqae", "bxkqaezxvq"));
    EXPECT_FALSE(BothVowelPoor("bxkqaei", "bxkqaeizxvq"));
    EXPECT_FALSE(BothVowelPoor("bxkqwz", "bxkqwzaeiou"));  // the second text decides
    EXPECT_FALSE(BothVowelPoor(nullptr, "bxkq"));
    EXPECT_FALSE(BothVowelPoor("bxkq", nullptr));
}

}  // namespace
