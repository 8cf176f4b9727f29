#pragma once

#include <string>
#include <string_view>

namespace nomvary {

// Which way blanks and "_" are converted: the two members of the window's
// option array `blankopt`, by index.
enum class BlankConversion { underscoreToBlank = 0, blankToUnderscore = 1 };

// The options of one rename run, one field per window control.
struct RenameOptions {
    BlankConversion blankopt = BlankConversion::underscoreToBlank;
    bool capcheck = false;     // capitalise words
    bool capsubcheck = false;  // text inside brackets stays lower case (only with capcheck)
    bool featcheck = false;    // a word "feat" keeps its lower-case "f"
    bool vscheck = false;      // a word "vs" keeps its lower-case "v"
};

// The whole renaming rule: a pure function of the name's bytes and the options.
// Never fails; the result always has the length of `name`; an empty name gives
// an empty result. `name` is the bare file name, without any folder part.
std::string TransformName(std::string_view name, const RenameOptions& options);

}  // namespace nomvary
