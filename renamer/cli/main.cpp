// nomvary-cli: the renamer's batch run from a shell, on the same listing,
// name rule and counting as the window.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <fcntl.h>

#include "linux_file_system.h"
#include "planned_renames.h"
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
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fputc('\n', stdout) == EOF) {
            Note(errno);
        }
    }
    // Flushes what is buffered; the reason of the first failure, or 0.
    int Finish() {
        if (std::fflush(stdout) != 0) Note(errno);
        if (m_error == 0 && std::ferror(stdout)) m_error = EIO;
        return m_error;
    }
    void Note(int error) {
        if (m_error == 0) m_error = error != 0 ? error : EIO;
    }

private:
    int m_error = 0;
};

// Standard input, output and error must stay where the caller put them: a
// closed one is taken by /dev/null, so no file the run opens can take its
// number. Answers EBADF when standard output was closed.
int KeepStandardStreams() {
    int stdoutError = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            if (fd == 1) stdoutError = EBADF;
            // The lowest free number: this one, since those below are open.
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
    return stdoutError;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "nomvary-cli: %s\nTry 'nomvary-cli --help'.\n", message.c_str());
    return 2;
}

// Answers an exit status when the arguments end the program here.
std::optional<int> Parse(int argc, char** argv, Choices& choices) {
    bool optionsDone = false;
    bool haveFolder = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg(argv[k]);
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
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (choices.version) {
        std::printf("nomvary-cli %s\n", nomvary::NomvaryVersion());
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
    if (const int closed = KeepStandardStreams()) out.Note(closed);
    std::signal(SIGPIPE, SIG_IGN);

    Choices choices;
    if (const std::optional<int> status = Parse(argc, argv, choices)) {
        return *status;
    }
    LinuxFileSystem real;
    // The folder as an absolute path, as the messages name it.
    int error = 0;
    const std::optional<std::string> folder = real.ResolveReadableFolder(choices.folder, error);
    if (!folder) {
        std::fprintf(stderr, "nomvary-cli: cannot read folder \"%s\": %s\n", QuotedName(choices.folder).c_str(),
                     std::strerror(error));
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
            std::fprintf(stderr, "nomvary-cli: cannot rename \"%s\" to \"%s\": %s\n",
                         QuotedName(attempt.oldName).c_str(), QuotedName(attempt.newName).c_str(),
                         std::strerror(attempt.error));
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
        std::fprintf(stderr, "nomvary-cli: write error: %s\n", std::strerror(writeError));
        return 1;
    }
    return result.failures.empty() ? 0 : 1;
}
