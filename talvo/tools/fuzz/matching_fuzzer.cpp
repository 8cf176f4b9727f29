// The four matchers of the Tools unit against simple references written here.
//
// Input: byte 0 is the mask length, byte 1 the byte for Talvo_TestByMask and
// Talvo_StrScan, byte 2 the start position of Talvo_StrScan; then the mask,
// then the text. NUL and every other byte value are ordinary bytes.
//
// The reference matcher is a plain backtracking glob. The matchers walk the
// mask differently (head anchored at the start, tail at the end, each middle
// segment taken at its leftmost place, no back-tracking), and that gives the
// same answers: if any placement of the segments fits, the leftmost one ends
// no later than it, so it leaves at least as much text for every later
// segment and for the tail. The one deliberate difference is the empty mask,
// which matches nothing, not even the empty text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/tools/tools.h"
#include "testing/fuzz_check.h"

namespace {

using testkit::Require;

bool SameExact(unsigned char mask, unsigned char text) { return mask == text; }

bool SameCaseBlind(unsigned char mask, unsigned char text) {
    return mask == text || Tools::ToUpperChars[mask] == Tools::ToUpperChars[text];
}

// Backtracking glob over text[t..] and mask[m..], remembered per (t, m) so a
// mask of many stars stays polynomial.
class Glob {
public:
    Glob(std::string_view text, std::string_view mask, bool (*same)(unsigned char, unsigned char))
        : m_text(text), m_mask(mask), m_same(same), m_memo((text.size() + 1) * (mask.size() + 1), -1) {}

    bool Matches() { return !m_mask.empty() && From(0, 0); }

private:
    bool From(std::size_t t, std::size_t m) {
        signed char& known = m_memo[t * (m_mask.size() + 1) + m];
        if (known >= 0) {
            return known != 0;
        }
        bool result;
        if (m == m_mask.size()) {
            result = t == m_text.size();
        } else if (m_mask[m] == '*') {
            result = From(t, m + 1) || (t < m_text.size() && From(t + 1, m));
        } else {
            result = t < m_text.size() &&
                     (m_mask[m] == '?' || m_same(static_cast<unsigned char>(m_mask[m]),
                                                 static_cast<unsigned char>(m_text[t]))) &&
                     From(t + 1, m + 1);
        }
        known = result ? 1 : 0;
        return result;
    }

    std::string_view m_text;
    std::string_view m_mask;
    bool (*m_same)(unsigned char, unsigned char);
    std::vector<signed char> m_memo;
};

bool ReferenceByMask(std::string_view text, std::string_view mask, unsigned char maskByte) {
    if (text.empty() || mask.empty() || text.size() != mask.size()) {
        return false;
    }
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (static_cast<unsigned char>(mask[i]) != maskByte && mask[i] != text[i]) {
            return false;
        }
    }
    return true;
}

std::int32_t ReferenceStrScan(std::string_view text, unsigned char byte, std::int32_t start) {
    for (std::int32_t position = start; position >= 1 && position <= static_cast<std::int32_t>(text.size());
         ++position) {
        if (static_cast<unsigned char>(text[position - 1]) == byte) {
            return position;
        }
    }
    return 0;
}

std::string Folded(std::string_view bytes) {
    std::string folded(bytes);
    for (char& byte : folded) {
        byte = static_cast<char>(Tools::ToUpperChars[static_cast<unsigned char>(byte)]);
    }
    return folded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::size_t maskLength = data[0];
    const unsigned char byte = data[1];
    const std::int32_t start = static_cast<std::int8_t>(data[2]);  // below 1 too
    const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::string_view mask = rest.substr(0, maskLength);
    const std::string_view text = rest.substr(mask.size());

    Require(Tools::Talvo_TestWildStr(text, mask) == Glob(text, mask, SameExact).Matches(),
            "Talvo_TestWildStr differs from the reference", {text, mask});
    const bool caseBlind = Tools::Talvo_TestWildText(text, mask);
    Require(caseBlind == Glob(text, mask, SameCaseBlind).Matches(),
            "Talvo_TestWildText differs from the reference", {text, mask});
    // Every comparison through the case table is an exact comparison of the
    // folded bytes, and the table leaves '?' and '*' alone.
    Require(caseBlind == Tools::Talvo_TestWildStr(Folded(text), Folded(mask)),
            "Talvo_TestWildText differs from Talvo_TestWildStr of the folded bytes", {text, mask});
    Require(Tools::Talvo_TestByMask(text, mask, byte) == ReferenceByMask(text, mask, byte),
            "Talvo_TestByMask differs from the reference", {text, mask});
    if (start >= 1) {  // below 1 the answer is left open
        Require(Tools::Talvo_StrScan(text, byte, start) == ReferenceStrScan(text, byte, start),
                "Talvo_StrScan differs from the reference", {text, mask});
    } else {
        const std::int32_t found = Tools::Talvo_StrScan(text, byte, start);
        Require(found >= 0 && found <= static_cast<std::int32_t>(text.size()),
                "Talvo_StrScan answers a position outside the text", {text, mask});
    }
    return 0;
}
