// TransformName with every combination of options on any bytes, checking
// what must always hold:
//   - the length never changes;
//   - only "_" and blank, and the case of the letters A-Z / a-z, change:
//     every "_" and blank comes out as the blank (blankopt 0) or "_"
//     (blankopt 1), no other byte becomes one, a letter keeps its letter;
//   - with capitalisation off, letters change only in a closing ".mp3";
//   - with it on, a letter right after a word character is never a capital,
//     and a letter that begins the name is;
//   - a name ending in ".mp3" in any case ends in ".mp3" in small letters.
//
// Input: byte 0 holds the options (bit 0 blankopt, 1 capcheck, 2 capsubcheck,
// 3 featcheck, 4 vscheck); the rest is the name.

#include <cstdint>
#include <string>
#include <string_view>

#include "name_rule.h"
#include "testing/fuzz_check.h"

namespace {

void Require(bool holds, const char* what, std::string_view name, const std::string& result) {
    testkit::Require(holds, what, {name, result});
}

bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsLetter(unsigned char c) { return IsUpper(c) || IsLower(c); }
bool IsBlankOrUnderscore(unsigned char c) { return c == ' ' || c == '_'; }
bool IsWordCharacter(unsigned char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '`' || c == '\'' || c >= 128;
}
unsigned char Lower(unsigned char c) { return IsUpper(c) ? static_cast<unsigned char>(c + 32) : c; }

bool EndsInMp3AnyCase(std::string_view text) {
    if (text.size() < 4) {
        return false;
    }
    const std::string_view tail = text.substr(text.size() - 4);
    return tail[0] == '.' && Lower(tail[1]) == 'm' && Lower(tail[2]) == 'p' && tail[3] == '3';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    nomvary::RenameOptions options;
    options.blankopt = (data[0] & 1) != 0 ? nomvary::BlankConversion::blankToUnderscore
                                           : nomvary::BlankConversion::underscoreToBlank;
    options.capcheck = (data[0] & 2) != 0;
    options.capsubcheck = (data[0] & 4) != 0;
    options.featcheck = (data[0] & 8) != 0;
    options.vscheck = (data[0] & 16) != 0;
    const std::string_view name(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string result = nomvary::TransformName(name, options);

    Require(result.size() == name.size(), "the length changed", name, result);
    const unsigned char blank = options.blankopt == nomvary::BlankConversion::underscoreToBlank ? ' ' : '_';
    const bool mp3 = EndsInMp3AnyCase(name);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto before = static_cast<unsigned char>(name[i]);
        const auto after = static_cast<unsigned char>(result[i]);
        if (IsBlankOrUnderscore(before)) {
            Require(after == blank, "a \"_\" or blank did not become the chosen one", name, result);
        } else if (IsLetter(before)) {
            Require(Lower(after) == Lower(before), "a letter became another letter", name, result);
            const bool inClosingMp3 = mp3 && i + 3 >= name.size();
            if (!options.capcheck) {
                Require(after == before || inClosingMp3, "a letter changed case with capitalisation off", name,
                        result);
            } else if (i > 0 && IsWordCharacter(static_cast<unsigned char>(name[i - 1]))) {
                Require(!IsUpper(after), "a letter inside a word is a capital", name, result);
            } else if (i == 0) {
                Require(IsUpper(after), "the name's first letter is not a capital", name, result);
            }
        } else {
            Require(after == before, "a byte other than a letter, \"_\" or blank changed", name, result);
        }
    }
    if (mp3) {
        Require(result.compare(result.size() - 4, 4, ".mp3") == 0, "the closing \".mp3\" is not in small letters",
                name, result);
    }
    return 0;
}
