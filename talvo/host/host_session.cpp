#include "talvo/host/host_session.h"

#include "talvo/host/rule_check.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>
#include <string_view>
#include <vector>

namespace talvo_host {
namespace {

using LoadHook = void(TALVO_HOST_CALL*)(TalvoLoadInfo*);
using UnloadHook = int32_t(TALVO_HOST_CALL*)(int32_t);
using CommandExport = int32_t(TALVO_HOST_CALL*)(TalvoWindow, TalvoWindow, char*, char*, TalvoBool,
                                                 TalvoBool);

constexpr const char* kCommandExports[] = {"LoadRules", "RuleFilter", "Magic"};
constexpr int32_t kUnloadShutdown = 2;
// Major 1, minor 0: the stand-in host's own version number.
constexpr uint32_t kHostVersion = 1;

bool IsCommandExport(const std::string& name) {
    for (const char* known : kCommandExports) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

template <typename Function>
Function ExportOf(const DynamicLibrary& library, const char* name) {
    return reinterpret_cast<Function>(library.Symbol(name));
}

std::string Usage() {
    return std::string(
               "usage: talvo-host [--library PATH] [--buffer-size N] [-v] EXPORT [TEXT...]\n"
               "       talvo-host [--library PATH] [--buffer-size N] [-v] < calls\n"
               "       talvo-host --check [FOLDER]\n"
               "       talvo-host -h | --help\n"
               "Calls EXPORT (LoadRules, RuleFilter or Magic) of the Talvo library with TEXT in\n"
               "a data buffer of N bytes (default 900), as the chat client does, and prints the\n"
               "buffer the library leaves behind. Without EXPORT every input line is one call,\n"
               "\"EXPORT TEXT\", and gets one output line: the buffer, \"error: ...\" for a refused\n"
               "call, an empty line for an empty one. -v also writes each call and its return\n"
               "code to standard error, after LoadRules the rules folder and its files.\n"
               "The library is PATH, else ") +
           LibraryFileName() + " beside talvo-host, else one folder up" +
#ifdef TALVO_INSTALLED_LIBRARY_DIR
           ",\nelse in " TALVO_INSTALLED_LIBRARY_DIR " from talvo-host's folder (where an install puts it)" +
#endif
           ".\n"
           "Exit status 2: the library could not be loaded, or a call was refused.\n"
           "--check reads the rule files under FOLDER (default: the current folder) as\n"
           "LoadRules does and reports each file and every suspicious line; exit status\n"
           "0 clean, 1 warnings, 2 the rules folder cannot be read.\n";
}

bool ParseSize(std::string_view text, std::size_t& size) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    std::size_t value = 0;
    for (const char byte : text) {
        if (byte < '0' || byte > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::size_t>(byte - '0');
    }
    size = value;
    return true;
}

}  // namespace

std::vector<std::string> DefaultLibraryPaths() {
    const std::string folder = ExecutableFolder();
    if (folder.empty()) {
        return {LibraryFileName()};
    }
    std::vector<std::string> paths{folder + LibraryFileName(), folder + ".." + folder.back() + LibraryFileName()};
#ifdef TALVO_INSTALLED_LIBRARY_DIR
    paths.push_back(folder + TALVO_INSTALLED_LIBRARY_DIR + "/" + LibraryFileName());
#endif
    return paths;
}

const char* ReturnCodeMeaning(int code) {
    switch (code) {
        case 0:
            return "halts the calling script";
        case 1:
            return "carries on, the data buffer unused";
        case 2:
            return "performs the command in the data buffer";
        case 3:
            return "hands the data buffer to the script as the call's value";
        default:
            return "no code of the DLL convention";
    }
}

std::unique_ptr<HostSession> HostSession::Open(const HostOptions& options, std::string& error) {
    std::vector<std::string> paths{options.libraryPath};
    if (options.libraryPath.empty()) {
        paths = DefaultLibraryPaths();
    }
    error.clear();
    for (const std::string& path : paths) {
        std::string reason;
        std::unique_ptr<DynamicLibrary> library = DynamicLibrary::Open(path, reason);
        if (library) {
            return std::unique_ptr<HostSession>(new HostSession(std::move(library), options));
        }
        error += "cannot load the library " + path + ": " + reason + "\n";
    }
    return nullptr;
}

HostSession::HostSession(std::unique_ptr<DynamicLibrary> library, const HostOptions& options)
    : m_library(std::move(library)), m_options(options) {
    m_loadInfo.mVersion = kHostVersion;
    m_loadInfo.mHwnd = nullptr;
    m_loadInfo.mKeep = 1;
    m_loadInfo.mUnicode = 0;
    m_loadInfo.mBeta = 0;
    m_loadInfo.mBytes = static_cast<uint32_t>(m_options.bufferSize);
    // The hooks are optional in the convention: a library without them is
    // simply not told.
    if (const auto load = ExportOf<LoadHook>(*m_library, "LoadDll")) {
        load(&m_loadInfo);
    }
}

HostSession::~HostSession() {
    if (const auto unload = ExportOf<UnloadHook>(*m_library, "UnloadDll")) {
        unload(kUnloadShutdown);
    }
}

std::string HostSession::RefusalOf(const std::string& exportName, const std::string& text) const {
    if (!IsCommandExport(exportName)) {
        return "unknown export \"" + exportName + "\" (known: LoadRules, RuleFilter, Magic)";
    }
    if (ExportOf<CommandExport>(*m_library, exportName.c_str()) == nullptr) {
        return "the library has no export \"" + exportName + "\"";
    }
    if (text.find('\0') != std::string::npos) {
        return "the text of " + exportName + " holds a NUL byte, which a script cannot pass";
    }
    if (text.size() + 1 > m_options.bufferSize) {
        return "the text of " + exportName + " has " + std::to_string(text.size()) +
               " bytes; with its NUL it does not fit the " + std::to_string(m_options.bufferSize) +
               "-byte data buffer";
    }
    return std::string();
}

void HostSession::Explain(int code, std::ostream& err) {
    err << "< " << code;
    if (std::find(m_explainedCodes.begin(), m_explainedCodes.end(), code) == m_explainedCodes.end()) {
        m_explainedCodes.push_back(code);
        err << ": the host " << ReturnCodeMeaning(code);
    }
    err << "\n";
}

void HostSession::Call(const std::string& exportName, const std::string& text, std::ostream& out,
                       std::ostream& err) {
    const auto command = ExportOf<CommandExport>(*m_library, exportName.c_str());
    std::vector<char> data(m_options.bufferSize, '\0');
    std::vector<char> parms(m_options.bufferSize, '\0');
    std::memcpy(data.data(), text.c_str(), text.size() + 1);
    if (m_options.verbose) {
        out.flush();
        err << "> " << exportName << " \"" << text << "\"\n";
    }
    const int32_t code = command(nullptr, nullptr, data.data(), parms.data(), 0, 0);
    // The library must leave a NUL inside the buffer; never read past it.
    const auto end = std::find(data.begin(), data.end(), '\0');
    out << std::string(data.begin(), end) << "\n";
    if (m_options.verbose) {
        out.flush();
        Explain(code, err);
        if (exportName == "LoadRules") {
            const RuleFolderReport report = CheckRuleFolder(std::string(), false);
            if (report.problem.empty()) {
                PrintRuleFiles(report, err);
            } else {
                err << "folder " << report.folder << "\nwarning: the rules folder cannot be read ("
                    << report.problem << "), so every rule set is empty\n";
            }
        }
    }
}

namespace {

bool IsBlankLine(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

}  // namespace

int RunHost(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err, bool interactive) {
    HostOptions options;
    bool check = false;
    int next = 1;
    for (; next < argc; ++next) {
        const std::string_view argument = argv[next];
        if (argument == "-v") {
            options.verbose = true;
        } else if (argument == "--library" && next + 1 < argc) {
            options.libraryPath = argv[++next];
        } else if (argument == "--buffer-size" && next + 1 < argc) {
            if (!ParseSize(argv[++next], options.bufferSize) || options.bufferSize < kMinimumBufferSize) {
                err << "talvo-host: --buffer-size needs a number of at least " << kMinimumBufferSize
                    << "\n";
                return kExitRefused;
            }
        } else if (argument == "--check") {
            check = true;
        } else if (argument == "--help" || argument == "-h") {
            out << Usage();
            return 0;
        } else if (argument.size() > 1 && argument[0] == '-') {
            err << "talvo-host: unknown option " << argument << "\n" << Usage();
            return kExitRefused;
        } else {
            break;
        }
    }

    if (check) {
        if (argc - next > 1) {
            err << "talvo-host: --check takes one FOLDER at most\n" << Usage();
            return kExitRefused;
        }
        return RunRuleCheck(next < argc ? argv[next] : "", out, err);
    }

    std::string error;
    std::unique_ptr<HostSession> session = HostSession::Open(options, error);
    if (!session) {
        err << "talvo-host: " << error;
        return kExitRefused;
    }

    if (next < argc) {
        std::string text;
        for (int i = next + 1; i < argc; ++i) {
            text += (i > next + 1 ? " " : "");
            text += argv[i];
        }
        const std::string refusal = session->RefusalOf(argv[next], text);
        if (!refusal.empty()) {
            err << "talvo-host: " << refusal << "\n";
            return kExitRefused;
        }
        session->Call(argv[next], text, out, err);
        out.flush();
        return 0;
    }
    if (interactive) {
        err << Usage() << "Reading calls, one a line, until the end of the input.\n";
    }
    // One output line for every input line, each flushed at once, so that a
    // script feeding calls one at a time can read each answer as it comes.
    bool allMade = true;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (IsBlankLine(line)) {
            out << "\n";
        } else if (line.front() == ' ') {
            // Taken as it stands, the name would be the empty text before the
            // first blank, and the error would name no export at all.
            out << "error: the line begins with a blank; a call is the export name at the start of "
                   "the line, one blank, then the text\n";
            allMade = false;
        } else {
            const std::size_t blank = line.find(' ');
            const std::string name = line.substr(0, blank);
            const std::string text = blank == std::string::npos ? std::string() : line.substr(blank + 1);
            const std::string refusal = session->RefusalOf(name, text);
            if (refusal.empty()) {
                session->Call(name, text, out, err);
            } else {
                out << "error: " << refusal << "\n";
                allMade = false;
            }
        }
        out.flush();
    }
    return allMade ? 0 : kExitRefused;
}

}  // namespace talvo_host
