#pragma once

// Text operations shared by the rule loaders, the rule matcher and Magic:
// a tokenizer making C-string copies in a region, token picking by number,
// the integer-text test and the line-feed trimmer. All work on 8-bit bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace talvo {

// One element of a singly linked token list. Every list lives in a
// TokenRegion, nodes and texts alike, and goes with it: nothing frees a list
// on its own.
struct TokenNode {
    char* text;       // NUL-terminated copy of the token's bytes
    TokenNode* next;  // following node, or null at the end
};

// Raised by Tokenize when memory runs out; what() is exactly
// "Out of memory: tokenize (1)" (node) or "Out of memory: tokenize (2)" (text).
class TokenizeOutOfMemory : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the library's long-lived data (token lists, rule sets, rule records)
// takes its memory from: malloc, unless whoever owns the data passes another
// allocator (a harness passes one that fails, to see memory run out). What an
// allocator hands out goes back through std::free.
using HeapAllocator = void* (*)(std::size_t bytes);

// `bytes` from `allocator`, or from malloc when it is null; null when none
// can be had.
void* HeapAllocate(std::size_t bytes, HeapAllocator allocator) noexcept;

// A region of the heap for token lists (and whatever else) that are all let
// go at once. The rule store keeps its records and lists in one: loading and
// dropping 100,000 entries then costs a few dozen blocks instead of an
// allocation and a free for every record, node and text. Blocks come from the
// region's allocator, so a failing allocator fails them too. What a region
// hands out is never freed on its own; it goes with the region. One thread
// fills a region; reading what it holds is free for all.
// Under AddressSanitizer every piece a region hands out gets a poisoned gap
// behind it (text_utils.cpp).
#if defined(__SANITIZE_ADDRESS__)
#define TALVO_REGION_REDZONES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALVO_REGION_REDZONES 1
#endif
#endif

class TokenRegion {
public:
    explicit TokenRegion(HeapAllocator allocator = nullptr) noexcept : m_allocator(allocator) {}
    ~TokenRegion();
    TokenRegion(const TokenRegion&) = delete;
    TokenRegion& operator=(const TokenRegion&) = delete;

    // `bytes` bytes aligned to `alignment` (a power of two, at most that of
    // a pointer), or null when the block they need cannot be had.
    // Requests of more than kLargest bytes get a block of their own.
    void* Allocate(std::size_t bytes, std::size_t alignment) noexcept {
#if !defined(TALVO_REGION_REDZONES)
        // Most requests fit the newest block: taken here, without a call.
        const auto at = (reinterpret_cast<std::uintptr_t>(m_free) + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
        if (m_free != nullptr && bytes <= kLargest && at + bytes <= reinterpret_cast<std::uintptr_t>(m_end)) {
            m_free = reinterpret_cast<char*>(at + bytes);
            return reinterpret_cast<void*>(at);
        }
#endif
        return AllocateInBlock(bytes, alignment);
    }

    // A NUL-terminated copy of `text` (which holds no NUL byte), or null when
    // memory runs out.
    char* Copy(std::string_view text) noexcept;

    static constexpr std::size_t kLargest = 256;

private:
    void* AllocateInBlock(std::size_t bytes, std::size_t alignment) noexcept;
    struct Block;
    HeapAllocator m_allocator;
    Block* m_blocks = nullptr;  // the newest first
    char* m_free = nullptr;     // the unused rest of the newest shared block
    char* m_end = nullptr;
    std::size_t m_nextSize = 4096;
};

// Splits the bytes of `text`, which holds no NUL byte, at every `separator`
// byte into a list made in `region`; runs of separators and separators at
// either end give no empty tokens. A token-free text gives null. On running
// out of memory throws TokenizeOutOfMemory; what it made until then stays in
// the region, to go with it.
TokenNode* Tokenize(std::string_view text, char separator, TokenRegion& region);

// A one-node list in `region` holding a copy of the whole of `text` (which
// holds no NUL byte), or null when memory runs out.
TokenNode* NewTokenNode(std::string_view text, TokenRegion& region) noexcept;

// The `n`-th (1-based) maximal run of bytes other than `separator` in `text`,
// or the empty string when there is no such token (n below 1 included).
// `separator` must be below 0x80. A null text has no tokens.
std::string GetToken(const char* text, char separator, std::int32_t n);

// The `n`-th token counted from 1-based `position` in `text` (of `length`
// bytes), `count` tokens having been passed already. On finding it, `position`
// is left just after the token; `count` always ends as the number of tokens
// passed. Walks iteratively: long texts cost no stack.
std::string GetTokenFrom(const std::string& text, char separator, std::int32_t n,
                         std::int32_t length, std::int32_t& position, std::int32_t& count);

// True for an optional leading '-' followed by one or more decimal digits and
// nothing else. The digits may be more than a 32-bit integer holds.
bool IsIntegerText(const char* text);

// True exactly for the bytes '0' to '9'.
bool IsDigitChar(char byte);

// Drops one trailing line feed in place when the text is longer than one byte
// (a lone line feed stays). Answers `text`; null is fine.
char* StripNewline(char* text) noexcept;

}  // namespace talvo
