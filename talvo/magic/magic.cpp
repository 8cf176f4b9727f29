#include "talvo/magic/magic.h"

#include <array>

#include "talvo/frame/byte_string.h"
#include "talvo/frame/encoding.h"
#include "talvo/magic/predicates.h"
#include "talvo/frame/text_utils.h"
#include "talvo/tools/tools.h"

namespace talvo {
namespace {

constexpr char kBlank = ' ';
constexpr char kTilde = '~';

// Which of the tests 1 to 4 the caller switched off. Index 0 is unused.
using SkipList = std::array<bool, 5>;

// Tokens 2, 3, ... of the call text; only the exact one-byte texts "1" to "4"
// mean anything. The walk carries its position from token to token, so a call
// text full of blanks costs one pass rather than one pass per token.
SkipList ReadSkipList(const std::string& callText) {
    SkipList skipped{};
    const std::int32_t length = Length(callText);
    std::int32_t position = 1;
    std::int32_t count = 0;
    // Passes the address, token 1.
    GetTokenFrom(callText, kBlank, 1, length, position, count);
    for (;;) {
        const std::string token = GetTokenFrom(callText, kBlank, count + 1, length, position, count);
        if (token.empty()) {
            return skipped;
        }
        if (token.size() == 1 && token[0] >= '1' && token[0] <= '4') {
            skipped[static_cast<std::size_t>(token[0] - '0')] = true;
        }
    }
}

// Only A-Z change; every other byte, those above 127 included, stays.
std::string LowerAscii(std::string text) {
    for (char& byte : text) {
        if (byte >= 'A' && byte <= 'Z') {
            byte = static_cast<char>(byte + ('a' - 'A'));
        }
    }
    return text;
}

bool IsNickLength(const std::string& nick) { return nick.size() > 5 && nick.size() < 13; }

bool IsUserLength(const std::string& user) { return user.size() > 3; }

// The test of levels 1 and 4: two word-unlike names. Level 4 runs it on
// lower-case copies and also accepts a consonant run in the user name.
bool AreWordUnlike(const std::string& nick, const std::string& user, bool tilde, bool userRunCounts) {
    if (!IsNickLength(nick) || !IsUserLength(user) || user == nick) {
        return false;
    }
    if (HasNonLetter(nick.c_str()) || HasNonLetter(user.c_str())) {
        return false;
    }
    const std::string joined = nick + user;
    if (!BothVowelPoor(nick.c_str(), joined.c_str())) {
        return false;
    }
    if (HasTripleRepeat(nick.c_str()) || HasTripleRepeat(user.c_str())) {
        return false;
    }
    if (!HasConsonantRun(nick.c_str(), 4) && !(userRunCounts && HasConsonantRun(user.c_str(), 4))) {
        return false;
    }
    // A user name the server could not confirm ("~") is weighed without the
    // cluster test.
    return tilde || !HasCommonCluster(joined.c_str());
}

// Level 1: both names in small letters only, word-unlike.
bool PassesLevel1(const std::string& nick, const std::string& user, bool tilde) {
    return HasNoCapitals(nick.c_str()) && HasNoCapitals(user.c_str()) && AreWordUnlike(nick, user, tilde, false);
}

// Level 2: the nickname alone, when the user name says nothing.
bool PassesLevel2(const std::string& nick) {
    return HasNoCapitals(nick.c_str()) && IsNickLength(nick) && !HasNonLetter(nick.c_str()) &&
           IsVowelPoor(Length(nick), CountVowels(nick.c_str())) && !HasTripleRepeat(nick.c_str()) &&
           HasConsonantRun(nick.c_str(), 3) && !HasCommonCluster(nick.c_str());
}

// Level 3: a small-letter nickname whose unconfirmed user name repeats it in
// capitals, recognised by the first character (`nickFirst`, `userFirst`). A
// user name that was a lone "~" has no first character; that is no match
// here, and level 4 is still tried.
bool PassesLevel3(const std::string& nick, const std::string& user, Unit nickFirst, Unit userFirst) {
    if (!HasNoCapitals(nick.c_str()) || !HasNoLowercase(user.c_str()) || user.empty()) {
        return false;
    }
    return UnitKey(nickFirst) == userFirst;
}

// Level 4: level 1 for names written in capitals, judged on lower-case
// copies. Lowering is one to one on names without small letters, so the
// copies are equal exactly when the names are.
bool PassesLevel4(const std::string& nick, const std::string& user, bool tilde) {
    return HasNoLowercase(user.c_str()) && HasNoLowercase(nick.c_str()) &&
           AreWordUnlike(LowerAscii(nick), LowerAscii(user), tilde, true);
}

}  // namespace

std::string AddressNick(std::string_view text) {
    return std::string(text.substr(0, text.find('!')));
}

std::string AddressUser(std::string_view text) {
    const std::size_t bang = text.find('!');
    if (bang == std::string_view::npos) {
        return std::string();
    }
    const std::string_view rest = text.substr(bang + 1);
    return std::string(rest.substr(0, rest.find('@')));
}

namespace {

// The level of a call text in code page 1251 bytes. `units`, when not empty,
// is the text the bytes stand for, character for character: the bytes hold a
// stand-in for each character the code page lacks, and level 3 compares the
// real first characters.
std::int32_t Classify(const std::string& call, UnitView units) {
    const SkipList skipped = ReadSkipList(call);
    const std::string nick = AddressNick(call);
    std::string user = AddressUser(call);
    if (nick.empty() || user.empty()) {
        return 0;
    }
    const bool tilde = user.front() == kTilde;
    if (tilde) {
        user.erase(0, 1);
    }

    if (!skipped[1] && PassesLevel1(nick, user, tilde)) {
        return 1;
    }
    if (IsAllDots(user.c_str()) && !skipped[2] && PassesLevel2(nick)) {
        return 2;
    }
    if (tilde && !skipped[3]) {
        const std::size_t userStart = nick.size() + 2;  // past the "!" and the "~"
        const auto unitAt = [&](std::size_t at) -> Unit {
            return units.empty() ? static_cast<unsigned char>(call[at]) : units[at];
        };
        if (!user.empty() && PassesLevel3(nick, user, unitAt(0), unitAt(userStart))) {
            return 3;
        }
    }
    if (!skipped[4] && PassesLevel4(nick, user, tilde)) {
        return 4;
    }
    return 0;
}

}  // namespace

std::int32_t MagicLevel(const char* callText) { return Classify(FromCString(callText), UnitView()); }

std::int32_t MagicLevel(std::string_view callText) { return Classify(std::string(callText), UnitView()); }

std::int32_t MagicLevelOfUnits(UnitView callText) {
    // A character the code page lacks is not a letter. Every test of levels
    // 1, 2 and 4 fails on a name that holds a non-letter (or, for level 2's
    // user name, on anything but full stops) before it looks at which
    // characters they are, so any non-letter byte other than ".", "!", "@",
    // "~", a blank and the digits 1 to 4 can stand in for them there.
    constexpr char kStandIn = '#';
    std::string call;
    call.reserve(callText.size());
    for (const Unit unit : callText) {
        call += unit < kFirstWideUnit ? static_cast<char>(unit) : kStandIn;
    }
    return Classify(call, callText);
}

}  // namespace talvo
