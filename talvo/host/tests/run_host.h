#pragma once

// Runs the built talvo-host (TALVO_HOST_PATH) through a shell, so a test row
// can write its arguments as a user types them, with the calls on standard
// input. Standard output and standard error come back as one text.

#include <string>

#include "testing/subprocess.h"

struct HostRun {
    std::string output;
    int status;
};

inline HostRun RunHost(const std::string& arguments, const std::string& calls) {
    const testkit::RunResult run =
        testkit::Run({"/bin/sh", "-c", std::string("'") + TALVO_HOST_PATH + "' " + arguments + " 2>&1"}, calls);
    return {run.out, run.status};
}

// The same with the built library named, not found by its default place.
inline HostRun RunHostOnLibrary(const std::string& arguments, const std::string& calls) {
    return RunHost(std::string("--library '") + TALVO_LIBRARY_PATH + "' " + arguments, calls);
}
