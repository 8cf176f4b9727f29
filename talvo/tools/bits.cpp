#include <atomic>
#include <bit>
#include <cstdint>

#include "talvo/tools/start_counter.h"
#include "talvo/tools/tools.h"

namespace Tools {
namespace {

// Only the entry points below change it, from any thread, so each change is
// one atomic step. Atomic arithmetic on a signed integer wraps, which keeps
// even an unbalanced caller defined.
std::atomic<std::int32_t> g_startCounter = 0;

// Masking the signed count first makes every count valid, negative ones and
// INT32_MIN included: -1 & 15 is 15, INT32_MIN & 31 is 0.
int RotationPlaces(std::int32_t count, std::int32_t mask) { return count & mask; }

bool IsBlockLength(std::int32_t length) { return length >= 1 && length <= kBlockSize; }

}  // namespace

std::uint16_t LRot16(std::uint16_t value, std::int32_t count) {
    return std::rotl(value, RotationPlaces(count, 15));
}

std::uint16_t RRot16(std::uint16_t value, std::int32_t count) {
    return std::rotr(value, RotationPlaces(count, 15));
}

std::int32_t LRot32(std::int32_t value, std::int32_t count) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return std::bit_cast<std::int32_t>(std::rotl(bits, RotationPlaces(count, 31)));
}

std::int32_t RRot32(std::int32_t value, std::int32_t count) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return std::bit_cast<std::int32_t>(std::rotr(bits, RotationPlaces(count, 31)));
}

void XorBlock(const Block* first, const Block* second, Block* output, std::int32_t length) {
    // A length past the block would write beyond it; a missing block cannot
    // be read or written. Either way the safe answer is to touch nothing.
    if (!IsBlockLength(length) || first == nullptr || second == nullptr || output == nullptr) {
        return;
    }
    // Index by index, both inputs read before the output byte is written, so
    // the output may be the very block one of the inputs is.
    for (std::int32_t i = 0; i < length; ++i) {
        const std::uint8_t a = (*first)[i];
        const std::uint8_t b = (*second)[i];
        (*output)[i] = static_cast<std::uint8_t>(a ^ b);
    }
}

void IncBlock(Block* block, std::int32_t length) {
    if (!IsBlockLength(length) || block == nullptr) {
        return;
    }
    // Big-endian: the carry travels from the last byte towards the first and
    // is lost beyond it.
    for (std::int32_t i = length - 1; i >= 0; --i) {
        std::uint8_t& byte = (*block)[i];
        byte = static_cast<std::uint8_t>(byte + 1);
        if (byte != 0) {
            break;
        }
    }
}

void initialization() { g_startCounter.fetch_sub(1); }

void Finalization() { g_startCounter.fetch_add(1); }

namespace detail {

std::int32_t StartCounter() { return g_startCounter.load(); }

}  // namespace detail

}  // namespace Tools
