#pragma once

// The options a program's manual page names against those its --help text
// names, so a page written by hand cannot drift from the program.

#include <cstddef>
#include <set>
#include <string>

namespace testkit {

// Every option word in `text`: a "-" or "--" followed by a letter, standing at
// the start or after a blank, "[", "|", "(" or ",". Roff's "\-" counts as "-"
// and its font changes ("\fB" and the like) are dropped first.
inline std::set<std::string> OptionNames(std::string text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') {
            plain += '-';
            ++i;
        } else if (text[i] == '\\' && i + 2 < text.size() && text[i + 1] == 'f') {
            i += 2;
        } else {
            plain += text[i];
        }
    }
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::set<std::string> names;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] != '-' || (i > 0 && std::string(" \t\n[|(,").find(plain[i - 1]) == std::string::npos)) {
            continue;
        }
        std::size_t end = i + (i + 1 < plain.size() && plain[i + 1] == '-' ? 2 : 1);
        if (end >= plain.size() || !isLetter(plain[end])) {
            continue;
        }
        while (end < plain.size() && (isLetter(plain[end]) || plain[end] == '-' ||
                                      (plain[end] >= '0' && plain[end] <= '9'))) {
            ++end;
        }
        names.insert(plain.substr(i, end - i));
        i = end;
    }
    return names;
}

// The text of the sections of a roff manual page whose heading (".SH NAME")
// is `heading`, up to the next heading.
inline std::string ManSection(const std::string& page, const std::string& heading) {
    const std::string mark = "\n.SH " + heading + "\n";
    const std::size_t start = page.find(mark);
    if (start == std::string::npos) {
        return std::string();
    }
    const std::size_t end = page.find("\n.SH ", start + mark.size());
    return page.substr(start + mark.size(), end == std::string::npos ? std::string::npos : end - start - mark.size());
}

}  // namespace testkit
