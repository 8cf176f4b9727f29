#include "talvo/frame/answer.h"

#include <cstring>

#include "talvo/frame/byte_string.h"

namespace talvo {

std::string AnswerText(std::int32_t value) { return kAnswerPrefix + DecimalText(value); }

std::int32_t WriteAnswer(char* data, std::int32_t value) noexcept {
    // Assembled on the stack so that answering never needs memory: an export
    // that failed for want of memory still answers.
    constexpr std::size_t kPrefixLength = sizeof kAnswerPrefix - 1;
    char answer[kPrefixLength + 12];  // "-2147483648" and the NUL
    std::memcpy(answer, kAnswerPrefix, kPrefixLength);
    char* const end = WriteDecimal(answer + kPrefixLength, value);
    *end = '\0';
    if (data != nullptr) {
        std::memcpy(data, answer, static_cast<std::size_t>(end - answer) + 1);
    }
    return kAnswerCode;
}

}  // namespace talvo
