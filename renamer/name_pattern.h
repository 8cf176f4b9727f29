#pragma once

#include <string_view>

namespace nomvary {

// True when `name` matches the listing pattern: '*' stands for any run of
// bytes, ASCII letters match without regard to case, every other byte stands
// for itself, and "*.*" matches every name (also one without a dot).
bool PatternMatches(std::string_view pattern, std::string_view name);

// The order of the folder list: ASCII letters without regard to case, then
// the bytes (unsigned) so that the order is total.
bool FolderNameLess(std::string_view a, std::string_view b);

}  // namespace nomvary
