#include "name_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace nomvary {
namespace {

struct Opt {
    BlankConversion blankopt = BlankConversion::underscoreToBlank;
    bool cap = true;
    bool sub = false;
    bool feat = false;
    bool vs = false;
    RenameOptions Get() const { return RenameOptions{blankopt, cap, sub, feat, vs}; }
};

constexpr BlankConversion U = BlankConversion::underscoreToBlank;
constexpr BlankConversion B = BlankConversion::blankToUnderscore;

struct Row {
    const char* name;
    const char* expected;
    Opt options;
};

constexpr Opt kCapOff{U, false};
constexpr Opt kSub{U, true, true};
constexpr Opt kVs{U, true, false, false, true};
constexpr Opt kFeat{U, true, false, true, false};
constexpr Opt kBlankToUnderscore{B, true};

const Row kRows[] = {
    // The documented cases.
    {"hello_world.MP3", "Hello World.mp3", {}},
    {"hello_world.MP3", "hello world.mp3", kCapOff},
    {"SONG.MP3", "SONG.mp3", kCapOff},
    {"ABC.MP3", "Abc.mp3", {}},
    {"McDONALD.mp3", "Mcdonald.mp3", {}},
    {"a.b.c.mp3", "A.B.C.mp3", {}},
    {"file.jpeg", "File.Jpeg", {}},
    {"readme", "Readme", {}},
    {"Song (Live).txt", "Song (Live).Txt", {}},
    {"Song (Radio Edit).mp3", "Song (Radio Edit).mp3", {}},
    {"song (Radio Edit).mp3", "Song (radio edit).mp3", kSub},
    {"a (b [c] d) e.mp3", "A (b [c] D) E.mp3", kSub},
    {"x (never closed.mp3", "X (never closed.mp3", kSub},
    {"artist vs. other.mp3", "Artist vs. Other.mp3", kVs},
    {"Artist VS. Other.mp3", "Artist vs. Other.mp3", kVs},
    {"a - vs x.mp3", "A - vs X.mp3", kVs},
    {"vs. x.mp3", "Vs. X.mp3", kVs},
    {"artist_vs._other.mp3", "Artist Vs. Other.mp3", kVs},
    {"artist vs. other.mp3", "Artist_vs._Other.mp3", {B, true, false, false, true}},
    {"song feat someone.mp3", "Song feat Someone.mp3", kFeat},
    {"song Feat. someone.mp3", "Song feat. Someone.mp3", kFeat},
    {"song feat. someone.mp3", "Song Feat. Someone.mp3", {}},
    {"don't stop.mp3", "Don't Stop.mp3", {}},
    {"2pac - changes.mp3", "2pac - Changes.mp3", {}},
    {"jay-z.mp3", "Jay-Z.mp3", {}},
    {"caf\xE9 del mar.mp3", "Caf\xE9 Del Mar.mp3", {}},
    {"\xE9t\xE9 ok.mp3", "\xE9t\xE9 Ok.mp3", {}},
    {"Hello World.mp3", "Hello_World.mp3", kBlankToUnderscore},
    {".mp3", ".mp3", {}},
    {"a.mp3", "A.mp3", {}},
    {"", "", {}},

    // Where faults hide.
    {"song (Radio Edit).mp3", "song (Radio Edit).mp3", {U, false, true}},  // brackets need capitalising on
    {"rock`n roll.mp3", "Rock`n Roll.mp3", {}},
    {"a vs", "A Vs", kVs},                   // the piece runs past the end
    {"a vsx.mp3", "A Vsx.mp3", kVs},
    {"feat x.mp3", "Feat X.mp3", kFeat},     // never at position 1
    {"a FEAT b.mp3", "A feat B.mp3", kFeat},
    {"x.ab", "X.Ab", {}},                    // two after the dot: no extension dot
    {"song_.TXT", "Song .Txt", {}},          // a separator before the extension dot
    {"song_.MP3", "Song .mp3", {}},
    {"song.MP3", "song.mp3", {B, false}},
    {"a (b (c) d.mp3", "A (b (c) D.mp3", kSub},  // brackets do not nest
    {"a ]b.mp3", "A ]B.mp3", kSub},               // a lone closing bracket is a separator
    {"\xC3\xBCnder_the_sea.mp3", "\xC3\xBCnder The Sea.mp3", {}},  // UTF-8 bytes stay put
    {"\xFF\xFE_SONG.MP3", "\xFF\xFE Song.mp3", {}},
    {"a_b c", "a_b_c", {B, false}},
    {"UPPER\xC9X.mp3", "Upper\xC9x.mp3", {}},    // a high byte continues the word
};

TEST(TransformNameTest, Table) {
    for (const Row& row : kRows) {
        const std::string result = TransformName(row.name, row.options.Get());
        EXPECT_EQ(result, row.expected) << "name «" << row.name << "»";
        EXPECT_EQ(result.size(), std::string(row.name).size()) << "name «" << row.name << "»";
    }
}

// Only "_", blank and ASCII letter case may ever change, under any options;
// bytes 128 to 255 (signed chars) are where such a fault would hide.
TEST(TransformNameTest, EveryByteKeepsItsIdentity) {
    for (int bits = 0; bits < 32; ++bits) {
        const RenameOptions o{(bits & 1) != 0 ? B : U, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0};
        for (int code = 0; code < 256; ++code) {
            const std::string name = std::string("x ") + char(code) + "y" + char(code) + ".mp3";
            const std::string result = TransformName(name, o);
            ASSERT_EQ(result.size(), name.size());
            for (std::size_t k = 0; k < name.size(); ++k) {
                const unsigned char from = name[k], to = result[k];
                const bool letter = (from | 32) >= 'a' && (from | 32) <= 'z';
                const bool blank = from == ' ' || from == '_';
                EXPECT_TRUE(letter ? (from | 32) == (to | 32) : blank ? (to == ' ' || to == '_') : from == to)
                    << "code " << code << " options " << bits;
            }
        }
    }
}

}  // namespace
}  // namespace nomvary
