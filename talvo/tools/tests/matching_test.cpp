#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "talvo/tools/byte_scan.h"
#include "talvo/tools/tools.h"
#include "talvo/tools/wild_match.h"

namespace {

using Tools::Talvo_StrScan;
using Tools::Talvo_TestByMask;
using Tools::Talvo_TestWildStr;
using Tools::Talvo_TestWildText;

TEST(Matching, WildcardMatchers) {
    struct Case {
        std::string text;
        std::string mask;
        bool exact;      // Talvo_TestWildStr
        bool caseBlind;  // Talvo_TestWildText
    } cases[] = {
        {"", "", false, false}, {"", "?", false, false}, {"", "*", true, true},
        {"anything", "*", true, true}, {"anything", "***", true, true}, {"", "**", true, true},
        {"prefix and more", "prefix*", true, true}, {"prefi", "prefix*", false, false},
        {"some suffix", "*suffix", true, true}, {"abc", "a?c", true, true}, {"aXc", "a?c", true, true},
        {"ac", "a?c", false, false}, {"abbc", "a?c", false, false}, {"ab", "ab*b", false, false},
        {"abb", "ab*b", true, true}, {"aXbYbZc", "a*b*c", true, true}, {"abc", "ABC", false, true},
        {"ABC", "a*C", false, true}, {"*", "?", true, true}, {"?", "*", true, true},
        {"a", "?", true, true}, {"ab", "?", false, false}, {"x free y", "*free*", true, true},
        {"x FrEe y", "*free*", false, true}, {"buy cheap pills", "*c?eap*pills*", true, true},
        {"pills cheap", "*c?eap*pills*", false, false},
        {"aaa", "*aa*aa*", false, false},  // segments may not overlap
        {"aaaa", "*aa*aa*", true, true}, {"xabcabd", "*abd", true, true}, {"ab", "*a*b*", true, true},
        {std::string("a\0b", 3), "a?b", true, true},  // NUL is an ordinary byte
        {std::string("a\0b", 3), "a*", true, true}, {"a", std::string("a\0", 2), false, false},
        {"\xC0\xE1\xC2", "\xE0\xC1\xE2", false, true},  // Cyrillic pairs
        {"\xB8", "\xA8", false, true}, {"\xB5", "\x95", false, false},
        {"\xB5", "\xB5", true, true},  // no partner: itself only
        {"x\xBC" "y", "*\xA3*", false, true},  // partner found by the segment search
        {"bob!x", "bob!*", true, true}, {"Bob!x", "bob!*", false, true}, {"bobby!x", "bob!*", false, false},
        {"hello ", "hello", false, false}, {"hello ", "hello*", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Talvo_TestWildStr(c.text, c.mask), c.exact) << '"' << c.text << "\" ~ \"" << c.mask << '"';
        EXPECT_EQ(Talvo_TestWildText(c.text, c.mask), c.caseBlind) << '"' << c.text << "\" ~ \"" << c.mask << '"';
    }
}

TEST(Matching, CaseRuleForEveryPairOfBytes) {
    // Through every path: whole-mask comparison, head, middle segment, tail.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            if (b == '*' || b == '?') {
                continue;
            }
            const std::string text(1, static_cast<char>(a));
            const std::string m(1, static_cast<char>(b));
            const bool same = Tools::ToUpperChars[a] == Tools::ToUpperChars[b];
            const std::string fill(2, b == 1 ? '\2' : '\1');  // agrees with no mask byte
            ASSERT_EQ(Talvo_TestWildText(text, m), same) << a << ' ' << b;
            ASSERT_EQ(Talvo_TestWildText(text, m + "*"), same) << a << ' ' << b;
            ASSERT_EQ(Talvo_TestWildText(fill + text + fill, "*" + m + "*"), same) << a << ' ' << b;
            ASSERT_EQ(Talvo_TestWildText(text, "*" + m), same) << a << ' ' << b;
            ASSERT_EQ(Talvo_TestWildStr(fill + text + fill, "*" + m + "*"), a == b) << a << ' ' << b;
        }
    }
}

// Whole-text wildcard matching by dynamic programming over (text, mask)
// prefixes; the empty mask matches nothing.
bool Reference(const std::string& text, const std::string& mask) {
    if (mask.empty()) {
        return false;
    }
    std::vector<std::vector<bool>> fits(text.size() + 1, std::vector<bool>(mask.size() + 1, false));
    fits[0][0] = true;
    for (std::size_t j = 1; j <= mask.size(); ++j) {
        fits[0][j] = fits[0][j - 1] && mask[j - 1] == '*';
    }
    for (std::size_t i = 1; i <= text.size(); ++i) {
        for (std::size_t j = 1; j <= mask.size(); ++j) {
            const char m = mask[j - 1];
            fits[i][j] = m == '*' ? fits[i][j - 1] || fits[i - 1][j]
                                  : fits[i - 1][j - 1] && (m == '?' || m == text[i - 1]);
        }
    }
    return fits[text.size()][mask.size()];
}

std::string Upper(std::string text) {
    for (char& byte : text) {
        byte = static_cast<char>(Tools::ToUpperChars[static_cast<unsigned char>(byte)]);
    }
    return text;
}

std::u32string Widened(const std::string& bytes) {
    std::u32string units;
    for (const char byte : bytes) units += static_cast<char32_t>(static_cast<unsigned char>(byte));
    return units;
}

TEST(Matching, AgreesWithFullBacktrackingOnRandomMasks) {
    std::mt19937 random(20240607);
    // Short texts reach every branch; long ones the many-places-at-once search.
    const std::string textBytes = "abAB\xE0\xC0";
    const std::string maskBytes = "ab*?AB\xE0";
    for (int round = 0; round < 100000; ++round) {
        const bool longText = round % 4 == 0;
        std::string text;
        std::string mask;
        for (int i = static_cast<int>(random() % (longText ? 60 : 9)); i > 0; --i) {
            text += textBytes[random() % (round % 2 ? 2 : textBytes.size())];
        }
        for (int i = static_cast<int>(random() % (longText ? 10 : 7)); i > 0; --i) {
            mask += maskBytes[random() % (round % 2 ? 4 : maskBytes.size())];
        }
        if (round % 8 == 0) {
            mask = "*" + mask + "*";
        }
        ASSERT_EQ(Talvo_TestWildStr(text, mask), Reference(text, mask)) << text << " ~ " << mask;
        ASSERT_EQ(Talvo_TestWildText(text, mask), Reference(Upper(text), Upper(mask))) << text << " ~ " << mask;
        // The same characters as 32-bit units, on either side or both: the
        // wide path answers as the byte path does.
        const std::u32string wideText = Widened(text);
        const std::u32string wideMask = Widened(mask);
        const bool bytes = Talvo_TestWildText(text, mask);
        ASSERT_EQ(Tools::MatchWild<Tools::BlindCase>(std::u32string_view(wideText), std::u32string_view(wideMask)),
                  bytes) << text << " ~ " << mask;
        ASSERT_EQ(Tools::MatchWild<Tools::BlindCase>(std::u32string_view(wideText), std::string_view(mask)), bytes);
        ASSERT_EQ(Tools::MatchWild<Tools::BlindCase>(std::string_view(text), std::u32string_view(wideMask)), bytes);
    }
}

TEST(Matching, TestByMask) {
    struct Case {
        std::string text;
        std::string mask;
        bool fits;
    } cases[] = {
        {"", "", false},        {"a", "", false},       {"", "#", false},
        {"ab12", "ab##", true}, {"ab1", "ab##", false}, {"ab123", "ab##", false},
        {"xb12", "ab##", false}, {"AB12", "ab##", false}, {"####", "ab##", false},
        {"a?c", "a?c", true},   {"abc", "a?c", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Talvo_TestByMask(c.text, c.mask, '#'), c.fits) << c.text << " / " << c.mask;
    }
}

TEST(Matching, StrScan) {
    struct Case {
        std::string text;
        char byte;
        std::int32_t start;
        std::int32_t position;
    } cases[] = {
        {"", 'a', 1, 0},      {"abca", 'a', 1, 1}, {"abca", 'a', 2, 4}, {"abca", 'a', 4, 4},
        {"abcb", 'a', 4, 0},  {"abca", 'a', 5, 0}, {"abca", 'z', 1, 0}, {"abca", 'c', 0, 3},
        {"abca", 'a', -9, 1}, {std::string("x\0y", 3), '\0', 1, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Talvo_StrScan(c.text, static_cast<std::uint8_t>(c.byte), c.start), c.position)
            << c.text << " '" << c.byte << "' from " << c.start;
    }
}

// The scanner's sixteen-place blocks must give the place a one-by-one walk
// gives; that walk is also all a build without SSE2 runs. Bytes are drawn
// from a small alphabet with high bytes, so hits land in blocks, in the tail
// and nowhere, at every offset of a block.
TEST(ByteScan, BlocksAgreeWithOneByOne) {
    std::mt19937 random(20261208);
    const std::string alphabet = std::string("abAB*?\x80\xFF\x00", 9);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 70);
    constexpr std::size_t padding = 24;  // beyond the farthest anchor below
    auto walk = [](const char* data, std::size_t places, const auto& test) {
        std::size_t at = 0;
        while (at < places && !test.One(data + at)) {
            ++at;
        }
        return at;
    };
    const Tools::AnyOf stars('*', '?', '*');
    const Tools::AnyOf four('a', 'B', '\0', '*');
    const Tools::HighByte high;
    const Tools::TwoAnchors pair({0, 'a', 'A'}, {3, 'b', 'B'});
    const Tools::TwoAnchors far({2, '*', '*'}, {7, '\x80', '\xFF'});
    for (int round = 0; round < 3000; ++round) {
        const std::size_t places = length(random);
        std::string data(places + padding, ' ');
        // A third of the texts are sparse, so whole blocks pass without a hit.
        const bool sparse = round % 3 == 0;
        for (char& byte : data) {
            byte = sparse && random() % 8 != 0 ? 'z' : alphabet[pick(random)];
        }
        const char* at = data.data();
        EXPECT_EQ(Tools::FirstPlace(at, places, stars), walk(at, places, stars)) << round;
        EXPECT_EQ(Tools::FirstPlace(at, places, four), walk(at, places, four)) << round;
        EXPECT_EQ(Tools::FirstPlace(at, places, high), walk(at, places, high)) << round;
        EXPECT_EQ(Tools::FirstPlace(at, places, pair), walk(at, places, pair)) << round;
        EXPECT_EQ(Tools::FirstPlace(at, places, far), walk(at, places, far)) << round;
    }
}

}  // namespace
