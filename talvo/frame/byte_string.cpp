#include "talvo/frame/byte_string.h"

#include <limits>
#include <stdexcept>

namespace talvo {

std::string FromCString(const char* text) { return text == nullptr ? std::string() : std::string(text); }

std::int32_t Length(std::string_view text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(text.size() < kMax ? text.size() : kMax);
}

char CharAt(std::string_view text, std::int32_t position) {
    if (position < 1 || position > Length(text)) {
        throw std::out_of_range("byte string position out of range");
    }
    return text[static_cast<std::size_t>(position) - 1];
}

std::string SubString(std::string_view text, std::int32_t start, std::int32_t count) {
    if (start < 1 || count < 1 || start > Length(text)) {
        return std::string();
    }
    return std::string(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

std::string DecimalText(std::int32_t value) {
    char digits[12];
    return std::string(digits, WriteDecimal(digits, value));
}

char* WriteDecimal(char* out, std::int32_t value) noexcept {
    // Through the unsigned magnitude so that INT32_MIN needs no special case.
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char reversed[10];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        *out++ = reversed[--count];
    }
    return out;
}

}  // namespace talvo
