#include <cstdint>
#include <cstring>
#include <limits>

#include "talvo/tools/tools.h"
#include "talvo/tools/wild_match.h"

namespace Tools {

bool Talvo_TestByMask(std::string_view text, std::string_view mask, std::uint8_t maskByte) {
    if (text.empty() || mask.empty() || text.size() != mask.size()) {
        return false;
    }
    for (std::size_t i = mask.size(); i-- > 0;) {
        const auto m = static_cast<unsigned char>(mask[i]);
        if (m != maskByte && m != static_cast<unsigned char>(text[i])) {
            return false;
        }
    }
    return true;
}

std::int32_t Talvo_StrScan(std::string_view text, std::uint8_t byte, std::int32_t start) {
    // Positions are answered as 32-bit numbers; bytes beyond that are not searched.
    constexpr auto kMaxLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    const std::size_t length = text.size() < kMaxLength ? text.size() : kMaxLength;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (length == 0 || from >= length) {
        return 0;
    }
    const void* found = std::memchr(text.data() + from, byte, length - from);
    return found == nullptr ? 0
                            : static_cast<std::int32_t>(static_cast<const char*>(found) - text.data() + 1);
}

bool Talvo_TestWildStr(std::string_view text, std::string_view mask) {
    // Without a star this is the fixed-length mask test with '?' as wildcard.
    return MatchWild<ExactCase>(text, mask);
}

bool Talvo_TestWildText(std::string_view text, std::string_view mask) { return MatchWild<BlindCase>(text, mask); }

}  // namespace Tools
