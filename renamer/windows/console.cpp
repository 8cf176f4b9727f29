#include "console.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "wide_text.h"

namespace nomvary {
namespace {

// A console shows UTF-16 through WriteConsoleW whatever its code page, so
// Cyrillic names read right; a pipe or a file gets UTF-8. Answers 0 or the
// errno-style reason of a failure.
int Write(DWORD which, std::string_view text) {
    if (text.empty()) return 0;
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return EBADF;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = WideFromUtf8(text);
        for (std::size_t done = 0; done < wide.size();) {
            DWORD put = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            if (!WriteConsoleW(handle, wide.data() + done, want, &put, nullptr) || put == 0) return EIO;
            done += put;
        }
        return 0;
    }
    for (std::size_t done = 0; done < text.size();) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        if (!WriteFile(handle, text.data() + done, want, &put, nullptr) || put == 0) {
            const DWORD error = GetLastError();
            return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE          ? EPIPE
                   : error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
                                                                                 : EIO;
        }
        done += put;
    }
    return 0;
}

std::string& Pending() {
    static std::string pending;
    return pending;
}

struct LocalFreer {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

}  // namespace

// The wide command line, since the 8-bit one loses every character outside
// the ANSI code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wide) return {argv, argv + argc};
    std::vector<std::string> args;
    for (int k = 0; k < count; ++k) args.push_back(Utf8FromWide(wide.get()[k]));
    return args;
}

int PrepareConsole() {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    return output == nullptr || output == INVALID_HANDLE_VALUE ? EBADF : 0;
}

int WriteOutput(std::string_view text) {
    Pending() += text;
    return Pending().size() >= 16384 ? FlushOutput() : 0;
}

int FlushOutput() {
    const int error = Write(STD_OUTPUT_HANDLE, Pending());
    Pending().clear();
    return error;
}

void WriteError(std::string_view text) {
    FlushOutput();
    Write(STD_ERROR_HANDLE, text);
}

}  // namespace nomvary
