// RuleFilter over rule files written from the input, with LoadRules between
// the requests, all through the host's calling form.
//
// The input is cut into parts at every pair of bytes 0x1e. Parts 0, 2, 4, ...
// are rule files: the first byte picks one of the fifteen files, the rest is
// written to it as it stands (every byte value: CR, LF, Ctrl-Z, NUL, byte 4,
// long lines), and LoadRules reads them all anew. Parts 1, 3, 5, ... are
// RuleFilter requests, in a 900-byte data buffer or, for longer texts, one as
// large as a newer host passes (10,240 bytes).
//
// The harness works in a private folder under the system's temporary folder;
// it changes into it once and removes it at exit.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/frame/host.h"
#include "talvo/rules/rule_files.h"
#include "testing/fuzz_check.h"

namespace {

constexpr std::string_view kPartMarker = "\x1e\x1e";
constexpr std::size_t kClassicBuffer = TALVO_CLASSIC_BUFFER_SIZE;
constexpr std::size_t kLargestBuffer = 10240;
constexpr unsigned char kFiller = 0xa5;

using testkit::Require;

struct Workspace {
    std::filesystem::path folder;
    std::filesystem::path previous;
};

Workspace* g_workspace = nullptr;

void RemoveWorkspace() {
    if (g_workspace != nullptr) {
        std::error_code ignored;
        std::filesystem::current_path(g_workspace->previous, ignored);
        std::filesystem::remove_all(g_workspace->folder, ignored);
    }
}

void EnterWorkspace() {
    if (g_workspace != nullptr) {
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "rule-filter-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("rule_filter_fuzzer: mkdtemp");
        std::abort();
    }
    g_workspace = new Workspace{pattern, std::filesystem::current_path()};
    std::filesystem::current_path(g_workspace->folder);
    std::filesystem::create_directories(std::filesystem::path("Talvo") / "Rules");
    std::atexit(RemoveWorkspace);
    LoadDll(nullptr);
}

// What reading a rule file gives, worked out the simple way, byte by byte:
// CR dropped, Ctrl-Z ends the file, a piece ends after a line feed or 512
// bytes. Each piece's origin; `ignoredFromLine` the line of a Ctrl-Z that
// has bytes after it, else 0.
std::vector<talvo::RulePieceOrigin> ReferenceOrigins(std::string_view bytes, std::int32_t& ignoredFromLine) {
    std::vector<talvo::RulePieceOrigin> origins;
    talvo::RulePieceOrigin piece{1, false, false};
    std::int32_t line = 1;
    std::size_t used = 0;
    ignoredFromLine = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (byte == 26) {
            ignoredFromLine = i + 1 < bytes.size() ? line : 0;
            break;
        }
        if (byte == '\r') {
            continue;
        }
        if (used == 0) {
            piece = {line, false, false};
        }
        piece.cutAtNul |= byte == '\0';
        ++used;
        if (byte == '\n' || used == 512) {
            piece.split = byte != '\n';
            origins.push_back(piece);
            line += byte == '\n' ? 1 : 0;
            used = 0;
        }
    }
    if (used > 0) {
        origins.push_back(piece);
    }
    if (!origins.empty()) {
        origins.back().split = false;  // nothing of its line follows
    }
    return origins;
}

std::int32_t ReferencePieces(std::string_view bytes) {
    std::int32_t ignored = 0;
    return static_cast<std::int32_t>(ReferenceOrigins(bytes, ignored).size());
}

// ReadRuleFile tells the rule checker where each piece came from.
void CheckReading(const std::string& path, std::string_view bytes) {
    talvo::StringList pieces;
    talvo::RuleFileReading reading;
    talvo::ReadRuleFile(path.c_str(), &pieces, &reading);
    std::int32_t ignored = 0;
    const std::vector<talvo::RulePieceOrigin> expected = ReferenceOrigins(bytes, ignored);
    Require(reading.found && reading.origins.size() == pieces.size() && pieces.size() == expected.size(),
            "ReadRuleFile's origins do not match its pieces", bytes);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Require(reading.origins[i].line == expected[i].line && reading.origins[i].split == expected[i].split &&
                    reading.origins[i].cutAtNul == expected[i].cutAtNul,
                "ReadRuleFile tells a piece's origin wrong", bytes);
    }
    Require(reading.ignoredFromLine == ignored, "ReadRuleFile tells the Ctrl-Z's line wrong", bytes);
}

// Calls a command export with `text` in a data buffer of the host's size and
// answers the number of its answer. The bytes past the answer's NUL must stay.
std::int32_t Call(decltype(&RuleFilter) command, std::string_view text) {
    if (text.size() + 1 > kLargestBuffer) {
        text = text.substr(0, kLargestBuffer - 1);
    }
    const std::size_t size = text.size() + 1 <= kClassicBuffer ? kClassicBuffer : kLargestBuffer;
    std::vector<char> data(size, static_cast<char>(kFiller));
    std::memcpy(data.data(), text.data(), text.size());
    data[text.size()] = '\0';
    const std::vector<char> before = data;
    std::vector<char> parms(size, '\0');

    const std::int32_t code = command(nullptr, nullptr, data.data(), parms.data(), 0, 0);
    Require(code == TALVO_ANSWER_COMMAND, "an export returned another code than 2", text);

    const std::string_view prefix = "var %match = ";
    const char* const end = static_cast<const char*>(std::memchr(data.data(), '\0', 25));
    Require(end != nullptr, "the answer is longer than 25 bytes", text);
    const std::string_view answer(data.data(), static_cast<std::size_t>(end - data.data()));
    Require(answer.substr(0, prefix.size()) == prefix, "the answer lacks its prefix", answer);
    std::string_view number = answer.substr(prefix.size());
    const bool negative = !number.empty() && number.front() == '-';
    std::string_view digits = negative ? number.substr(1) : number;
    Require(!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos &&
                (digits == "0" || digits.front() != '0') && !(negative && digits == "0"),
            "the answer's number is malformed", answer);
    const std::size_t after = answer.size() + 1;
    Require(std::equal(data.begin() + static_cast<std::ptrdiff_t>(after), data.end(),
                       before.begin() + static_cast<std::ptrdiff_t>(after)),
            "an export wrote past its answer", answer);
    return static_cast<std::int32_t>(std::strtol(std::string(number).c_str(), nullptr, 10));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EnterWorkspace();
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Each input starts from no rule files at all; only those the last input
    // wrote need removing, which keeps the file system's work per run small.
    static std::vector<std::string> written;
    for (const std::string& path : written) {
        std::remove(path.c_str());
    }
    written.clear();
    std::map<std::int32_t, std::string> files;  // set number -> bytes

    std::size_t part = 0;
    for (std::size_t begin = 0; begin <= input.size(); ++part) {
        std::size_t end = input.find(kPartMarker, begin);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        const std::string_view bytes = input.substr(begin, end - begin);
        begin = end + kPartMarker.size();

        if (part % 2 == 0) {
            if (!bytes.empty()) {
                const talvo::RuleFileRow& row = talvo::kRuleFiles[static_cast<unsigned char>(bytes[0]) % 15];
                const std::string_view content = bytes.substr(1);
                const std::string path = talvo::RuleFilePath(row.extension);
                std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
                written.push_back(path);
                files[row.set] = std::string(content);
                CheckReading(path, content);
            }
            std::int32_t expected = 0;
            for (const auto& [set, content] : files) {
                expected += ReferencePieces(content);
            }
            Require(Call(LoadRules, bytes) == expected, "LoadRules counts other entries than the rule files hold",
                    bytes);
            continue;
        }

        const std::string request(bytes.substr(0, bytes.find('\0')));
        const std::int32_t answer = Call(RuleFilter, request);
        Require(answer >= -5, "RuleFilter answered a code it has no meaning for", request);
        if (answer >= 1) {
            // Only a well-formed request reaches the search: word 1 is the set.
            const std::int32_t set = std::atoi(request.c_str());
            const auto file = files.find(set);
            Require(file != files.end() && answer <= ReferencePieces(file->second),
                    "RuleFilter answered an entry the set does not have", request);
        }
    }
    return 0;
}
