#pragma once

// Tests of unreadable and read-only files run as root on CI, where the
// capabilities that override file permissions make every file readable.
// WithPermissionsBinding runs a check in a child process that has dropped
// them, so the permission bits bind as they do for a user.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace testkit {

enum class Outcome { Held, Failed, Unavailable };

// Runs `body` in a child process in which file permissions bind. Held when it
// answered true, Failed when false (or the child died), Unavailable when the
// overriding capabilities could not be dropped.
inline Outcome WithPermissionsBinding(const std::function<bool()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct caps[2]{};
            constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
            if (syscall(SYS_capget, &header, caps) != 0) {
                _exit(77);
            }
            caps[0].effective &= ~kOverrides;
            caps[0].permitted &= ~kOverrides;
            caps[0].inheritable &= ~kOverrides;
            if (syscall(SYS_capset, &header, caps) != 0) {
                _exit(77);
            }
        }
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return Outcome::Failed;
    }
    return WEXITSTATUS(status) == 0    ? Outcome::Held
           : WEXITSTATUS(status) == 77 ? Outcome::Unavailable
                                       : Outcome::Failed;
}

}  // namespace testkit
