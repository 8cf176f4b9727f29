#include "talvo/frame/text_utils.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "talvo/frame/byte_string.h"

#if defined(TALVO_REGION_REDZONES)
#include <sanitizer/asan_interface.h>
#endif

namespace talvo {
namespace {

// Allocates a node and a text of `length` bytes plus NUL, copying `bytes`,
// from `region`. Answers which step failed: 0 none, 1 the node, 2 the text.
int NewNode(const char* bytes, std::size_t length, TokenNode*& node, TokenRegion& region) noexcept {
    node = static_cast<TokenNode*>(region.Allocate(sizeof(TokenNode), alignof(TokenNode)));
    if (node == nullptr) {
        return 1;
    }
    node->next = nullptr;
    node->text = region.Copy(std::string_view(bytes, length));
    if (node->text == nullptr) {
        node = nullptr;
        return 2;
    }
    return 0;
}

}  // namespace

void* HeapAllocate(std::size_t bytes, HeapAllocator allocator) noexcept {
    return allocator != nullptr ? allocator(bytes) : std::malloc(bytes);
}

struct TokenRegion::Block {
    Block* previous;
};

TokenRegion::~TokenRegion() {
    while (m_blocks != nullptr) {
        Block* const previous = m_blocks->previous;
        std::free(m_blocks);
        m_blocks = previous;
    }
}

namespace {

// Under AddressSanitizer a shared block stays poisoned but for what was handed
// out, and every piece starts on a granule of its own behind a poisoned gap,
// so reading past a token's text is caught as it would be with an
// allocation of its own.
#if defined(TALVO_REGION_REDZONES)
constexpr std::size_t kGranule = 8;
constexpr std::size_t kRedzone = 8;
void Poison(const void* start, std::size_t bytes) { ASAN_POISON_MEMORY_REGION(start, bytes); }
void Unpoison(const void* start, std::size_t bytes) { ASAN_UNPOISON_MEMORY_REGION(start, bytes); }
#else
constexpr std::size_t kGranule = 1;
constexpr std::size_t kRedzone = 0;
void Poison(const void*, std::size_t) {}
void Unpoison(const void*, std::size_t) {}
#endif

}  // namespace

void* TokenRegion::AllocateInBlock(std::size_t bytes, std::size_t alignment) noexcept {
    alignment = std::max(alignment, kGranule);
    // Blocks start with their header, aligned as malloc aligns.
    constexpr std::size_t kHeader = (sizeof(Block) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    constexpr std::size_t kLargestBlock = 256 * 1024;
    if (bytes > kLargest) {
        if (bytes > SIZE_MAX - kHeader) {
            return nullptr;
        }
        // Under the newest block, whose free rest stays in use.
        auto* block = static_cast<Block*>(HeapAllocate(kHeader + bytes, m_allocator));
        if (block == nullptr) {
            return nullptr;
        }
        if (m_blocks == nullptr) {
            block->previous = nullptr;
            m_blocks = block;
        } else {
            block->previous = m_blocks->previous;
            m_blocks->previous = block;
        }
        return reinterpret_cast<char*>(block) + kHeader;
    }
    auto at = reinterpret_cast<std::uintptr_t>(m_free);
    at = (at + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
    if (m_free == nullptr || at + bytes > reinterpret_cast<std::uintptr_t>(m_end)) {
        auto* block = static_cast<Block*>(HeapAllocate(kHeader + m_nextSize, m_allocator));
        if (block == nullptr) {
            return nullptr;
        }
        block->previous = m_blocks;
        m_blocks = block;
        m_free = reinterpret_cast<char*>(block) + kHeader;
        m_end = m_free + m_nextSize;
        Poison(m_free, m_nextSize);
        // Growing blocks keep a small store small and a large one to a few
        // dozen blocks.
        m_nextSize = std::min(m_nextSize * 2, kLargestBlock);
        at = reinterpret_cast<std::uintptr_t>(m_free);
    }
    m_free = reinterpret_cast<char*>(std::min(at + bytes + kRedzone, reinterpret_cast<std::uintptr_t>(m_end)));
    Unpoison(reinterpret_cast<void*>(at), bytes);
    return reinterpret_cast<void*>(at);
}

char* TokenRegion::Copy(std::string_view text) noexcept {
    auto* copy = static_cast<char*>(Allocate(text.size() + 1, 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

TokenNode* Tokenize(std::string_view text, char separator, TokenRegion& region) {
    TokenNode* head = nullptr;
    TokenNode* tail = nullptr;
    const char* current = text.data();
    const char* const end = current + text.size();
    while (current != end && *current == separator) {
        ++current;
    }
    while (current != end) {
        std::size_t length = 1;
        while (current + length != end && current[length] != separator) {
            ++length;
        }
        TokenNode* node = nullptr;
        const int failedStep = NewNode(current, length, node, region);
        if (failedStep != 0) {
            throw TokenizeOutOfMemory(failedStep == 1 ? "Out of memory: tokenize (1)"
                                                      : "Out of memory: tokenize (2)");
        }
        if (tail == nullptr) {
            head = node;
        } else {
            tail->next = node;
        }
        tail = node;
        current += length;
        while (current != end && *current == separator) {
            ++current;
        }
    }
    return head;
}

TokenNode* NewTokenNode(std::string_view text, TokenRegion& region) noexcept {
    TokenNode* node = nullptr;
    NewNode(text.data(), text.size(), node, region);
    return node;
}

std::string GetToken(const char* text, char separator, std::int32_t n) {
    const std::string line = FromCString(text);
    std::int32_t position = 1;
    std::int32_t count = 0;
    return GetTokenFrom(line, separator, n, Length(line), position, count);
}

std::string GetTokenFrom(const std::string& text, char separator, std::int32_t n,
                         std::int32_t length, std::int32_t& position, std::int32_t& count) {
    for (;;) {
        while (position <= length && CharAt(text, position) == separator) {
            ++position;
        }
        if (position > length) {
            return std::string();
        }
        ++count;
        std::int32_t end = position + 1;
        while (end <= length && CharAt(text, end) != separator) {
            ++end;
        }
        if (count == n) {
            std::string token = SubString(text, position, end - position);
            position = end;
            return token;
        }
        position = end;
    }
}

bool IsIntegerText(const char* text) {
    const std::string value = FromCString(text);
    const std::int32_t length = Length(value);
    if (length == 0) {
        return false;
    }
    std::int32_t start = CharAt(value, 1) == '-' ? 2 : 1;
    if (start > length) {
        return false;
    }
    for (std::int32_t i = start; i <= length; ++i) {
        if (!IsDigitChar(CharAt(value, i))) {
            return false;
        }
    }
    return true;
}

bool IsDigitChar(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= '0' && value <= '9';
}

char* StripNewline(char* text) noexcept {
    if (text != nullptr) {
        const std::size_t length = std::strlen(text);
        if (length > 1 && text[length - 1] == '\n') {
            text[length - 1] = '\0';
        }
    }
    return text;
}

}  // namespace talvo
