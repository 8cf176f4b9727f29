#pragma once

// The examples a Markdown document shows, for tests that run them and compare
// what they print: a ```console block right after a marker line (such as
// "<!-- example -->"). Its lines starting with "$ " are the commands, the
// other lines what they print.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testkit {

struct DocExample {
    int line;              // where its block starts in the document
    std::string script;    // the commands, one a line, for /bin/sh
    std::string expected;  // what they print, standard error included
};

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t from = 0, end; from < text.size(); from = end + 1) {
        end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
    }
    return lines;
}

inline std::vector<DocExample> MarkdownExamples(const std::vector<std::string>& lines, const std::string& marker) {
    std::vector<DocExample> examples;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != marker) continue;
        EXPECT_EQ(lines[i + 1], "```console") << "line " << i + 2;
        DocExample example{static_cast<int>(i + 2), "", ""};
        for (i += 2; i < lines.size() && lines[i] != "```"; ++i) {
            if (lines[i].rfind("$ ", 0) == 0) {
                example.script += lines[i].substr(2) + "\n";
            } else {
                example.expected += lines[i] + "\n";
            }
        }
        examples.push_back(example);
    }
    return examples;
}

// `text` with every `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace testkit
