#include "name_rule.h"

#include <cstddef>

namespace nomvary {
namespace {

bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Bytes 128 to 255 are letters of some 8-bit or multi-byte encoding we do not
// decode; they carry a word on like any letter and never change case.
bool ContinuesWord(unsigned char c) {
    return IsDigit(c) || c == '`' || c == '\'' || c >= 128;
}

bool IsOpeningBracket(unsigned char c) { return c == '(' || c == '{' || c == '['; }
bool IsClosingBracket(unsigned char c) { return c == ')' || c == '}' || c == ']'; }

char ToLowerAscii(unsigned char c) { return static_cast<char>(IsUpper(c) ? c + 32 : c); }
char ToUpperAscii(unsigned char c) { return static_cast<char>(IsLower(c) ? c - 32 : c); }

// Whether the bytes of `name` from `pos`, put into lower case, read `text`.
// A piece running past the end of the name never matches.
bool LowerPieceIs(std::string_view name, std::size_t pos, std::string_view text) {
    if (name.size() - pos < text.size()) {
        return false;
    }
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (ToLowerAscii(static_cast<unsigned char>(name[pos + k])) != text[k]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string TransformName(std::string_view name, const RenameOptions& options) {
    const std::size_t n = name.size();
    std::string result;
    result.reserve(n);

    // Exactly three bytes follow the extension dot; shorter names have none.
    const bool hasDotSlot = n >= 4;
    const std::size_t dotIndex = hasDotSlot ? n - 4 : 0;

    bool wordStart = true;
    bool inBrackets = false;

    for (std::size_t i = 0; i < n; ++i) {
        // The look-ahead sees the name as listed, before blanks are converted.
        const bool exceptionSlot = wordStart && i != 0;
        const bool vsHere = options.vscheck && exceptionSlot &&
                            (LowerPieceIs(name, i, "vs. ") || LowerPieceIs(name, i, "vs "));
        const bool featHere = options.featcheck && exceptionSlot &&
                              (LowerPieceIs(name, i, "feat. ") || LowerPieceIs(name, i, "feat "));

        unsigned char c = static_cast<unsigned char>(name[i]);
        if (options.blankopt == BlankConversion::underscoreToBlank) {
            if (c == '_') c = ' ';
        } else if (c == ' ') {
            c = '_';
        }

        if (!options.capcheck) {
            result.push_back(static_cast<char>(c));
            continue;
        }

        const bool extensionDot = hasDotSlot && i == dotIndex && c == '.';
        bool insideWord = !wordStart;

        if (options.capsubcheck) {
            if (inBrackets) {
                if (IsClosingBracket(c)) {
                    inBrackets = false;
                    wordStart = false;
                    result.push_back(static_cast<char>(c));
                    continue;
                }
                insideWord = true;
            } else if (IsOpeningBracket(c)) {
                inBrackets = true;
                wordStart = true;
                result.push_back(static_cast<char>(c));
                continue;
            }
        }

        if (!insideWord) {
            if (IsLower(c)) {
                if (!vsHere && !featHere) c = static_cast<unsigned char>(ToUpperAscii(c));
                wordStart = false;
            } else if (c == 'V') {
                if (vsHere) c = 'v';
                wordStart = false;
            } else if (c == 'F') {
                if (featHere) c = 'f';
                wordStart = false;
            } else if (IsUpper(c) || ContinuesWord(c)) {
                wordStart = false;
            } else if (!extensionDot) {
                wordStart = true;
            }
        } else {
            if (IsUpper(c)) {
                c = static_cast<unsigned char>(ToLowerAscii(c));
                wordStart = false;
            } else if (IsLower(c) || ContinuesWord(c)) {
                wordStart = false;
            } else if (!extensionDot) {
                wordStart = true;
            }
        }
        result.push_back(static_cast<char>(c));
    }

    if (n >= 4 && LowerPieceIs(result, n - 4, ".mp3")) {
        result.replace(n - 3, 3, "mp3");
    }
    return result;
}

}  // namespace nomvary
