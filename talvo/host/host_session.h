#pragma once

// The stand-in host: loads the Talvo library by path, calls its hooks and
// command exports the way the chat client's DLL convention does, and prints
// the data buffer the library leaves behind.
//
//   talvo-host [--library PATH] [--buffer-size N] [-v] EXPORT [TEXT...]
//   talvo-host [--library PATH] [--buffer-size N] [-v]   < calls
//   talvo-host --check [FOLDER]
//
// A call is an export name (LoadRules, RuleFilter or Magic) and the text the
// script would hand over; several TEXT arguments are joined by one blank. On
// standard input each line is one call: the export name, one blank, the text.
// Standard output gets exactly one line for every call: the data buffer, or
// for a refused line of standard input "error: " and the reason (a line that
// begins with a blank is refused too); a line that is empty or all blanks gets
// an empty line. -v writes the calls and return
// codes to standard error. Exit status: 0 when every call was made, 2 when the
// library could not be loaded or any call was refused. --check (rule_check.h)
// does not load the library.

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "talvo/host/dynamic_library.h"
#include "talvo/frame/host.h"

namespace talvo_host {

inline constexpr int kExitRefused = 2;
// The smallest buffer that holds every answer of the library.
inline constexpr std::size_t kMinimumBufferSize = 25;

struct HostOptions {
    std::string libraryPath;  // empty: the default places (DefaultLibraryPaths)
    std::size_t bufferSize = TALVO_CLASSIC_BUFFER_SIZE;
    bool verbose = false;
};

// Where the library is looked for without --library: beside the program, then
// one folder up (the build tree keeps talvo-host in host/ below the library),
// then where an install puts it (TALVO_INSTALLED_LIBRARY_DIR, relative to the
// program's folder, when the build defines it).
std::vector<std::string> DefaultLibraryPaths();

// What the chat client does with each return code of a command export.
const char* ReturnCodeMeaning(int code);

class HostSession {
public:
    // Loads the library and calls LoadDll with a load record; null and a
    // message in `error` when the library cannot be loaded.
    static std::unique_ptr<HostSession> Open(const HostOptions& options, std::string& error);
    // Calls UnloadDll with reason 2 (shutdown), then unloads the library.
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Why the call cannot be made (unknown export, export missing from the
    // library, a NUL in the text, a text that does not fit the data buffer),
    // as one line without a line end; empty when it can.
    std::string RefusalOf(const std::string& exportName, const std::string& text) const;

    // Makes one call that RefusalOf allows and prints the data buffer to
    // `out` as one line. With -v the call and its return code go to `err`
    // (the code's meaning the first time it comes), and after LoadRules the
    // rules folder and each file's entry count, as the rule checker reads
    // them. `out` is flushed before anything goes to `err`.
    void Call(const std::string& exportName, const std::string& text, std::ostream& out, std::ostream& err);

private:
    HostSession(std::unique_ptr<DynamicLibrary> library, const HostOptions& options);
    void Explain(int code, std::ostream& err);
    std::unique_ptr<DynamicLibrary> m_library;
    HostOptions m_options;
    TalvoLoadInfo m_loadInfo{};
    std::vector<int> m_explainedCodes;
};

// The whole program: parses the arguments, makes the calls from them or from
// `in`, answers the exit status. With `interactive` (`in` is a terminal) and
// no call in the arguments, the usage goes to `err` before calls are read.
int RunHost(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err, bool interactive = false);

}  // namespace talvo_host
