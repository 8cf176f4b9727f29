#include "talvo/frame/encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using talvo::kFirstWideUnit;
using CodePoints = std::vector<char32_t>;
constexpr char32_t kBad = talvo::kReplacementCharacter;

TEST(Encoding, EveryByteIsOneCharacterAndBack) {
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t codePoint = talvo::CodePointOfByte(static_cast<unsigned char>(byte));
        EXPECT_EQ(talvo::UnitOfCodePoint(codePoint), static_cast<talvo::Unit>(byte)) << byte;
    }
    for (const char32_t codePoint : {0xFCu, 0xFFFDu, 0x1F600u, 0x4E2Du, 0x0500u}) {
        EXPECT_EQ(talvo::UnitOfCodePoint(codePoint), kFirstWideUnit + codePoint);
        EXPECT_EQ(talvo::CodePointOfUnit(kFirstWideUnit + codePoint), codePoint);
        EXPECT_EQ(talvo::UnitKey(kFirstWideUnit + codePoint), kFirstWideUnit + codePoint);
    }
}

// glibc's converter is an independent account of the code page, where its
// conversion modules are installed (not in every cross-built sysroot).
TEST(Encoding, CodePageAgreesWithGlibc) {
    const iconv_t converter = iconv_open("UTF-32LE", "CP1251");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        GTEST_SKIP() << "glibc has no CP1251 converter here";
    }
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == 0x98) continue;  // undefined in the code page; U+0098 here
        char in[1] = {static_cast<char>(byte)};
        unsigned char out[4] = {};
        char* inPointer = in;
        char* outPointer = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = 4;
        ASSERT_NE(iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft), static_cast<std::size_t>(-1)) << byte;
        const char32_t expected = out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24;
        EXPECT_EQ(talvo::CodePointOfByte(static_cast<unsigned char>(byte)), expected) << byte;
    }
    iconv_close(converter);
}

CodePoints ReadAll(std::string_view bytes, int form) {  // form: 8, 16 (LE), 61 (BE)
    CodePoints read;
    for (std::size_t position = 0; position < bytes.size();) {
        read.push_back(form == 8 ? talvo::ReadUtf8(bytes, position) : talvo::ReadUtf16(bytes, position, form == 61));
    }
    return read;
}

TEST(Encoding, MalformedSequencesReadAsOneReplacementEach) {
    struct Case {
        std::string bytes;
        int form;
        CodePoints read;
        bool wellFormed;  // UTF-8 only
    } cases[] = {
        {"a\xD0\xB0\xE2\x82\xAC\xF0\x9F\x98\x80", 8, {'a', 0x430, 0x20AC, 0x1F600}, true},
        {"\xC0\xAF", 8, {kBad, kBad}, false},                   // overlong lead, lone continuation
        {"\xE0\x80\xAF", 8, {kBad, kBad, kBad}, false},         // overlong three-byte form
        {"\xED\xA0\x80", 8, {kBad, kBad, kBad}, false},         // a surrogate
        {"\xF4\x90\x80\x80", 8, {kBad, kBad, kBad, kBad}, false},  // past U+10FFFF
        {"\xE2\x82", 8, {kBad}, false},                         // cut short at the end
        {"\xE2\x82" "a\xF0\x9F\x98" "b", 8, {kBad, 'a', kBad, 'b'}, false},
        {"\x80\xFF", 8, {kBad, kBad}, false},
        {"\0\x1A"s, 8, {0, 0x1A}, true},
        {"\x3D\xD8\x00\xDE" "a"s, 16, {0x1F600, kBad}, false},  // then a lone last byte
        {"\x3D\xD8" "a\0"s, 16, {kBad, 'a'}, false},  // unpaired high surrogate
        {"\x00\xDE\xD8\x3D"s, 16, {kBad, 0x3DD8}, false},        // unpaired low surrogate
        {"\x04\x30\xD8\x3D\xDE\x00"s, 61, {0x430, 0x1F600}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAll(c.bytes, c.form), c.read) << c.bytes;
        if (c.form == 8) {
            EXPECT_EQ(talvo::IsWellFormedUtf8(c.bytes), c.wellFormed) << c.bytes;
        }
    }
    EXPECT_FALSE(talvo::IsUtf8Text("plain ASCII")) << "needs a byte above 127";
    EXPECT_TRUE(talvo::IsUtf8Text("ASCII first, then \xD0\xB0"));
    EXPECT_FALSE(talvo::IsUtf8Text("\xEF\xF0\xE8\xE2\xE5\xF2"));  // code page 1251
}

TEST(Encoding, CallTexts) {
    // Decoded texts either side of the room a call text holds without the
    // heap, and a wide one well past it.
    const std::string fits = std::string(1021, 'a') + "\xD0\xB0", spills = std::string(1022, 'a') + "\xD0\xB0";
    const std::string wideSpills = std::string(1100, 'a') + "\xF0\x9F\x98\x80";
    struct Case {
        const char* data;
        bool sameBuffer;       // the bytes are read in place
        std::string bytes;     // byte 0 for each wide unit
        talvo::UnitString units;  // when wide
    } cases[] = {
        {"13 1 hello", true, "13 1 hello", {}},
        {"13 1 \xEF\xF0\xE8", true, "13 1 \xEF\xF0\xE8", {}},                  // code page 1251
        {"\xD0\xBF\xD1\x80\xD0\xB8 \xE2\x84\x96", false, "\xEF\xF0\xE8 \xB9", {}},  // UTF-8 "при №"
        {"x\xC3\xBC\xD0\xB0", false, {"x\0\xE0", 3}, {'x', kFirstWideUnit + 0xFC, 0xE0}},  // "xüа"
        {"ab\xF0\x9F\x98\x80 c\xD1\x8F", false, {"ab\0 c\xFF", 6}, {'a', 'b', kFirstWideUnit + 0x1F600, ' ', 'c', 0xFF}},
        {"\xD0\xBF\xFF", true, "\xD0\xBF\xFF", {}},         // stops being UTF-8 after the first character
        {"\xC3\xBC\xFF", true, "\xC3\xBC\xFF", {}},         // ... after a wide one
        {"\xC2\x98", false, "\x98", {}},
        {fits.c_str(), false, std::string(1021, 'a') + "\xE0", {}},
        {spills.c_str(), false, std::string(1022, 'a') + "\xE0", {}},
        {wideSpills.c_str(), false, std::string(1100, 'a') + '\0', talvo::UnitString(1100, U'a') + talvo::Unit{kFirstWideUnit + 0x1F600}},
    };
    for (const Case& c : cases) {
        const talvo::CallText text(c.data);
        EXPECT_EQ(text.IsWide(), !c.units.empty()) << c.data;
        if (text.IsWide()) {
            EXPECT_EQ(talvo::UnitString(text.Units()), c.units) << c.data;
        }
        EXPECT_EQ(text.Bytes(), c.bytes) << c.data;
        EXPECT_EQ(text.Bytes().data() == c.data, c.sameBuffer) << c.data;
        EXPECT_EQ(text.Bytes().data()[text.Bytes().size()], '\0') << c.data;
    }
}

TEST(Encoding, WritingRoundTrips) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    for (const int form : {8, 16, 61}) {
        const std::string encoded = form == 8 ? talvo::Utf8FromCp1251(all) : talvo::Utf16FromCp1251(all, form == 61);
        CodePoints expected;
        for (const char byte : all) {
            expected.push_back(talvo::CodePointOfByte(static_cast<unsigned char>(byte)));
        }
        EXPECT_EQ(ReadAll(encoded, form), expected) << form;
    }
    std::string surrogate;
    talvo::AppendUtf8(0xD800, surrogate);
    EXPECT_EQ(surrogate, "\xEF\xBF\xBD");
}

}  // namespace
