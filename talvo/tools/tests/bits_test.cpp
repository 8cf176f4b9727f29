#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "talvo/tools/start_counter.h"
#include "talvo/tools/tools.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kTooLong = Tools::kBlockSize + 1;

TEST(BitsTest, Rotations) {
    struct Case {
        std::uint16_t v16;
        std::uint32_t v32;
        std::int32_t count;
        std::uint16_t left16, right16;
        std::uint32_t left32, right32;
    };
    const Case cases[] = {
        {0x8001, 0x80000001u, 1, 0x0003, 0xC000, 0x00000003u, 0xC0000000u},
        {0x0001, 0x00000001u, 1, 0x0002, 0x8000, 0x00000002u, 0x80000000u},
        {0x8001, 0x80000001u, 4, 0x0018, 0x1800, 24u, 0x18000000u},
        {0x8001, 0x80000001u, -1, 0xC000, 0x0003, 0xC0000000u, 0x00000003u},
        {0x1234, 0x12345678u, 0, 0x1234, 0x1234, 0x12345678u, 0x12345678u},
        {0x1234, 0x12345678u, 16, 0x1234, 0x1234, 0x56781234u, 0x56781234u},
        {0x1234, 0x12345678u, 17, 0x2468, 0x091A, 0xACF02468u, 0x2B3C091Au},
        {0x1234, 0x12345678u, 31, 0x091A, 0x2468, 0x091A2B3Cu, 0x2468ACF0u},
        {0x1234, 0x12345678u, 32, 0x1234, 0x1234, 0x12345678u, 0x12345678u},
        {0x1234, 0x12345678u, kMin, 0x1234, 0x1234, 0x12345678u, 0x12345678u},
    };
    for (const Case& c : cases) {
        const auto v32 = static_cast<std::int32_t>(c.v32);
        EXPECT_EQ(Tools::LRot16(c.v16, c.count), c.left16) << std::hex << c.v16 << " by " << std::dec << c.count;
        EXPECT_EQ(Tools::RRot16(c.v16, c.count), c.right16) << std::hex << c.v16 << " by " << std::dec << c.count;
        EXPECT_EQ(static_cast<std::uint32_t>(Tools::LRot32(v32, c.count)), c.left32) << c.count;
        EXPECT_EQ(static_cast<std::uint32_t>(Tools::RRot32(v32, c.count)), c.right32) << c.count;
    }
    EXPECT_EQ(Tools::RRot32(1, 1), kMin);
}

std::unique_ptr<Tools::Block> Pattern(std::uint8_t start) {
    auto block = std::make_unique<Tools::Block>();  // heap: a block is 32 KiB
    for (std::size_t i = 0; i < block->size(); ++i) {
        (*block)[i] = static_cast<std::uint8_t>(start + i * 7);
    }
    return block;
}

// The output is a fresh block, the first input or the second input; only the
// first `length` bytes may change, and none for a length outside 1..32768.
TEST(BitsTest, XorBlock) {
    const std::int32_t lengths[] = {3, 1, 0, -1, kMin, Tools::kBlockSize, kTooLong};
    for (int target = 0; target < 3; ++target) {
        for (std::int32_t length : lengths) {
            auto first = Pattern(0x11);
            auto second = Pattern(0xA5);
            auto fresh = std::make_unique<Tools::Block>();
            fresh->fill(0xEE);
            Tools::Block* output = target == 0 ? fresh.get() : target == 1 ? first.get() : second.get();
            const Tools::Block a = *first, b = *second, untouched = *output;
            Tools::XorBlock(first.get(), second.get(), output, length);
            const std::int32_t written = length >= 1 && length <= Tools::kBlockSize ? length : 0;
            for (std::int32_t i = 0; i < Tools::kBlockSize; ++i) {
                const auto expected = i < written ? static_cast<std::uint8_t>(a[i] ^ b[i]) : untouched[i];
                ASSERT_EQ((*output)[i], expected) << "target " << target << " length " << length << " at " << i;
            }
        }
    }
}

TEST(BitsTest, IncBlock) {
    struct Case {
        std::int32_t length;
        std::uint8_t before[4];
        std::uint8_t after[4];
    };
    const Case cases[] = {
        {2, {0x00, 0xFF, 0xFF, 0xFF}, {0x01, 0x00, 0xFF, 0xFF}},
        {2, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0xFF, 0xFF}},
        {1, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0xFF, 0xFF}},
        {4, {0x12, 0x34, 0xFF, 0xFF}, {0x12, 0x35, 0x00, 0x00}},
        {3, {0x00, 0x00, 0x7F, 0xFF}, {0x00, 0x00, 0x80, 0xFF}},
        {0, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {-1, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {kTooLong, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        auto block = std::make_unique<Tools::Block>();
        block->fill(0xFF);
        std::copy(std::begin(c.before), std::end(c.before), block->begin());
        Tools::IncBlock(block.get(), c.length);
        EXPECT_TRUE(std::equal(block->begin(), block->begin() + 4, std::begin(c.after))) << "length " << c.length;
        EXPECT_TRUE(std::all_of(block->begin() + 4, block->end(), [](std::uint8_t x) { return x == 0xFF; }))
            << "length " << c.length;
    }
    auto whole = std::make_unique<Tools::Block>();
    whole->fill(0xFF);
    (*whole)[0] = 0x41;
    Tools::IncBlock(whole.get(), Tools::kBlockSize);
    EXPECT_EQ((*whole)[0], 0x42);
    EXPECT_TRUE(std::all_of(whole->begin() + 1, whole->end(), [](std::uint8_t x) { return x == 0; }));
}

TEST(BitsTest, StartCounter) {
    const std::int32_t start = Tools::detail::StartCounter();
    Tools::initialization();
    Tools::initialization();
    EXPECT_EQ(Tools::detail::StartCounter(), start - 2);
    Tools::Finalization();
    Tools::Finalization();
    EXPECT_EQ(Tools::detail::StartCounter(), start);
}

}  // namespace
