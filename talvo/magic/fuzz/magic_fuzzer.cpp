// Magic call texts through the export, in the host's 900-byte data buffer and
// in the largest one a newer host passes (10,240 bytes).
//
// Besides the answer's shape it checks what the skip list promises: for an
// address that holds "!" and an "@" after it, appending a test number N that
// the text was answered with switches level N off and leaves the names alone,
// so the answer becomes 0 or a later level; appending all four answers 0.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/frame/host.h"
#include "testing/fuzz_check.h"

namespace {

constexpr std::size_t kClassicBuffer = TALVO_CLASSIC_BUFFER_SIZE;
constexpr std::size_t kLargestBuffer = 10240;
constexpr unsigned char kFiller = 0x5a;

using testkit::Require;

// The level Magic answers for `text` in a buffer of `size` bytes, after
// checking the answer's form and that nothing past it was written.
int Level(std::string_view text, std::size_t size) {
    std::vector<char> data(size, static_cast<char>(kFiller));
    std::memcpy(data.data(), text.data(), text.size());
    data[text.size()] = '\0';
    const std::vector<char> before = data;
    std::vector<char> parms(size, '\0');
    Require(Magic(nullptr, nullptr, data.data(), parms.data(), 1, 1) == TALVO_ANSWER_COMMAND,
            "Magic returned another code than 2", text);
    const std::string_view answer(data.data(), 14);
    Require(answer.substr(0, 13) == "var %match = " && answer[13] >= '0' && answer[13] <= '4' && data[14] == '\0',
            "the answer is not \"var %match = \" and a level 0 to 4", text);
    Require(std::equal(data.begin() + 15, data.end(), before.begin() + 15), "Magic wrote past its answer", text);
    return answer[13] - '0';
}

// The level in the host's classic buffer when the text fits it, and the same
// level in the largest buffer.
int Level(std::string_view text) {
    const int level = Level(text, kLargestBuffer);
    if (text.size() + 1 <= kClassicBuffer) {
        Require(Level(text, kClassicBuffer) == level, "the buffer's size changed the answer", text);
    }
    return level;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.size() + 1 + 8 > kLargestBuffer) {  // room for " 1 2 3 4"
        text = text.substr(0, kLargestBuffer - 9);
    }
    const int level = Level(text);

    const std::size_t bang = text.find('!');
    const bool namesFixed = bang != std::string_view::npos && text.find('@', bang) != std::string_view::npos;
    if (!namesFixed) {
        return 0;
    }
    const std::string all = std::string(text) + " 1 2 3 4";
    Require(Level(all) == 0, "switching off all four tests still answers a level", text);
    if (level != 0) {
        const std::string skipped = std::string(text) + " " + std::to_string(level);
        const int later = Level(skipped);
        Require(later == 0 || later > level, "switching off the answered test gave it or an earlier one", text);
    }
    return 0;
}
