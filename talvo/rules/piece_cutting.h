#pragma once

// Cutting a rule file's content into pieces, the loader's second job after
// reading the bytes: every CR dropped, Ctrl-Z ends the file, a piece ends
// after a line feed or after 512 characters, a NUL ends a piece's text, one
// trailing line feed removed unless the piece is that line feed alone. Only
// the reading of rule files uses it.

#include <cstddef>
#include <string_view>

#include "talvo/rules/rule_files.h"

namespace talvo {

inline constexpr std::size_t kPieceCharacters = 512;

// Appends the pieces of `bytes`, content in `encoding` whose byte-order mark
// (if any) ends at `start`, to `list`, and tells in `reading` where each came
// from; a decoded file's pieces are appended as UTF-8. Throws std::bad_alloc
// from appending; the pieces appended until then stay, their origins with
// them.
void CutPieces(std::string_view bytes, std::size_t start, RuleFileEncoding encoding, RulePieces* list,
               RuleFileReading* reading);

}  // namespace talvo
