#pragma once

// Runs the built talvo-host (TALVO_HOST_PATH) in the current folder, the calls
// coming from a file there, and collects what it printed and its exit status.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct HostRun {
    std::string output;  // standard output and standard error
    int status;
};

inline HostRun RunHost(const std::string& arguments, const std::string& calls) {
    std::FILE* file = std::fopen("calls.txt", "wb");
    std::fwrite(calls.data(), 1, calls.size(), file);
    std::fclose(file);
    const std::string command = std::string("'") + TALVO_HOST_PATH + "' " + arguments + " < calls.txt 2>&1";
    HostRun run{std::string(), -1};
    std::FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        run.output.append(chunk, got);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
