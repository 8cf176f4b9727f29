// Times nomvary-cli renaming a folder of generated names against a bare loop
// doing the same renames with the same no-replace call, and prints the ratio.
// Then times nomvary-cli on N case-only renames that are each refused, since
// the other spelling is there too (T00001.MP3 beside T00001.mp3), against N
// case-only renames that go through (T00001.MP3 alone).
//
//   rename-baseline [--files N] [--rounds R] NOMVARY_CLI
//
// Each round makes identical temporary folders; nomvary-cli (started with
// posix_spawn, timed from start to exit) renames one with --capitalize, the
// bare loop renames the other. The loop's listing and name rule run before its
// clock starts: it times the renames alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "name_corpus.h"
#include "name_rule.h"
#include "testing/temp_folder.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

using testkit::TempFolder;

// Makes `folder` when it is not there yet, and an empty file of each name in it.
void Generate(const std::vector<std::string>& names, const fs::path& folder) {
    fs::create_directory(folder);
    for (const std::string& name : names) {
        const int fd = open((folder / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) throw std::runtime_error("cannot create " + name);
        close(fd);
    }
}

// Answers the loop's time and the renames it made.
std::pair<double, int> BareLoop(const fs::path& folder, const nomvary::RenameOptions& options) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = fdopendir(dup(dir));
    std::vector<std::pair<std::string, std::string>> renames;
    while (const dirent* entry = readdir(stream)) {
        if (entry->d_name[0] == '.') continue;
        std::string newName = nomvary::TransformName(entry->d_name, options);
        if (newName != entry->d_name) renames.emplace_back(entry->d_name, std::move(newName));
    }
    closedir(stream);

    int done = 0;
    const Clock::time_point start = Clock::now();
    for (const auto& [from, to] : renames) {
        if (syscall(SYS_renameat2, dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) ++done;
    }
    const Clock::time_point stop = Clock::now();
    close(dir);
    return {Milliseconds(stop - start), done};
}

// Answers the whole process's time; its output goes to `output`, its errors
// to `output` with ".err" added. Throws unless it exits with `status`.
double TimeCli(const std::string& cli, std::vector<std::string> args, const fs::path& output, int status = 0) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string errors = output.string() + ".err";
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    args.insert(args.begin(), cli);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    const int failed = posix_spawn(&child, cli.c_str(), &actions, nullptr, argv.data(), environ);
    int exit = 0;
    if (failed == 0) waitpid(child, &exit, 0);
    const Clock::time_point stop = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0 || !WIFEXITED(exit) || WEXITSTATUS(exit) != status) {
        throw std::runtime_error("nomvary-cli failed");
    }
    return Milliseconds(stop - start);
}

std::string LastLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::string last;
    while (std::getline(in, line)) last = line;
    return last;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t files = 10000;
    int rounds = 7;
    std::string cli;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--files" && k + 1 < argc) files = std::strtoul(argv[++k], nullptr, 10);
        else if (arg == "--rounds" && k + 1 < argc) rounds = std::atoi(argv[++k]);
        else cli = arg;
    }
    if (cli.empty() || files == 0 || rounds < 1) {
        std::fputs("usage: rename-baseline [--files N] [--rounds R] NOMVARY_CLI\n", stderr);
        return 2;
    }

    try {
        nomvary::RenameOptions options;
        options.capcheck = true;
        const std::vector<std::string> names = nomvary::bench::NameCorpus(files);
        const std::string expected = std::to_string(files) + " files renamed.";
        std::vector<double> cliTimes;
        std::vector<double> loopTimes;
        for (int round = 0; round < rounds; ++round) {
            TempFolder work("nomvary-bench");
            Generate(names, work.Path() / "cli");
            Generate(names, work.Path() / "loop");
            // Alternate which goes first, so neither always meets the warmer cache.
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn == 0) == (round % 2 == 0)) {
                    cliTimes.push_back(
                        TimeCli(cli, {"--capitalize", (work.Path() / "cli").string()}, work.Path() / "cli.out"));
                    if (LastLine(work.Path() / "cli.out") != expected) {
                        throw std::runtime_error("nomvary-cli said \"" + LastLine(work.Path() / "cli.out") + "\"");
                    }
                } else {
                    const auto [ms, done] = BareLoop(work.Path() / "loop", options);
                    if (static_cast<std::size_t>(done) != files) throw std::runtime_error("the bare loop fell short");
                    loopTimes.push_back(ms);
                }
            }
        }
        const double cliMs = Median(cliTimes);
        const double loopMs = Median(loopTimes);
        std::printf("files:       %zu, rounds: %d (medians)\n", files, rounds);
        std::printf("nomvary-cli: %.1f ms (whole process: start, listing, name rule, renames, output)\n", cliMs);
        std::printf("bare loop:   %.1f ms (the renames alone)\n", loopMs);
        std::printf("ratio:       %.3f (goal <= 1.25)\n", cliMs / loopMs);

        std::vector<std::string> upper, lower;
        for (std::size_t k = 1; k <= files; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "T%05zu.MP3", k);
            upper.push_back(name);
            std::snprintf(name, sizeof name, "T%05zu.mp3", k);
            lower.push_back(name);
        }
        std::vector<double> pairTimes, aloneTimes;
        for (int round = 0; round < rounds; ++round) {
            TempFolder work("nomvary-bench");
            Generate(upper, work.Path() / "pairs");
            Generate(lower, work.Path() / "pairs");
            Generate(upper, work.Path() / "alone");
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn == 0) == (round % 2 == 0)) {
                    pairTimes.push_back(TimeCli(cli, {(work.Path() / "pairs").string()}, work.Path() / "pairs.out", 1));
                    if (LastLine(work.Path() / "pairs.out") != "No files were renamed.") {
                        throw std::runtime_error("a refused case-only rename went through");
                    }
                } else {
                    aloneTimes.push_back(TimeCli(cli, {(work.Path() / "alone").string()}, work.Path() / "alone.out"));
                    if (LastLine(work.Path() / "alone.out") != std::to_string(files) + " files renamed.") {
                        throw std::runtime_error("a case-only rename failed");
                    }
                }
            }
        }
        const double pairMs = Median(pairTimes);
        const double aloneMs = Median(aloneTimes);
        std::printf("\ncase-only renames, each refused beside its other spelling, against the same renames alone:\n");
        std::printf("refused:     %.1f ms (%zu pairs)\n", pairMs, files);
        std::printf("alone:       %.1f ms (%zu files)\n", aloneMs, files);
        std::printf("ratio:       %.3f (goal <= 2)\n", pairMs / aloneMs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "rename-baseline: %s\n", error.what());
        return 1;
    }
    return 0;
}
