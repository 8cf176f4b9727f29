#include "talvo/frame/text_utils.h"

#include <cstdlib>
#include <cstring>

#include "talvo/frame/byte_string.h"

namespace talvo {
namespace {

HeapAllocator g_allocator = nullptr;

// Allocates a node and a text of `length` bytes plus NUL, copying `bytes`.
// Answers which step failed: 0 none, 1 the node, 2 the text.
int NewNode(const char* bytes, std::size_t length, TokenNode*& node) noexcept {
    node = static_cast<TokenNode*>(HeapAllocate(sizeof(TokenNode)));
    if (node == nullptr) {
        return 1;
    }
    node->next = nullptr;
    node->text = static_cast<char*>(HeapAllocate(length + 1));
    if (node->text == nullptr) {
        HeapFree(node);
        node = nullptr;
        return 2;
    }
    std::memcpy(node->text, bytes, length);
    node->text[length] = '\0';
    return 0;
}

}  // namespace

void* HeapAllocate(std::size_t bytes) noexcept {
    return g_allocator != nullptr ? g_allocator(bytes) : std::malloc(bytes);
}

void HeapFree(void* block) noexcept { std::free(block); }

HeapAllocator SetHeapAllocator(HeapAllocator allocator) noexcept {
    const HeapAllocator previous = g_allocator;
    g_allocator = allocator;
    return previous;
}

TokenNode* Tokenize(const char* text, char separator) {
    if (text == nullptr) {
        return nullptr;
    }
    return Tokenize(std::string_view(text), separator);
}

TokenNode* Tokenize(std::string_view text, char separator) {
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
        const int failedStep = NewNode(current, length, node);
        if (failedStep != 0) {
            FreeTokenList(head);
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

TokenNode* NewTokenNode(const char* text) noexcept { return NewTokenNode(std::string_view(text)); }

TokenNode* NewTokenNode(std::string_view text) noexcept {
    TokenNode* node = nullptr;
    NewNode(text.data(), text.size(), node);
    return node;
}

void FreeTokenList(TokenNode* first) noexcept {
    while (first != nullptr) {
        TokenNode* const next = first->next;
        HeapFree(first->text);
        HeapFree(first);
        first = next;
    }
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
