#pragma once

// The one shape of every command answer and the guard every command export
// runs its work in.
//
// Answers a script can see from a command export:
//   "var %match = N"  the export's own result (see the export's header);
//   "var %match = -6" the export failed inside (out of memory, an internal
//                     error): kInternalFailureAnswer. No export answers -6
//                     for any other reason.

#include <cstdint>
#include <string>

namespace talvo {

inline constexpr char kAnswerPrefix[] = "var %match = ";
inline constexpr std::int32_t kAnswerCode = 2;
inline constexpr std::int32_t kInternalFailureAnswer = -6;

// "var %match = " followed by the decimal text of `value`.
std::string AnswerText(std::int32_t value);

// Copies the answer for `value` with its NUL over the start of `data` (at most
// 25 bytes; the bytes after that NUL stay as they were) and returns 2. A null
// `data` is left alone. Allocates nothing and cannot fail.
std::int32_t WriteAnswer(char* data, std::int32_t value) noexcept;

// Runs `body` (int32 body() ) and writes its result as the answer. Whatever
// `body` throws ends up as `failureAnswer`; nothing leaves towards the host.
// Always returns 2.
template <typename Body>
std::int32_t GuardedCommand(char* data, Body&& body,
                            std::int32_t failureAnswer = kInternalFailureAnswer) noexcept {
    std::int32_t answer = failureAnswer;
    try {
        answer = body();
    } catch (...) {
        answer = failureAnswer;
    }
    return WriteAnswer(data, answer);
}

// For hooks without an answer (LoadDll): runs `body` and swallows whatever it
// throws. Answers false when something was thrown.
template <typename Body>
bool GuardedHook(Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace talvo
