#include "talvo/rules/piece_cutting.h"

#include <cstring>

#include "talvo/frame/encoding.h"
#include "talvo/tools/byte_scan.h"

namespace talvo {
namespace {

constexpr char32_t kEndOfFile = 26;

// Cuts a file's characters into pieces and appends them: CR dropped, a piece
// ends after a line feed or after 512 characters, a NUL ends a piece's text,
// one trailing line feed goes unless the piece is that line feed alone.
// `Char` is a byte of a code page 1251 file, or a code point of a decoded
// one, whose pieces are appended as UTF-8.
template <typename Char>
class PieceCutter {
public:
    PieceCutter(RulePieces* list, RuleFileReading* reading) : m_list(list), m_reading(reading) {}

    // Takes the next character; answers false at the Ctrl-Z that ends the file.
    bool Take(Char character) {
        const auto code = static_cast<char32_t>(character);
        if (code == kEndOfFile) {
            return false;
        }
        if (code == '\r') {
            return true;
        }
        if (m_used == 0) {
            m_pieceLine = m_line;
        }
        m_piece[m_used++] = character;
        if (code == '\n') {
            ++m_line;
            Append(false);
        } else if (m_used == kPieceCharacters) {
            Append(true);
        }
        return true;
    }

    // Takes `count` characters none of which is CR, LF or Ctrl-Z, at most as
    // many as the piece has room for.
    void TakeRun(const Char* characters, std::size_t count) {
        if (count == 0) {
            return;
        }
        if (m_used == 0) {
            m_pieceLine = m_line;
        }
        std::memcpy(m_piece + m_used, characters, count * sizeof(Char));
        m_used += count;
        if (m_used == kPieceCharacters) {
            Append(true);
        }
    }

    // Takes a whole line at once, the piece being empty: `count` characters
    // none of which is CR, LF, Ctrl-Z or NUL, fewer than a piece holds, then
    // its line feed (after which the piece would end anyway).
    void TakeLine(const Char* characters, std::size_t count) {
        m_pieceLine = m_line;
        static constexpr Char kLineFeed[] = {Char{'\n'}};
        // The line feed stays only as the whole piece.
        Push(count == 0 ? kLineFeed : characters, count == 0 ? 1 : count, false, false);
        ++m_line;
    }

    bool Empty() const { return m_used == 0; }

    // How many more characters the piece has room for.
    std::size_t Room() const { return kPieceCharacters - m_used; }

    // Appends what is left when the file (or its Ctrl-Z) ends.
    void Finish() {
        if (m_used > 0) {
            Append(false);
        }
    }

    // The line the next character stands on.
    std::int32_t Line() const { return m_line; }

private:
    void Append(bool split) {
        std::size_t length = 0;
        if constexpr (sizeof(Char) == 1) {
            const void* nul = std::memchr(m_piece, '\0', m_used);
            length = nul != nullptr ? static_cast<std::size_t>(static_cast<const Char*>(nul) - m_piece) : m_used;
        } else {
            while (length < m_used && m_piece[length] != Char{0}) {
                ++length;
            }
        }
        const bool cutAtNul = length < m_used;
        if (length > 1 && m_piece[length - 1] == Char{'\n'}) {
            --length;
        }
        m_used = 0;
        Push(m_piece, length, split, cutAtNul);
    }

    void Push(const Char* text, std::size_t length, bool split, bool cutAtNul) {
        m_reading->origins.push_back({m_pieceLine, split, cutAtNul});
        const std::size_t before = m_list->size();
        try {
            if constexpr (sizeof(Char) == 1) {
                m_list->emplace_back(text, length);
            } else {
                char utf8[kPieceCharacters * 4];
                std::size_t bytes = 0;
                for (std::size_t i = 0; i < length; ++i) {
                    if (text[i] < 0x80) {
                        utf8[bytes++] = static_cast<char>(text[i]);  // most rule text is ASCII
                    } else {
                        bytes += WriteUtf8(text[i], utf8 + bytes);
                    }
                }
                m_list->emplace_back(utf8, bytes);
            }
        } catch (...) {
            m_reading->origins.pop_back();
            if (m_list->size() > before) {
                m_list->pop_back();
            }
            throw;
        }
    }

    RulePieces* m_list;
    RuleFileReading* m_reading;
    Char m_piece[kPieceCharacters];
    std::size_t m_used = 0;
    std::int32_t m_line = 1;
    std::int32_t m_pieceLine = 1;
};

// How many of the first `limit` bytes come before one the cutter must look
// at: a CR, a LF or a Ctrl-Z.
std::size_t PlainRun(const char* bytes, std::size_t limit) {
    return Tools::FirstPlace(bytes, limit, Tools::AnyOf('\r', '\n', static_cast<char>(kEndOfFile)));
}

// How many of the first `limit` bytes come before a CR, a LF, a Ctrl-Z or a
// NUL.
std::size_t LineRun(const char* bytes, std::size_t limit) {
    return Tools::FirstPlace(bytes, limit, Tools::AnyOf('\r', '\n', static_cast<char>(kEndOfFile), '\0'));
}

// Gives the cutter a character; at the Ctrl-Z that ends the file answers
// false, and notes its line when bytes follow it (`more`).
template <typename Cutter, typename Char>
bool TakeOrEnd(Cutter& cutter, Char character, bool more, RuleFileReading* reading) {
    const std::int32_t line = cutter.Line();
    if (cutter.Take(character)) {
        return true;
    }
    if (more) {
        reading->ignoredFromLine = line;
    }
    return false;
}

// Appends what is left; the last piece is never split, as nothing of its
// line follows.
template <typename Cutter>
void FinishFile(Cutter& cutter, RuleFileReading* reading) {
    cutter.Finish();
    if (!reading->origins.empty()) {
        reading->origins.back().split = false;
    }
}

// Cuts a code page 1251 file: the runs between the bytes the cutter must look
// at go in whole.
void CutBytes(std::string_view bytes, RulePieces* list, RuleFileReading* reading) {
    PieceCutter<char> cutter(list, reading);
    const char* const data = bytes.data();
    std::size_t position = 0;
    while (position < bytes.size()) {
        if (cutter.Empty()) {
            // Most lines are short and plain, and go in straight from the
            // file; anything else takes the way below, from the same place.
            const std::size_t window = std::min(kPieceCharacters, bytes.size() - position);
            const std::size_t run = LineRun(data + position, window);
            const std::size_t end = position + run;
            const std::size_t feed = run == window              ? 0
                                     : data[end] == '\n'        ? 1
                                     : data[end] == '\r' && end + 1 < bytes.size() && data[end + 1] == '\n' ? 2
                                                                : 0;
            if (feed != 0) {
                cutter.TakeLine(data + position, run);
                position = end + feed;
                continue;
            }
        }
        const std::size_t window = std::min(cutter.Room(), bytes.size() - position);
        const std::size_t run = PlainRun(data + position, window);
        cutter.TakeRun(data + position, run);
        position += run;
        if (run == window) {
            continue;
        }
        const char character = data[position++];
        if (!TakeOrEnd(cutter, character, position < bytes.size(), reading)) {
            break;
        }
    }
    FinishFile(cutter, reading);
}

// Feeds the characters that `next` reads from `bytes` (from `position` on)
// through a cutter.
template <typename Char, typename Next>
void CutDecoded(std::string_view bytes, std::size_t position, Next next, RulePieces* list, RuleFileReading* reading) {
    PieceCutter<Char> cutter(list, reading);
    while (position < bytes.size()) {
        const Char character = next(bytes, position);
        if (!TakeOrEnd(cutter, character, position < bytes.size(), reading)) {
            break;
        }
    }
    FinishFile(cutter, reading);
}


}  // namespace

void CutPieces(std::string_view bytes, std::size_t position, RuleFileEncoding encoding, RulePieces* list,
               RuleFileReading* reading) {
    reading->encoding = encoding;
    switch (encoding) {
        case RuleFileEncoding::Cp1251:
            CutBytes(bytes, list, reading);
            break;
        case RuleFileEncoding::Utf8:
        case RuleFileEncoding::Utf8Bom:
            CutDecoded<char32_t>(
                bytes, position,
                [](std::string_view all, std::size_t& at) -> char32_t {
                    const auto byte = static_cast<unsigned char>(all[at]);
                    if (byte < 0x80) {  // most rule text is ASCII
                        ++at;
                        return byte;
                    }
                    return ReadUtf8(all, at);
                },
                list, reading);
            break;
        case RuleFileEncoding::Utf16Le:
        case RuleFileEncoding::Utf16Be: {
            const bool bigEndian = reading->encoding == RuleFileEncoding::Utf16Be;
            CutDecoded<char32_t>(
                bytes, position,
                [bigEndian](std::string_view all, std::size_t& at) { return ReadUtf16(all, at, bigEndian); }, list,
                reading);
            break;
        }
    }
}

void RulePieces::emplace_back(const char* bytes, std::size_t length) {
    const std::size_t before = m_bytes.size();
    m_bytes.append(bytes, length);
    try {
        m_ends.push_back(m_bytes.size());
    } catch (...) {
        m_bytes.resize(before);
        throw;
    }
}

void RulePieces::pop_back() {
    m_ends.pop_back();
    m_bytes.resize(m_ends.empty() ? 0 : m_ends.back());
}

}  // namespace talvo
