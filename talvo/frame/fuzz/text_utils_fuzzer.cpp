// Tokenize, GetToken, GetTokenFrom, IsIntegerText, NewTokenNode and
// StripNewline against simple references written here.
//
// Input: byte 0 picks the separator (the blank, '@', byte 4, or byte 1
// itself), byte 2 is the token number for GetToken (signed, so 0 and negative
// numbers come up); the rest, up to a NUL, is the text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/frame/text_utils.h"
#include "testing/fuzz_check.h"

namespace {

using testkit::Require;

// The maximal runs of bytes other than `separator`.
std::vector<std::string> ReferenceTokens(std::string_view text, char separator) {
    std::vector<std::string> tokens;
    std::string current;
    for (const char byte : text) {
        if (byte == separator) {
            if (!current.empty()) {
                tokens.push_back(current);
                current.clear();
            }
        } else {
            current += byte;
        }
    }
    if (!current.empty()) {
        tokens.push_back(current);
    }
    return tokens;
}

bool ReferenceIsInteger(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    for (const char byte : text) {
        if (byte < '0' || byte > '9') {
            return false;
        }
    }
    return true;
}

std::vector<std::string> ListTexts(const talvo::TokenNode* node) {
    std::vector<std::string> texts;
    for (; node != nullptr; node = node->next) {
        texts.emplace_back(node->text);
    }
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    static constexpr char kSeparators[] = {' ', '@', 4};
    const char separator = data[0] % 4 < 3 ? kSeparators[data[0] % 4] : static_cast<char>(data[1]);
    const std::int32_t number = static_cast<std::int8_t>(data[2]);
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    const char* const line = text.c_str();  // the C string ends at the first NUL
    const std::string_view bytes(line);

    // Tokenize accepts every separator value, a NUL included (one token).
    const std::vector<std::string> tokens = ReferenceTokens(bytes, separator);
    {
        talvo::TokenRegion region;
        Require(ListTexts(talvo::Tokenize(bytes, separator, region)) == tokens, "Tokenize differs from the reference",
                bytes);
        const talvo::TokenNode* node = talvo::NewTokenNode(bytes, region);
        Require(node && node->next == nullptr && bytes == node->text, "NewTokenNode changes the text", bytes);
    }

    // GetToken takes separators below 0x80 only.
    if (static_cast<unsigned char>(separator) < 0x80 && separator != '\0') {
        const std::string token = talvo::GetToken(line, separator, number);
        const std::string expected =
            number >= 1 && static_cast<std::size_t>(number) <= tokens.size() ? tokens[number - 1] : "";
        Require(token == expected, "GetToken differs from the reference", bytes);

        // Walking on from where the last token ended gives every token in turn.
        const std::int32_t length = static_cast<std::int32_t>(bytes.size());
        std::int32_t position = 1;
        std::int32_t count = 0;
        std::vector<std::string> walked;
        const std::string whole(bytes);
        for (;;) {
            std::string next = talvo::GetTokenFrom(whole, separator, count + 1, length, position, count);
            if (next.empty()) {
                break;
            }
            walked.push_back(std::move(next));
        }
        Require(walked == tokens, "GetTokenFrom walks other tokens than the reference", bytes);
        Require(count == static_cast<std::int32_t>(tokens.size()), "GetTokenFrom miscounts", bytes);
    }

    Require(talvo::IsIntegerText(line) == ReferenceIsInteger(bytes), "IsIntegerText differs from the reference",
            bytes);
    for (const std::string& token : tokens) {
        Require(talvo::IsIntegerText(token.c_str()) == ReferenceIsInteger(token),
                "IsIntegerText of a token differs from the reference", token);
    }

    std::string stripped(bytes);
    std::string expected(bytes);
    if (expected.size() > 1 && expected.back() == '\n') {
        expected.pop_back();
    }
    Require(talvo::StripNewline(stripped.data()) == stripped.data() && std::string_view(stripped.c_str()) == expected,
            "StripNewline differs from the reference", bytes);
    return 0;
}
