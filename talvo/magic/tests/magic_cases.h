#pragma once

// Call texts of the Magic export and the level each must answer; shared by the
// in-process test and the one that goes through the stand-in host.

#include <cstdint>

namespace magic_cases {

struct MagicCase {
    const char* text;
    std::int32_t level;
    const char* why;
};

inline constexpr MagicCase kCases[] = {
    {"bxkqwz!zxvq@irc.example.net", 1, "plain level 1"},
    {"bxkqwz!zxvq@irc.example.net 1", 0, "level 1 off, levels 2 to 4 do not hold"},
    {"bxkqwz!zxvq@irc.example.net 3 4", 1, "other tests off"},
    {"bxkqwz!zxvq@irc.example.net 1 5", 0, "5 means nothing"},
    {"bxkqwz!~zxvq@irc.example.net", 1, "tilde stripped"},
    {"bxkqwz!~~zxvq@irc.example.net", 0, "second tilde stays, a non-letter"},
    {"bxkqwa!ught@irc.example.net", 0, "joined text holds ght"},
    {"bxkqwa!~ught@irc.example.net", 1, "cluster test skipped after tilde"},
    {"bxkqae!zxvq@irc.example.net", 1, "two vowels in six letters"},
    {"bxkqaei!zxvq@irc.example.net", 0, "three vowels in seven letters"},
    {"bxkqwz!bxkqwz@irc.example.net", 0, "equal names"},
    {"bxkqwzbxkqwz!zxvq@irc.example.net", 1, "12 letters"},
    {"bxkqwzbxkqwzq!zxvq@irc.example.net", 0, "13 letters"},
    {"bxkqwz1!zxvq@irc.example.net", 0, "a digit"},
    {"xkqzvbw!.@irc.example.net", 2, "user name one dot"},
    {"xkqzvbw!...@irc.example.net", 2, "user name dots"},
    {"bxkqwz!..x@irc.example.net", 0, "dots and a letter"},
    {"bcdfgh!~@irc.example.net", 2, "user name empty after the strip"},
    {"xkqz!~XKQZ@irc.example.net", 3, "case pattern"},
    {"xkqz!XKQZ@irc.example.net", 0, "no tilde"},
    {"xkqz!~XKQZ@irc.example.net 3", 0, "level 3 off"},
    {"abc!~A@irc.example.net", 3, "no length condition"},
    {"abc!~A1@irc.example.net", 3, "no letters-only condition"},
    {"abc!~Abc@irc.example.net", 0, "small letters in the user name"},
    {"BXKQWZ!ZXVQ@irc.example.net", 4, "capitals"},
    {"BXKQWZ!zxvq@irc.example.net", 0, "mixed case between the names"},
    {"Bxkqwz!zxvq@irc.example.net", 0, "one capital fails every level"},
    // Call texts of other shapes.
    {"bxkqwz!zxvq", 1, "no host name"},
    {"bxkqwz!zxvq 5", 0, "user name runs to the end, blank included"},
    {"bxkqwz", 0, "no !"},
    {"!zxvq@irc.example.net", 0, "empty nickname"},
    {"bxkqwz!@irc.example.net", 0, "empty user name"},
    {"", 0, "empty call text"},
    {" bxkqwz!zxvq@irc.example.net", 0, "leading blank joins the nickname"},
    {"\xe0" "bc!~\xc0" "BC@irc.example.net", 3, "code page capital of the first byte"},
    {"\xe0" "bc!~\xc1" "BC@irc.example.net", 0, "another code page capital"},
    {"abc!~@irc.example.net", 0, "lone tilde reaches level 3's first byte"},
    {"bcdfgh!~@irc.example.net 2", 0, "lone tilde, level 2 off"},
    {"BXKQWZ!ZXVQ@irc.example.net 4", 0, "level 4 off"},
    {"xkqzvbw!.@irc.example.net 2", 0, "level 2 off"},
    {"bxkqwz!zxvq@irc.example.net   1", 0, "runs of blanks before a test number"},
    {"bxkqwz!zxvq@irc.example.net 01 1x 12", 1, "only one-byte numbers count"},
    {"bxkqwz!zxvq@irc.example.net 1 1 2 3 4", 0, "repeated and every test off"},
    {"BXKAQW!ZXVQ@irc.example.net", 4, "level 4 takes the consonant run of the user name"},
    {"bxkaqw!zxvq@irc.example.net", 0, "level 1 asks the run of the nickname"},
    {"BXKQWZ!~ZGHT@irc.example.net", 4, "level 4 skips the cluster test after tilde"},
    {"BXKQWZ!ZGHT@irc.example.net", 0, "level 4 cluster test"},
    {"bxkqwz!zxvq@a!b@c", 1, "user name ends at the first @ after the first !"},
    // UTF-8 call texts: the same characters as in code page 1251, or beyond it.
    {"вася!~петя@host", 0, "Cyrillic names in UTF-8, as in code page 1251"},
    {"\xE2\xE0\xF1\xFF!~\xEF\xE5\xF2\xFF@host", 0, "the same names in code page 1251"},
    {"аbc!~АBC@irc.example.net", 3, "UTF-8: code page capital of the first character"},
    {"😀bc!~😀BC@irc.example.net", 3, "a character outside the code page equals itself"},
    {"😀bc!~😁BC@irc.example.net", 0, "and nothing else"},
    {"üxkqwz!~ÜXKQWZ@irc.example.net", 0, "no case partner outside the code page"},
    {"bxkqwz!zxvq@hôst", 1, "a host name outside the code page is not read"},
    {"bxkqwz!zxvq@hôst 1", 0, "test numbers after such a host name"},
    {"xkqzvbw!.@hôst", 2, "level 2 after such a host name"},
    {"bxkqwz!zxvü@host", 0, "a user name character outside the code page is no letter"},
    {"bxkqwzbxkqwz!zxvq@hôst", 1, "12 letters before such a host name"},
};

}  // namespace magic_cases
