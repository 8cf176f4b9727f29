#include "name_pattern.h"

#include <algorithm>

namespace nomvary {
namespace {

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Backtracking over the last '*' is enough: the match is linear in practice
// and never recursive.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && LowerAscii(static_cast<unsigned char>(pattern[p])) ==
                                             LowerAscii(static_cast<unsigned char>(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

bool FolderNameLess(std::string_view a, std::string_view b) {
    const auto lowerLess = [](char x, char y) {
        return LowerAscii(static_cast<unsigned char>(x)) < LowerAscii(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess)) return false;
    return a < b;
}

bool PatternMatches(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") {
        return true;
    }
    return WildcardMatch(pattern, name);
}

}  // namespace nomvary
