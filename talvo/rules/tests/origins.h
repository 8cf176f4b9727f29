#pragma once

#include <string>
#include <vector>

#include "talvo/rules/rule_files.h"

// Each piece's origin as "<line>", with "s" when the line goes on in the
// next piece and "n" when a NUL cut its text; blank-separated.
inline std::string Origins(const talvo::RuleFileReading& reading) {
    std::string text;
    for (const talvo::RulePieceOrigin& origin : reading.origins) {
        text += (text.empty() ? "" : " ") + std::to_string(origin.line) + (origin.split ? "s" : "") +
                (origin.cutAtNul ? "n" : "");
    }
    return text;
}

// The pieces as strings, to compare with a table's.
inline std::vector<std::string> PieceStrings(const talvo::RulePieces& pieces) {
    std::vector<std::string> strings;
    for (std::size_t i = 0; i < pieces.size(); ++i) strings.emplace_back(pieces[i]);
    return strings;
}
