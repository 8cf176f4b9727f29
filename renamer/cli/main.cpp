// nomvary-cli: the renamer's batch run from a shell, on the same listing,
// name rule and counting as the window.
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console.h"
#include "planned_renames.h"
#include "platform_types.h"
#include "rename_run.h"
#include "version.h"

namespace {

constexpr const char* kUsage =
    "usage: nomvary-cli [--blank-to-underscore] [--all-files] [--capitalize]\n"
    "                   [--except-brackets] [--exclude-feat] [--exclude-vs]\n"
    "                   [-n|--dry-run] FOLDER\n"
    "       nomvary-cli --help | --version\n"
    "\n"
    "Renames the files of FOLDER by the rules of Nomvary, in name order, and prints\n"
    "each rename (\"old -> new\"), then how many files were renamed.\n"
    "\n"
    "  --blank-to-underscore  every blank becomes \"_\" (default: every \"_\"\n"
    "                         becomes a blank)\n"
    "  --all-files            treat all files (default: only \".mp3\" files)\n"
    "  --capitalize           capitalise the words of each name\n"
    "  --except-brackets      with --capitalize: text inside ( ), { }, [ ] stays\n"
    "                         lower case\n"
    "  --exclude-feat         with --capitalize: a word \"feat\" keeps its\n"
    "                         lower-case \"f\"\n"
    "  --exclude-vs           with --capitalize: a word \"vs\" keeps its\n"
    "                         lower-case \"v\"\n"
    "  -n, --dry-run          print what would be renamed, and why a rename would\n"
    "                         fail, and touch nothing\n"
    "  --help                 print this text\n"
    "  --version              print the version\n"
    "\n"
    "A closing \".mp3\" is always written in lower case, also without\n"
    "--capitalize: \"SONG.MP3\" becomes \"SONG.mp3\". \"feat\" and \"vs\" count only\n"
    "when a real blank follows them in the listed name (\"feat_x\" is no\n"
    "exception, even where \"_\" becomes a blank). Names that begin with \".\" are\n"
    "never touched. A name holding a control character (a newline, a tab) is\n"
    "printed in the shell's $'...' form, so that each rename is one line.\n"
    "\n"
    "An existing file is never replaced. Unlike the window, nomvary-cli asks no\n"
    "\"Exit now?\" question and neither reads nor writes the settings file.\n"
    "Output that cannot be written (a closed pipe, a full disk) never stops the\n"
    "run; \"nomvary-cli: write error: ...\" follows on standard error.\n"
    "Exit status: 0 when every rename succeeded, 1 when one failed (or, with\n"
    "--dry-run, would fail) or the output could not be written, 2 for a bad\n"
    "option or folder (nothing is renamed).\n";

struct Choices {
    bool blankToUnderscore = false;
    bool allFiles = false;
    bool capitalize = false;
    bool exceptBrackets = false;
    bool excludeFeat = false;
    bool excludeVs = false;
    bool dryRun = false;
    bool help = false;
    bool version = false;
    std::string folder;
};

// Standard output as the run writes it, one line at a time. A write that
// fails never stops the run: a script reading only the first lines (or a
// full disk) must not leave the folder half renamed. The first failure's
// errno-style reason is kept for the end.
class Output {
public:
    void Line(const std::string& text) {
        if (const int error = nomvary::WriteOutput(text + '\n')) Note(error);
    }
    // Flushes what is buffered; the reason of the first failure, or 0.
    int Finish() {
        if (const int error = nomvary::FlushOutput()) Note(error);
        return m_error;
    }
    void Note(int error) {
        if (m_error == 0) m_error = error != 0 ? error : EIO;
    }

private:
    int m_error = 0;
};

int UsageError(const std::string& message) {
    nomvary::WriteError("nomvary-cli: " + message + "\nTry 'nomvary-cli --help'.\n");
    return 2;
}

// Answers an exit status when the arguments end the program here.
std::optional<int> Parse(const std::vector<std::string>& args, Choices& choices) {
    bool optionsDone = false;
    bool haveFolder = false;
    for (std::size_t k = 1; k < args.size(); ++k) {
        const std::string_view arg(args[k]);
        if (!optionsDone && arg.size() > 1 && arg.front() == '-') {
            if (arg == "--") optionsDone = true;
            else if (arg == "--help" || arg == "-h") choices.help = true;
            else if (arg == "--blank-to-underscore") choices.blankToUnderscore = true;
            else if (arg == "--all-files") choices.allFiles = true;
            else if (arg == "--capitalize") choices.capitalize = true;
            else if (arg == "--except-brackets") choices.exceptBrackets = true;
            else if (arg == "--exclude-feat") choices.excludeFeat = true;
            else if (arg == "--exclude-vs") choices.excludeVs = true;
            else if (arg == "--dry-run" || arg == "-n") choices.dryRun = true;
            else if (arg == "--version") choices.version = true;
            else return UsageError("unknown option \"" + std::string(arg) + "\"");
            continue;
        }
        if (haveFolder) {
            return UsageError("more than one FOLDER given");
        }
        choices.folder = arg;
        haveFolder = true;
    }
    if (choices.help) {
        nomvary::WriteOutput(kUsage);
        return 0;
    }
    if (choices.version) {
        nomvary::WriteOutput(std::string("nomvary-cli ") + nomvary::NomvaryVersion() + "\n");
        return 0;
    }
    if (!haveFolder || choices.folder.empty()) {
        return UsageError("no FOLDER given");
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nomvary;

    Output out;
    if (const int closed = PrepareConsole()) out.Note(closed);

    Choices choices;
    if (const std::optional<int> status = Parse(CommandLineArguments(argc, argv), choices)) {
        FlushOutput();
        return *status;
    }
    PlatformFileSystem real;
    // The folder as an absolute path, as the messages name it.
    int error = 0;
    const std::optional<std::string> folder = real.ResolveReadableFolder(choices.folder, error);
    if (!folder) {
        WriteError("nomvary-cli: cannot read folder \"" + QuotedName(choices.folder) + "\": " + std::strerror(error) +
                   "\n");
        return 2;
    }

    RenameOptions options;
    options.blankopt =
        choices.blankToUnderscore ? BlankConversion::blankToUnderscore : BlankConversion::underscoreToBlank;
    options.capcheck = choices.capitalize;
    options.capsubcheck = choices.exceptBrackets;
    options.featcheck = choices.excludeFeat;
    options.vscheck = choices.excludeVs;

    PlannedRenames planned(real);
    const auto report = [&choices, &planned, &out](const RenameAttempt& attempt) {
        if (choices.dryRun) {
            out.Line(PlannedLine(attempt, planned.LastObstacle()));
        } else if (attempt.error != 0) {
            WriteError("nomvary-cli: cannot rename \"" + QuotedName(attempt.oldName) + "\" to \"" +
                       QuotedName(attempt.newName) + "\": " + std::strerror(attempt.error) + "\n");
        } else {
            out.Line(RenameLine(attempt));
        }
    };
    FileSystem& files = choices.dryRun ? static_cast<FileSystem&>(planned) : real;
    RenameHooks hooks;
    hooks.tried = report;
    const RenameReport result =
        RenameMatchingFiles(files, *folder, choices.allFiles ? "*.*" : "*.mp3", options, hooks);

    if (choices.dryRun) {
        const int count = result.count;
        out.Line(count == 0   ? std::string("Dry run: no files would be renamed.")
                 : count == 1 ? std::string("Dry run: 1 file would be renamed.")
                              : "Dry run: " + std::to_string(count) + " files would be renamed.");
    } else {
        out.Line(RenameSummary(result.count));
    }
    if (const int writeError = out.Finish()) {
        WriteError(std::string("nomvary-cli: write error: ") + std::strerror(writeError) + "\n");
        return 1;
    }
    return result.failures.empty() ? 0 : 1;
}
