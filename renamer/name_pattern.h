#pragma once

#include <string_view>

namespace nomvary {

// True when `name` matches the listing pattern: '*' stands for any run of
// bytes, ASCII letters match without regard to case, every other byte stands
// for itself, and "*.*" matches every name (also one without a dot).
bool PatternMatches(std::string_view pattern, std::string_view name);

}  // namespace nomvary
