// Rule files in code page 1251, UTF-8 (with and without its mark) and UTF-16,
// and texts in code page 1251 and UTF-8: the same characters give the same
// entries and the same answers whatever they were sent in.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "talvo/frame/encoding.h"
#include "talvo/frame/host.h"
#include "talvo/rules/rule_files.h"
#include "talvo/rules/rule_store.h"
#include "talvo/rules/unit_matching.h"
#include "talvo/tools/tools.h"
#include "talvo/rules/tests/origins.h"
#include "testing/export_call.h"

namespace {

using namespace std::string_literals;
using talvo::RuleFileEncoding;
using testkit::CallExport;

constexpr RuleFileEncoding kAllEncodings[] = {RuleFileEncoding::Cp1251, RuleFileEncoding::Utf8,
                                              RuleFileEncoding::Utf8Bom, RuleFileEncoding::Utf16Le,
                                              RuleFileEncoding::Utf16Be};

// `utf8` written in `encoding`, UTF-16 with its mark; none when code page 1251
// lacks a character of it.
std::optional<std::string> Encoded(std::string_view utf8, RuleFileEncoding encoding) {
    std::string out;
    switch (encoding) {
        case RuleFileEncoding::Cp1251: break;
        case RuleFileEncoding::Utf8: return std::string(utf8);
        case RuleFileEncoding::Utf8Bom: return "\xEF\xBB\xBF" + std::string(utf8);
        case RuleFileEncoding::Utf16Le: out = "\xFF\xFE"; break;
        case RuleFileEncoding::Utf16Be: out = "\xFE\xFF"; break;
    }
    for (std::size_t position = 0; position < utf8.size();) {
        const char32_t codePoint = talvo::ReadUtf8(utf8, position);
        if (encoding != RuleFileEncoding::Cp1251) {
            talvo::AppendUtf16(codePoint, encoding == RuleFileEncoding::Utf16Be, out);
        } else if (const talvo::Unit unit = talvo::UnitOfCodePoint(codePoint); unit < talvo::kFirstWideUnit) {
            out += static_cast<char>(unit);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(RuleFileEncodings, ReadingFindsTheEncodingAndCutsCharacters) {
    const std::string zh = "\xD0\xB6";  // "ж"
    struct Case {
        std::string bytes;
        RuleFileEncoding encoding;
        std::vector<std::string> pieces;  // code page 1251 bytes, UTF-8 for decoded files
        std::string origins;
        int ignoredFromLine;
    } cases[] = {
        {"a\n\nb", RuleFileEncoding::Cp1251, {"a", "\n", "b"}, "1 2 3", 0},
        {"a\r\nb\x1A" "c\nd", RuleFileEncoding::Cp1251, {"a", "b"}, "1 2", 2},
        {"ab\x1A", RuleFileEncoding::Cp1251, {"ab"}, "1", 0},
        {"x\0y\n"s, RuleFileEncoding::Cp1251, {"x"}, "1n", 0},
        {"\xEF\xF0\xE8\n", RuleFileEncoding::Cp1251, {"\xEF\xF0\xE8"}, "1", 0},
        {"", RuleFileEncoding::Cp1251, {}, "", 0},
        {"\xEF\xBB\xBF*\xD0\xBA\xD0\xBE\xD1\x82*\r\n", RuleFileEncoding::Utf8Bom, {"*\xD0\xBA\xD0\xBE\xD1\x82*"}, "1", 0},
        {"\xEF\xBB\xBF" "a\xFF" "b\xE2\x82\n", RuleFileEncoding::Utf8Bom, {"a\xEF\xBF\xBD" "b\xEF\xBF\xBD"}, "1", 0},
        {"\xD0\xBF\n\xD0\xB8", RuleFileEncoding::Utf8, {"\xD0\xBF", "\xD0\xB8"}, "1 2", 0},
        {Repeat(zh, 700), RuleFileEncoding::Utf8, {Repeat(zh, 512), Repeat(zh, 188)}, "1s 1", 0},
        {Repeat(zh, 512) + "\nz", RuleFileEncoding::Utf8, {Repeat(zh, 512), "\n", "z"}, "1s 1 2", 0},
        {*Encoded("a\r\nb\0c\n\x1A" "d"s, RuleFileEncoding::Utf16Le), RuleFileEncoding::Utf16Le, {"a", "b"}, "1 2n", 3},
        {*Encoded("\xC3\xBC", RuleFileEncoding::Utf16Be), RuleFileEncoding::Utf16Be, {"\xC3\xBC"}, "1", 0},
        {"\xFF\xFE" "ab", RuleFileEncoding::Utf16Le, {"\xE6\x89\xA1"}, "1", 0},  // the mark decides
    };
    for (const Case& c : cases) {
        talvo::RulePieces pieces;
        talvo::RuleFileReading reading;
        talvo::ReadRuleBytes(c.bytes, &pieces, &reading);
        EXPECT_TRUE(reading.found);
        EXPECT_EQ(reading.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(PieceStrings(pieces), c.pieces) << c.bytes;
        EXPECT_EQ(Origins(reading), c.origins) << c.bytes;
        EXPECT_EQ(reading.ignoredFromLine, c.ignoredFromLine) << c.bytes;
    }
}

// The same rules, in every encoding that can hold them, answer the same text
// in code page 1251 and in UTF-8 alike.
TEST(RuleFileEncodings, SameCharactersSameAnswers) {
    const std::string zh = "\xD0\xB6", ZH = "\xD0\x96";  // "ж", "Ж"
    const char* const kPairs = "о\nп\nв\nи\nü\nø\n";
    struct Case {
        std::string rules;  // UTF-8, set 13 unless `extension` says
        std::string text;   // UTF-8
        int answer;
        const char* extension = "_spm";
    } cases[] = {
        {"*кот*", "у меня КОТ", 1},
        {"*кот*", "у меня кнт", 0},
        // Second bytes of UTF-8 letters that the case table would pair.
        {kPairs, "н", 0}, {kPairs, "Я", 0}, {kPairs, "г", 0}, {kPairs, "Ш", 0}, {kPairs, "ã", 0}, {kPairs, "è", 0},
        {kPairs, "О", 1}, {kPairs, "П", 2}, {kPairs, "В", 3}, {kPairs, "И", 4}, {kPairs, "ü", 5}, {kPairs, "ø", 6},
        {"ü", "Ü", 0},  // outside the code page: equal only to itself
        {"ё\nЁ\nї", "Ї", 3},
        {"a?b", "a😀b", 1}, {"a??b", "a😀b", 0}, {"?", "😀", 1}, {"😀", "😁", 0},
        {"*😀*", "x😀y", 1}, {"x*y", "x😀y", 1}, {"*😀*", "x?y", 0},
        {"*free*\4*😀*", "free 😀", 0}, {"*free*\4*😀*", "free", 1},
        {"hello\nworld", "hello", 1},  // the first rule after a mark
        {"bøb", "BØB!x", 0, "_avo"}, {"bøb", "bøb!x", 1, "_avo"}, {"кот", "КОТ!x", 1, "_avo"},
        {Repeat(zh, 700), Repeat(ZH, 188), 2},  // pieces of 512 characters
        {Repeat(zh, 700), Repeat(zh, 512), 1},
    };
    testkit::RuleFolder folder;
    for (const Case& c : cases) {
        const std::string set = c.extension == std::string("_avo") ? "1" : "13";
        std::optional<int> entries;
        for (const RuleFileEncoding encoding : kAllEncodings) {
            const std::optional<std::string> file = Encoded(c.rules, encoding);
            if (!file) continue;
            folder.WriteRules(c.extension, *file);
            const std::string loaded = CallExport(LoadRules, "");
            EXPECT_EQ(loaded, CallExport(LoadRules, "")) << c.rules;
            if (!entries) entries = std::stoi(loaded.substr(13));
            EXPECT_EQ(loaded, testkit::AnswerFor(*entries)) << c.rules << " in encoding " << int(encoding);
            for (const RuleFileEncoding textEncoding : {RuleFileEncoding::Cp1251, RuleFileEncoding::Utf8}) {
                const std::optional<std::string> text = Encoded(c.text, textEncoding);
                if (!text) continue;
                EXPECT_EQ(CallExport(RuleFilter, set + " 1 " + *text), testkit::AnswerFor(c.answer))
                    << c.rules << " / " << c.text << ": rules in " << int(encoding) << ", text in " << int(textEncoding);
            }
        }
        folder.WriteRules(c.extension, "");
    }
    // A broken sequence in a marked file is one character outside the code page.
    folder.WriteRules("_spm", "\xEF\xBB\xBF" "a\xFF" "b\n");
    EXPECT_EQ(CallExport(LoadRules, ""), testkit::AnswerFor(1));
    EXPECT_EQ(CallExport(RuleFilter, "13 1 a\xEF\xBF\xBD" "b"), testkit::AnswerFor(1));
    EXPECT_EQ(CallExport(RuleFilter, "13 1 a\xD1\x8F" "b"), testkit::AnswerFor(0));
    talvo::FreeRuleStore();
}

// ---- Random rule files and texts ---------------------------------------------

std::map<std::string, std::string> g_files;

bool FromMemory(const char* path, std::string_view* bytes) {
    const auto file = g_files.find(path);
    if (file == g_files.end()) return false;
    *bytes = file->second;
    return true;
}

// Characters without a case partner that stand in for ones outside the code
// page: '#' for an emoji, '%' for ü. Each equals only itself either way.
std::string Widened(std::string_view cp1251) {
    std::string out;
    for (const char byte : cp1251) {
        out += byte == '#' ? "😀" : byte == '%' ? "ü" : talvo::Utf8FromCp1251(std::string_view(&byte, 1));
    }
    return out;
}

std::string RandomBytes(std::mt19937& random, std::string_view alphabet, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out += alphabet[random() % alphabet.size()];
    return out;
}

TEST(RuleFileEncodings, RandomFilesAndTextsAnswerAlikeInEveryEncoding) {
    const std::string kRuleBytes = "abzABZ\xE0\xC0\xEE\xCE\xB8\xA8\xBF\xAF\xB5\x98\x80\x90*?**  @\4-.!#%\n\n\r\x1A\0"s;
    const std::string kTextBytes = "abzABZ\xE0\xC0\xEE\xCE\xB8\xA8\xBF\xAF\xB5\x98\x80\x90?* @-.!~#%1";
    using Variant = std::string (*)(std::string_view);
    const Variant variants[] = {
        [](std::string_view f) { return talvo::Utf8FromCp1251(f); },
        [](std::string_view f) { return "\xEF\xBB\xBF" + talvo::Utf8FromCp1251(f); },
        [](std::string_view f) { return "\xFF\xFE" + talvo::Utf16FromCp1251(f, false); },
        [](std::string_view f) { return "\xFE\xFF" + talvo::Utf16FromCp1251(f, true); },
        [](std::string_view f) { return Widened(f); },
    };
    std::mt19937 random(12);
    int rounds = 0;
    for (; rounds < 1200; ++rounds) {
        std::map<std::string, std::string> plain;
        for (int file = 0; file < 3; ++file) {
            const talvo::RuleFileRow& row = talvo::kRuleFiles[random() % 15];
            std::string bytes = RandomBytes(random, kRuleBytes, random() % 60);
            if (random() % 10 == 0) bytes += std::string(500 + random() % 100, 'x');
            // Code page 1251 files that read as marked or UTF-8 do not take part.
            talvo::RuleFileReading reading;
            talvo::RulePieces pieces;
            talvo::ReadRuleBytes(bytes, &pieces, &reading);
            if (reading.encoding != RuleFileEncoding::Cp1251) continue;
            plain[talvo::RuleFilePath(row.extension)] = bytes;
        }
        std::vector<std::string> texts;
        for (int i = 0; i < 6; ++i) {
            std::string text = RandomBytes(random, kTextBytes, 1 + random() % 12);
            if (!talvo::IsUtf8Text(text)) texts.push_back(text);
        }
        // Answers with the files as `encode` makes them and the texts as `send` does.
        const auto answers = [&](auto encode, auto send) {
            g_files.clear();
            for (const auto& [path, bytes] : plain) g_files[path] = encode(bytes);
            std::vector<std::string> all{testkit::AnswerFor(talvo::LoadRulesAnswer({FromMemory, nullptr}))};
            for (const std::string& text : texts) {
                for (const char* set : {"0 1 ", "1 1 ", "4 1 ", "13 1 ", "15 2 "}) {
                    all.push_back(CallExport(RuleFilter, set + send(text)));
                }
                all.push_back(CallExport(Magic, send("x" + text + "!~X" + text + "@h")));
            }
            return all;
        };
        const auto same = [](std::string_view bytes) { return std::string(bytes); };
        const std::vector<std::string> expected = answers(same, same);
        for (std::size_t v = 0; v < std::size(variants); ++v) {
            const auto send = v == 4 ? variants[4] : variants[0];
            ASSERT_EQ(answers(variants[v], send), expected) << "variant " << v << ", round " << rounds;
        }
        // The character matcher agrees with the byte matcher on the same bytes.
        for (int i = 0; i < 20; ++i) {
            const std::string text = RandomBytes(random, "aA\xE0\xC0#", random() % 8);
            const std::string mask = RandomBytes(random, "aA\xE0\xC0#?**", random() % 6);
            talvo::UnitString units;
            for (const char byte : mask) units += static_cast<unsigned char>(byte);
            ASSERT_EQ(talvo::TestWildUnits(text, units), Tools::Talvo_TestWildText(text, mask)) << text << " / " << mask;
        }
    }
    talvo::FreeRuleStore();
    std::printf("%d rounds\n", rounds);
    EXPECT_GT(rounds, 50);
}

}  // namespace
