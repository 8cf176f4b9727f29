#include "wide_text.h"

namespace nomvary {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one sequence at `pos`; `allowSurrogates` accepts the three-byte
// form of U+D800..U+DFFF. Answers the code point and advances `pos`, or
// answers nothing and leaves `pos` when no valid sequence starts there.
bool DecodeOne(std::string_view text, std::size_t& pos, bool allowSurrogates, char32_t& out) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t value = 0, minimum = 0;
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (pos + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return false;
        value = (value << 6) | (byte(k) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF) return false;
    if (!allowSurrogates && value >= 0xD800 && value <= 0xDFFF) return false;
    out = value;
    pos += length;
    return true;
}

void PutUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = 0;
        if (!DecodeOne(text, pos, true, c)) {
            c = kReplacement;
            ++pos;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string Utf8FromWide(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        PutUtf8(out, c);
    }
    return out;
}

bool IsUtf8BeyondAscii(std::string_view bytes) {
    bool beyond = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t c = 0;
        if (!DecodeOne(bytes, pos, false, c)) return false;
        beyond = beyond || c >= 0x80;
    }
    return beyond;
}

}  // namespace nomvary
