#pragma once

// Runs a program with given arguments and standard input and collects what it
// printed on each stream and how it ended. No shell is involved, so arguments
// need no quoting.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace testkit {

struct RunResult {
    std::string out;  // standard output
    std::string err;  // standard error
    int status = -1;  // exit status, or -1 when the program did not exit normally
};

// Where a program's standard output goes: the pipe RunResult::out collects, a
// pipe whose reading end is closed before the program starts, no open file
// at all, or the file named by the path given with it.
enum class Stdout { collected, brokenPipe, closed, file };

// `argv[0]` is the program's path. `workingFolder`, when not empty, is the
// folder the program starts in.
inline RunResult Run(const std::vector<std::string>& argv, std::string_view input = {},
                     const std::string& workingFolder = {}, Stdout stdoutTo = Stdout::collected,
                     const std::string& stdoutFile = {}) {
    RunResult result;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (stdoutTo == Stdout::brokenPipe) {
        close(out[0]);
        out[0] = -1;
    }
    if (stdoutTo == Stdout::closed) {
        posix_spawn_file_actions_addclose(&actions, 1);
    } else if (stdoutTo == Stdout::file) {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    } else {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    }
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Feed and drain together: a program that prints much before reading all
    // of its input must not stall on a full pipe.
    std::size_t fed = 0;
    if (input.empty()) close(in[1]);
    if (stdoutTo != Stdout::collected && out[0] >= 0) {
        close(out[0]);
        out[0] = -1;
    }
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {input.empty() ? -1 : in[1], POLLOUT, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 3, -1) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                char chunk[4096];
                const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
                if (got > 0) {
                    sinks[i]->append(chunk, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                }
            }
        }
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = write(fds[2].fd, input.data() + fed, input.size() - fed);
            if (put > 0) fed += static_cast<std::size_t>(put);
            if (put < 0 && errno != EINTR && errno != EAGAIN) fed = input.size();
            if (fed == input.size()) {
                close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) close(fds[2].fd);
    int status = 0;
    if (spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

}  // namespace testkit
