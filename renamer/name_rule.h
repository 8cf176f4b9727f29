#pragma once

#include <string>
#include <string_view>

namespace nomvary {

// The options of one rename run, one field per window control.
struct RenameOptions {
    int blankopt = 0;          // 0: every "_" becomes a blank; 1: every blank becomes "_"
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
