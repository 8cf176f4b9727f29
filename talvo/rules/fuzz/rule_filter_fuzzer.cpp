// RuleFilter over rule files made from the input, with LoadRules between the
// requests; RuleFilter through the host's calling form. The files never touch
// the disk: the loader reads them from memory through the same reading code
// (a file source), so LoadRules is answered by the function the export
// answers with (LoadRulesAnswer), not through the export itself, whose data
// buffer the host tests check.
//
// The input is cut into parts at every pair of bytes 0x1e. Parts 0, 2, 4, ...
// are rule files: the first byte b picks one of the fifteen files (b % 15)
// and how the rest is handed over ((b / 15) % 6):
//   0  as it stands (every byte value: CR, LF, Ctrl-Z, NUL, byte 4, long
//      lines; read as whatever its content makes it),
//   1  taken as code page 1251 and written in UTF-8,
//   2  the same with the UTF-8 mark,
//   3  the same in UTF-16 little-endian with its mark,
//   4  the same in UTF-16 big-endian with its mark,
//   5  as it stands behind the UTF-8 mark (malformed sequences and all).
// Reading each file must tell where each piece came from as a simple
// reference reader does, and LoadRules, reading them all anew, must count the
// pieces it finds. When every file is one of 1 to 4 and its code page 1251 bytes
// read as code page 1251, the rules loaded at the end must be exactly those
// the code page 1251 files give.
// Parts 1, 3, 5, ... are RuleFilter requests, in a 900-byte data buffer or,
// for longer texts, one as large as a newer host passes (10,240 bytes); a
// request in code page 1251 must be answered alike in UTF-8.
// Parts after the eighth and bytes after the 1,200th are not read.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "talvo/frame/encoding.h"
#include "talvo/frame/host.h"
#include "talvo/rules/rule_files.h"
#include "talvo/rules/rule_filter.h"
#include "talvo/rules/rule_store.h"
#include "testing/filter_modes.h"
#include "testing/fuzz_check.h"

namespace {

constexpr std::string_view kPartMarker = "\x1e\x1e";
constexpr std::size_t kClassicBuffer = TALVO_CLASSIC_BUFFER_SIZE;
constexpr std::size_t kLargestBuffer = 10240;
constexpr unsigned char kFiller = 0xa5;
constexpr int kForms = 6;
// Every file part reloads every file, so the work grows with the square of the
// parts and their length; beyond these the input is not read. Four files and
// four requests still reach every interplay of loading and asking, and 1,200
// bytes hold lines past 512 characters in every form.
constexpr std::size_t kMostParts = 8;
constexpr std::size_t kMostBytes = 1200;

using testkit::Require;

constexpr std::size_t kFiles = std::size(talvo::kRuleFiles);

// The rule files by their row in kRuleFiles; none where a file is missing.
using Files = std::array<std::optional<std::string>, kFiles>;
Files g_files;  // what the loader reads

bool FromMemory(const char* path, std::string_view* bytes) {
    // The loader asks for all fifteen files every pass and most are missing.
    // The last two bytes of a path tell the fifteen apart, so they pick the
    // row at once; only the path of a file that is there is compared whole.
    struct Rows {
        std::array<std::string, kFiles> paths;
        std::array<std::int8_t, 65536> byLastTwo;
    };
    static const Rows rows = [] {
        Rows made;
        made.byLastTwo.fill(-1);
        for (std::size_t row = 0; row < kFiles; ++row) {
            const std::string& path = made.paths[row] = talvo::RuleFilePath(talvo::kRuleFiles[row].extension);
            made.byLastTwo[static_cast<unsigned char>(path[path.size() - 2]) * 256u +
                           static_cast<unsigned char>(path.back())] = static_cast<std::int8_t>(row);
        }
        return made;
    }();
    const std::string_view wanted(path);
    if (wanted.size() < 2) {
        return false;
    }
    const int row = rows.byLastTwo[static_cast<unsigned char>(wanted[wanted.size() - 2]) * 256u +
                                    static_cast<unsigned char>(wanted.back())];
    if (row < 0 || !g_files[static_cast<std::size_t>(row)] || wanted != rows.paths[static_cast<std::size_t>(row)]) {
        return false;
    }
    *bytes = *g_files[static_cast<std::size_t>(row)];
    return true;
}

// The bytes of form `form` for `content`.
std::string Form(int form, std::string_view content) {
    switch (form) {
        case 1: return talvo::Utf8FromCp1251(content);
        case 2: return "\xEF\xBB\xBF" + talvo::Utf8FromCp1251(content);
        case 3: return "\xFF\xFE" + talvo::Utf16FromCp1251(content, false);
        case 4: return "\xFE\xFF" + talvo::Utf16FromCp1251(content, true);
        case 5: return "\xEF\xBB\xBF" + std::string(content);
        default: return std::string(content);
    }
}

// The characters of a file, `each` called for every one with whether bytes
// follow it, until it answers false: bytes, unless a mark or UTF-8 content
// says how to decode them.
template <typename Each>
void ForEachCharacter(std::string_view bytes, Each each) {
    std::size_t position = 0;
    const auto marked = [&](std::string_view mark) {
        const bool holds = bytes.substr(0, mark.size()) == mark;
        position = holds ? mark.size() : 0;
        return holds;
    };
    const auto run = [&](auto next) {
        while (position < bytes.size()) {
            const char32_t character = next();
            if (!each(character, position < bytes.size())) {
                return;
            }
        }
    };
    if (marked("\xFF\xFE") || marked("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        run([&] { return talvo::ReadUtf16(bytes, position, bigEndian); });
    } else if (marked("\xEF\xBB\xBF") || talvo::IsUtf8Text(bytes)) {
        run([&] { return talvo::ReadUtf8(bytes, position); });
    } else {
        run([&] { return static_cast<char32_t>(static_cast<unsigned char>(bytes[position++])); });
    }
}

// True when code page 1251 `content` would not be read as code page 1251.
bool ReadsAsDecoded(std::string_view content) {
    return content.substr(0, 2) == "\xFF\xFE" || content.substr(0, 2) == "\xFE\xFF" ||
           content.substr(0, 3) == "\xEF\xBB\xBF" || talvo::IsUtf8Text(content);
}

// What reading a rule file gives, worked out the simple way, character by
// character: CR dropped, Ctrl-Z ends the file, a piece ends after a line feed
// or 512 characters. Each piece's origin; `ignoredFromLine` the line of a
// Ctrl-Z that has bytes after it, else 0.
std::vector<talvo::RulePieceOrigin> ReferenceOrigins(std::string_view bytes, std::int32_t& ignoredFromLine) {
    std::vector<talvo::RulePieceOrigin> origins;
    talvo::RulePieceOrigin piece{1, false, false};
    std::int32_t line = 1;
    std::size_t used = 0;
    ignoredFromLine = 0;
    ForEachCharacter(bytes, [&](char32_t character, bool more) {
        if (character == 26) {
            ignoredFromLine = more ? line : 0;
            return false;
        }
        if (character == '\r') {
            return true;
        }
        if (used == 0) {
            piece = {line, false, false};
        }
        piece.cutAtNul |= character == 0;
        ++used;
        if (character == '\n' || used == 512) {
            piece.split = character != '\n';
            origins.push_back(piece);
            line += character == '\n' ? 1 : 0;
            used = 0;
        }
        return true;
    });
    if (used > 0) {
        origins.push_back(piece);
    }
    if (!origins.empty()) {
        origins.back().split = false;  // nothing of its line follows
    }
    return origins;
}

// The file's entries, after checking that reading it tells where each came
// from as the reference does.
std::int32_t CheckReading(std::string_view bytes) {
    talvo::RulePieces pieces;
    talvo::RuleFileReading reading;
    talvo::ReadRuleBytes(bytes, &pieces, &reading);
    std::int32_t ignored = 0;
    const std::vector<talvo::RulePieceOrigin> expected = ReferenceOrigins(bytes, ignored);
    Require(reading.found && reading.origins.size() == pieces.size() && pieces.size() == expected.size(),
            "the reading's origins do not match its pieces", bytes);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Require(reading.origins[i].line == expected[i].line && reading.origins[i].split == expected[i].split &&
                    reading.origins[i].cutAtNul == expected[i].cutAtNul,
                "the reading tells a piece's origin wrong", bytes);
    }
    Require(reading.ignoredFromLine == ignored, "the reading tells the Ctrl-Z's line wrong", bytes);
    return static_cast<std::int32_t>(expected.size());
}

// Every record of every set as text, to compare two loading passes.
std::string Rules() {
    std::string all;
    const talvo::RuleSnapshot store = talvo::CurrentRuleStore();
    for (const talvo::RuleSet set : store->sets) {
        for (talvo::RuleRecord** record = set; record != nullptr && *record != nullptr; ++record) {
            all += (*record)->wide ? "W" : "N";
            for (const talvo::TokenNode* word = (*record)->words; word != nullptr; word = word->next) {
                all += std::string(word->text) + '\1';
            }
            all += '\2';
            for (const talvo::RuleGroup* group = (*record)->exceptions; group != nullptr; group = group->next) {
                all += std::string(group->text) + '\1';
                for (const talvo::TokenNode* word = group->words; word != nullptr; word = word->next) {
                    all += std::string(word->text) + '\5';
                }
            }
            all += '\3';
        }
        all += '\4';
    }
    return all;
}

// Calls a command export with `text` in a data buffer of the host's size and
// answers the number of its answer. The bytes past the answer's NUL must stay.
// The buffers are of exactly the host's sizes, so a write past them is seen.
std::int32_t Call(decltype(&RuleFilter) command, std::string_view text) {
    static char classic[kClassicBuffer];
    static char largest[kLargestBuffer];
    static char parms[kLargestBuffer];
    static const std::string filler(kLargestBuffer, static_cast<char>(kFiller));
    if (text.size() + 1 > kLargestBuffer) {
        text = text.substr(0, kLargestBuffer - 1);
    }
    const bool fits = text.size() + 1 <= kClassicBuffer;
    char* const data = fits ? classic : largest;
    const std::size_t size = fits ? kClassicBuffer : kLargestBuffer;
    std::memcpy(data, filler.data(), size);
    std::memcpy(data, text.data(), text.size());
    data[text.size()] = '\0';
    std::memset(parms, 0, size);

    const std::int32_t code = command(nullptr, nullptr, data, parms, 0, 0);
    Require(code == TALVO_ANSWER_COMMAND, "an export returned another code than 2", text);

    const std::string_view prefix = "var %match = ";
    const char* const end = static_cast<const char*>(std::memchr(data, '\0', 25));
    Require(end != nullptr, "the answer is longer than 25 bytes", text);
    const std::string_view answer(data, static_cast<std::size_t>(end - data));
    Require(answer.substr(0, prefix.size()) == prefix, "the answer lacks its prefix", answer);
    std::string_view number = answer.substr(prefix.size());
    const bool negative = !number.empty() && number.front() == '-';
    std::string_view digits = negative ? number.substr(1) : number;
    Require(!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos &&
                (digits == "0" || digits.front() != '0') && !(negative && digits == "0"),
            "the answer's number is malformed", answer);
    // Past the answer stand what is left of the text, its NUL, then the filler.
    std::size_t at = answer.size() + 1;
    bool kept = true;
    if (at < text.size()) {
        kept = std::memcmp(data + at, text.data() + at, text.size() - at) == 0;
        at = text.size();
    }
    if (at == text.size()) {
        kept = kept && data[at++] == '\0';
    }
    kept = kept && std::memcmp(data + at, filler.data(), size - at) == 0;
    Require(kept, "an export wrote past its answer", answer);
    std::int32_t value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr talvo::RuleLoading kFromMemory{FromMemory, nullptr};
    const std::string_view input(reinterpret_cast<const char*>(data), std::min(size, kMostBytes));

    // Each input starts from no rule files at all.
    g_files = Files{};
    Files plain;                                // code page 1251 bytes of each file
    bool allPlain = true;                       // every file so far is one of forms 1 to 4
    std::array<std::int32_t, kFiles> pieces{};  // entries each file gives
    std::int32_t entries = 0;                   // the last LoadRules answer

    std::size_t part = 0;
    for (std::size_t begin = 0; begin <= input.size() && part < kMostParts; ++part) {
        std::size_t end = input.find(kPartMarker, begin);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        const std::string_view bytes = input.substr(begin, end - begin);
        begin = end + kPartMarker.size();

        if (part % 2 == 0) {
            if (!bytes.empty()) {
                const auto pick = static_cast<unsigned char>(bytes[0]);
                const std::size_t row = pick % kFiles;
                const int form = pick / kFiles % kForms;
                const std::string_view content = bytes.substr(1);
                g_files[row] = Form(form, content);
                plain[row] = std::string(content);
                pieces[row] = CheckReading(*g_files[row]);
                allPlain = allPlain && form >= 1 && form <= 4 && !ReadsAsDecoded(content);
            }
            std::int32_t expected = 0;
            for (const std::int32_t count : pieces) {
                expected += count;
            }
            entries = talvo::LoadRulesAnswer(kFromMemory);
            Require(entries == expected, "LoadRules counts other entries than the rule files hold", bytes);
            continue;
        }

        const std::string request(bytes.substr(0, bytes.find('\0')));
        const std::int32_t answer = Call(RuleFilter, request);
        Require(answer >= -5, "RuleFilter answered a code it has no meaning for", request);

        // The literal prefilter changes no answer: every way of walking the set agrees.
        {
            const talvo::CallText call(request.c_str());
            const testkit::ModeAnswers modes =
                call.IsWide() ? testkit::FilterEveryWay(call.Units()) : testkit::FilterEveryWay(call.Bytes());
            Require(modes.Agree() && (request.size() >= kLargestBuffer || modes.answers.front() == answer),
                    "the search with the prefilter answers otherwise than without it", request);
        }
        if (answer >= 1) {
            // Only a well-formed request reaches the search: word 1 is the set.
            const std::int32_t set = std::atoi(request.c_str());
            const auto row = std::find_if(std::begin(talvo::kRuleFiles), std::end(talvo::kRuleFiles),
                                          [set](const talvo::RuleFileRow& r) { return r.set == set; });
            Require(row != std::end(talvo::kRuleFiles) &&
                        answer <= pieces[static_cast<std::size_t>(row - std::begin(talvo::kRuleFiles))],
                    "RuleFilter answered an entry the set does not have", request);
        }
        const std::string utf8 = talvo::Utf8FromCp1251(request);
        if (!talvo::IsUtf8Text(request) && utf8.size() < kLargestBuffer) {
            Require(Call(RuleFilter, utf8) == answer, "a request in UTF-8 is answered unlike the same in code page 1251",
                    request);
        }
    }
    if (allPlain && entries > 0) {
        const std::string decoded = Rules();
        g_files = plain;
        Require(talvo::LoadRulesAnswer(kFromMemory) == entries && Rules() == decoded,
                "decoded files give other rules than their code page 1251 bytes", input);
    }
    // Everything this input made goes again, so that libFuzzer sees no
    // memory kept from one input to the next.
    g_files = Files{};
    talvo::FreeRuleStore();
    return 0;
}
