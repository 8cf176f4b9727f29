// nomvary-cli: the renamer's batch run from a shell, on the same listing,
// name rule and counting as the window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "dry_run_file_system.h"
#include "linux_file_system.h"
#include "rename_run.h"
#include "version.h"

namespace {

constexpr const char* kUsage =
    "usage: nomvary-cli [--blank-to-underscore] [--all-files] [--capitalize] [--except-brackets] "
    "[--exclude-feat] [--exclude-vs] [-n|--dry-run] FOLDER\n"
    "       nomvary-cli --help | --version\n"
    "\n"
    "Renames the files of FOLDER by the rules of Nomvary, in name order, and prints\n"
    "each rename (\"old -> new\"), then how many files were renamed.\n"
    "\n"
    "  --blank-to-underscore  every blank becomes \"_\" (default: every \"_\" becomes a blank)\n"
    "  --all-files            treat all files (default: only \".mp3\" files)\n"
    "  --capitalize           capitalise the words of each name\n"
    "  --except-brackets      with --capitalize: text inside ( ), { }, [ ] stays lower case\n"
    "  --exclude-feat         with --capitalize: a word \"feat\" keeps its lower-case \"f\"\n"
    "  --exclude-vs           with --capitalize: a word \"vs\" keeps its lower-case \"v\"\n"
    "  -n, --dry-run          print what would be renamed, and why a rename would fail,\n"
    "                         and touch nothing\n"
    "  --help                 print this text\n"
    "  --version              print the version\n"
    "\n"
    "\"feat\" and \"vs\" count only when a real blank follows them in the listed name\n"
    "(\"feat_x\" is no exception, even where \"_\" becomes a blank). Names that begin\n"
    "with \".\" are never touched.\n"
    "\n"
    "An existing file is never replaced. Unlike the window, nomvary-cli asks no\n"
    "\"Exit now?\" question and neither reads nor writes the settings file.\n"
    "Exit status: 0 when every rename succeeded, 1 when one failed (or, with\n"
    "--dry-run, would fail), 2 for a bad option or folder (nothing is renamed).\n";

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

void PutBytes(std::FILE* stream, const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stream); }

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

    Choices choices;
    if (const std::optional<int> status = Parse(argc, argv, choices)) {
        return *status;
    }
    LinuxFileSystem real;
    // The folder as an absolute path, as the messages name it.
    int error = 0;
    const std::optional<std::string> folder = real.ResolveReadableFolder(choices.folder, error);
    if (!folder) {
        std::fprintf(stderr, "nomvary-cli: cannot read folder \"%s\": %s\n", choices.folder.c_str(),
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

    DryRunFileSystem dryRun(real);
    const auto report = [&choices, &dryRun](const RenameAttempt& attempt) {
        if (attempt.error != 0 && !choices.dryRun) {
            std::fputs("nomvary-cli: cannot rename \"", stderr);
            PutBytes(stderr, attempt.oldName);
            std::fputs("\" to \"", stderr);
            PutBytes(stderr, attempt.newName);
            std::fprintf(stderr, "\": %s\n", std::strerror(attempt.error));
            return;
        }
        PutBytes(stdout, attempt.oldName);
        std::fputs(" -> ", stdout);
        PutBytes(stdout, attempt.newName);
        if (attempt.error == 0) {
            std::fputc('\n', stdout);
        } else if (dryRun.LastTakenByEarlierRename()) {
            std::fputs("  (taken by an earlier rename of this run: would fail)\n", stdout);
        } else {
            std::fputs("  (taken by an existing file: would fail)\n", stdout);
        }
    };
    FileSystem& files = choices.dryRun ? static_cast<FileSystem&>(dryRun) : real;
    RenameHooks hooks;
    hooks.tried = report;
    const RenameReport result =
        RenameMatchingFiles(files, *folder, choices.allFiles ? "*.*" : "*.mp3", options, hooks);

    if (choices.dryRun) {
        const int count = result.count;
        if (count == 0) {
            std::puts("Dry run: no files would be renamed.");
        } else if (count == 1) {
            std::puts("Dry run: 1 file would be renamed.");
        } else {
            std::printf("Dry run: %d files would be renamed.\n", count);
        }
    } else {
        std::puts(RenameSummary(result.count).c_str());
    }
    return result.failures.empty() ? 0 : 1;
}
