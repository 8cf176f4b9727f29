#pragma once

#include <string>
#include <string_view>

namespace nomvary {

// Windows names are UTF-16; the program works on bytes. These conversions
// round-trip every name: an unpaired surrogate, which no valid UTF-16 holds
// but a Windows file name may, travels as its three-byte UTF-8 form.

// UTF-8 (with surrogates encoded one by one) to UTF-16. A byte that starts
// no valid sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes its three-byte form.
std::string Utf8FromWide(std::wstring_view text);

// True when `bytes` is valid UTF-8 (no surrogates, no overlong forms) and
// holds at least one byte above 127.
bool IsUtf8BeyondAscii(std::string_view bytes);

}  // namespace nomvary
