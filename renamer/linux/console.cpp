#include "console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>

namespace nomvary {

// Standard input, output and error must stay where the caller put them: a
// closed one is taken by /dev/null, so no file the run opens can take its
// number. A closed pipe must not end the run either.
int PrepareConsole() {
    int stdoutError = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            if (fd == 1) stdoutError = EBADF;
            // The lowest free number: this one, since those below are open.
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return stdoutError;
}

// Names are bytes: they go out as they are, whatever the terminal makes of
// them.
std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

int WriteOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return errno != 0 ? errno : EIO;
    return 0;
}

int FlushOutput() {
    if (std::fflush(stdout) != 0) return errno != 0 ? errno : EIO;
    return std::ferror(stdout) ? EIO : 0;
}

void WriteError(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

}  // namespace nomvary
