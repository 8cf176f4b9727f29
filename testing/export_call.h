#pragma once

// Calls a command export of the library the way the host does: the call's
// text in a writable data buffer (900 bytes unless said), a parameter buffer
// beside it, and the answer read back from the data buffer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "testing/temp_folder.h"

namespace testkit {

// The host's classic data buffer, and the code an export returns when the
// buffer holds a command for the host to perform.
inline constexpr std::size_t kClassicBuffer = 900;
inline constexpr int32_t kCommandAnswered = 2;

struct ExportCall {
    int32_t code = 0;         // what the export returned
    std::vector<char> data;   // the whole data buffer afterwards
    std::string Answer() const { return std::string(data.data()); }
};

// `text` must fit the buffer with its NUL; the rest of the buffer is filled
// with `filler`, so a test can see whether the export wrote past its answer.
// `command` is any export of the host's six-argument form.
template <typename Command>
ExportCall CallExportFull(Command command, std::string_view text, std::size_t bufferSize = kClassicBuffer,
                          char filler = '\0') {
    ExportCall call;
    call.data.assign(bufferSize, filler);
    call.data.assign(text.begin(), text.end());
    call.data.push_back('\0');
    if (call.data.size() < bufferSize) call.data.resize(bufferSize, filler);
    std::vector<char> parms(bufferSize, '\0');
    call.code = command(nullptr, nullptr, call.data.data(), parms.data(), 0, 0);
    return call;
}

// The answer text ("var %match = N"), or "code N" when the export returned
// anything but the command code.
template <typename Command>
std::string CallExport(Command command, std::string_view text, std::size_t bufferSize = kClassicBuffer) {
    const ExportCall call = CallExportFull(command, text, bufferSize);
    return call.code == kCommandAnswered ? call.Answer() : "code " + std::to_string(call.code);
}

// A temporary folder made current for the test's lifetime: the library reads
// its rule files relative to the current folder.
class RuleFolder : public TempFolder {
public:
    RuleFolder() : TempFolder("talvo-test") { MakeCurrent(); }
    // Writes the rule file "Talvo/Rules/Talvo.<extension>".
    void WriteRules(const std::string& extension, std::string_view bytes) const {
        Write(fs::path("Talvo") / "Rules" / ("Talvo." + extension), bytes);
    }
};

inline std::string AnswerFor(int32_t value) { return "var %match = " + std::to_string(value); }

}  // namespace testkit
