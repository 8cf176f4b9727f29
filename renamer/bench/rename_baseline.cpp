// The yardstick for nomvary-cli: the same renames of a folder in a bare loop,
// with the same no-replace call and nothing else.
//
//   rename-baseline --generate N FOLDER       makes N empty files with corpus names
//   rename-baseline [--capitalize] FOLDER     renames them; prints the loop's
//                                             nanoseconds and the renames made
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "name_corpus.h"
#include "name_rule.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

int Generate(std::size_t count, const char* folder) {
    const int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        std::perror(folder);
        return 2;
    }
    for (const std::string& name : nomvary::bench::NameCorpus(count)) {
        const int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(name.c_str());
            return 1;
        }
        close(fd);
    }
    close(dir);
    return 0;
}

int Rename(const nomvary::RenameOptions& options, const char* folder) {
    const int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = dir < 0 ? nullptr : fdopendir(dup(dir));
    if (stream == nullptr) {
        std::perror(folder);
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> renames;
    while (const dirent* entry = readdir(stream)) {
        if (entry->d_name[0] == '.') continue;
        std::string newName = nomvary::TransformName(entry->d_name, options);
        if (newName != entry->d_name) renames.emplace_back(entry->d_name, std::move(newName));
    }
    closedir(stream);

    int done = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [from, to] : renames) {
        if (syscall(SYS_renameat2, dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) ++done;
    }
    const auto stop = std::chrono::steady_clock::now();
    close(dir);
    std::printf("%lld %d\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(stop - start).count()),
                done);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        return Generate(std::strtoull(argv[2], nullptr, 10), argv[3]);
    }
    nomvary::RenameOptions options;
    int k = 1;
    if (k < argc && std::strcmp(argv[k], "--capitalize") == 0) {
        options.capcheck = true;
        ++k;
    }
    if (k + 1 != argc) {
        std::fputs("usage: rename-baseline --generate N FOLDER | rename-baseline [--capitalize] FOLDER\n", stderr);
        return 2;
    }
    return Rename(options, argv[k]);
}
