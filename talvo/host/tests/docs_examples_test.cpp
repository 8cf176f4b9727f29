// Every example answer the documentation shows, run against the sample rules
// (talvo/samples) through the built talvo-host, so the documents cannot
// drift from what the program does.
//
// Markdown: a ```console block right after a line "<!-- example -->". Its
// lines starting with "$ " are run, in order, by one shell in a copy of
// talvo/samples, standard error joined to standard output; the other lines
// are the expected output. A document's examples share one copy and run one
// after another, as a reader following it would run them, so an example
// that leaves a change behind shows in the ones after it. In that output
// ".../talvo" stands for the folder that holds the copy (".../talvo/samples"
// is the copy itself).
// Plain text (the Windows README): every line "C:\talvo\samples> COMMAND",
// with ..\talvo-host.exe standing for talvo-host and each blank-separated
// argument taken as it is; its output is the lines after it up to a blank
// line or a fence.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/doc_examples.h"
#include "testing/subprocess.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using Example = testkit::DocExample;
using testkit::Lines;
using testkit::Replaced;

std::vector<Example> WindowsExamples(const std::vector<std::string>& lines) {
    const std::string prompt = "C:\\talvo\\samples> ";
    const std::string host = "..\\talvo-host.exe";
    std::vector<Example> examples;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t at = lines[i].find(prompt);
        if (at == std::string::npos || lines[i].find_first_not_of(' ') != at) continue;
        const std::vector<std::string> words = [&] {
            std::vector<std::string> split;
            const std::string command = lines[i].substr(at + prompt.size());
            for (std::size_t from = 0, end; from < command.size(); from = end + 1) {
                end = command.find(' ', from);
                if (end == std::string::npos) end = command.size();
                if (end > from) split.push_back(command.substr(from, end - from));
            }
            return split;
        }();
        EXPECT_EQ(words.at(0), host) << "line " << i + 1;
        Example example{static_cast<int>(i + 1), "talvo-host", ""};
        for (std::size_t w = 1; w < words.size(); ++w) example.script += " '" + words[w] + "'";
        example.script += "\n";
        for (++i; i < lines.size() && lines[i].find_first_not_of(' ') != std::string::npos &&
                  lines[i].rfind("```", 0) != 0;
             ++i) {
            example.expected += lines[i].substr(at) + "\n";
        }
        examples.push_back(example);
    }
    return examples;
}

TEST(DocsExamples, GiveTheDocumentedAnswers) {
    const fs::path source = TALVO_SOURCE_DIR;
    const std::string hostFolder = fs::path(TALVO_HOST_PATH).parent_path().native();
    struct Document {
        const char* path;
        bool markdown;
        std::size_t fewest;  // examples it must hold, so a broken marker cannot pass unseen
    } documents[] = {
        {"talvo/README.md", true, 11},
        {"README.md", true, 1},
        {"docs/windows.md", false, 2},
        {"docs/windows-readme.txt", false, 5},
    };
    for (const Document& document : documents) {
        const std::vector<std::string> lines = Lines(testkit::ReadFile(source / document.path));
        const std::vector<Example> examples = document.markdown ? testkit::MarkdownExamples(lines, "<!-- example -->") : WindowsExamples(lines);
        EXPECT_GE(examples.size(), document.fewest) << document.path;
        testkit::TempFolder root("talvo-docs");
        fs::copy(source / "talvo" / "samples", root.Path() / "samples", fs::copy_options::recursive);
        fs::create_directory(root.Path() / "tmp");
        for (const Example& example : examples) {
            const std::string setup = "PATH='" + hostFolder + "':\"$PATH\" TMPDIR='" + root / "tmp" +
                                      "'; export PATH TMPDIR; exec 2>&1\n";
            const testkit::RunResult run =
                testkit::Run({"/bin/sh", "-c", setup + example.script}, {}, root / "samples");
            EXPECT_EQ(Replaced(run.out, fs::canonical(root.Path()).native(), ".../talvo"), example.expected)
                << document.path << ":" << example.line << "\n" << example.script;
        }
    }
}

}  // namespace
