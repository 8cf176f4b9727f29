#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "start_counter.h"
#include "tools.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(BitsTest, Rotate16) {
    struct Case {
        std::uint16_t value;
        std::int32_t count;
        std::uint16_t left;
        std::uint16_t right;
    };
    const Case cases[] = {
        {0x8001, 1, 0x0003, 0xC000},  {0x0001, 1, 0x0002, 0x8000},
        {0x8001, 17, 0x0003, 0xC000}, {0x1234, 0, 0x1234, 0x1234},
        {0x1234, 16, 0x1234, 0x1234}, {0x8001, -1, 0xC000, 0x0003},
        {0x1234, 4, 0x2341, 0x4123},  {0x1234, kMin, 0x1234, 0x1234},
        {0x1234, 15, 0x091A, 0x2468}, {0xFFFF, 7, 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tools::LRot16(c.value, c.count), c.left) << std::hex << c.value << " " << c.count;
        EXPECT_EQ(Tools::RRot16(c.value, c.count), c.right) << std::hex << c.value << " " << c.count;
    }
}

TEST(BitsTest, Rotate32) {
    struct Case {
        std::uint32_t bits;
        std::int32_t count;
        std::uint32_t left;
        std::uint32_t right;
    };
    const Case cases[] = {
        {0x80000001u, 4, 24u, 0x18000000u},          {0x00000001u, 1, 2u, 0x80000000u},
        {0x12345678u, 0, 0x12345678u, 0x12345678u},   {0x12345678u, 32, 0x12345678u, 0x12345678u},
        {0x12345678u, 33, 0x2468ACF0u, 0x091A2B3Cu},  {0x80000001u, -1, 0xC0000000u, 0x00000003u},
        {0x12345678u, 31, 0x091A2B3Cu, 0x2468ACF0u},  {0x12345678u, kMin, 0x12345678u, 0x12345678u},
        {0x12345678u, 16, 0x56781234u, 0x56781234u},  {0x80000000u, 1, 1u, 0x40000000u},
    };
    for (const Case& c : cases) {
        const auto value = static_cast<std::int32_t>(c.bits);
        EXPECT_EQ(static_cast<std::uint32_t>(Tools::LRot32(value, c.count)), c.left)
            << std::hex << c.bits << " " << std::dec << c.count;
        EXPECT_EQ(static_cast<std::uint32_t>(Tools::RRot32(value, c.count)), c.right)
            << std::hex << c.bits << " " << std::dec << c.count;
    }
    EXPECT_EQ(Tools::RRot32(1, 1), kMin);
}

// Heap blocks: three of them would crowd a test thread's stack.
std::unique_ptr<Tools::Block> FilledBlock(std::uint8_t start) {
    auto block = std::make_unique<Tools::Block>();
    for (std::size_t i = 0; i < block->size(); ++i) {
        (*block)[i] = static_cast<std::uint8_t>(start + i * 7);
    }
    return block;
}

TEST(BitsTest, XorBlockWritesExactlyLengthBytes) {
    const std::int32_t lengths[] = {3, 0, -1, kMin, 1, Tools::kBlockSize, Tools::kBlockSize + 1};
    for (std::int32_t length : lengths) {
        const auto first = FilledBlock(0x11);
        const auto second = FilledBlock(0xA5);
        auto output = std::make_unique<Tools::Block>();
        output->fill(0xEE);
        Tools::XorBlock(first.get(), second.get(), output.get(), length);
        const std::int32_t written =
            (length >= 1 && length <= Tools::kBlockSize) ? length : 0;
        for (std::int32_t i = 0; i < Tools::kBlockSize; ++i) {
            const std::uint8_t expected =
                i < written ? static_cast<std::uint8_t>((*first)[i] ^ (*second)[i]) : 0xEE;
            ASSERT_EQ((*output)[i], expected) << "length " << length << " index " << i;
        }
    }
}

TEST(BitsTest, XorBlockInPlace) {
    for (int target = 0; target < 2; ++target) {
        auto first = FilledBlock(0x11);
        auto second = FilledBlock(0x5A);
        const Tools::Block firstBefore = *first;
        const Tools::Block secondBefore = *second;
        Tools::Block* output = target == 0 ? first.get() : second.get();
        Tools::XorBlock(first.get(), second.get(), output, 5);
        for (std::int32_t i = 0; i < Tools::kBlockSize; ++i) {
            const std::uint8_t unchanged = target == 0 ? firstBefore[i] : secondBefore[i];
            const std::uint8_t expected =
                i < 5 ? static_cast<std::uint8_t>(firstBefore[i] ^ secondBefore[i]) : unchanged;
            ASSERT_EQ((*output)[i], expected) << "target " << target << " index " << i;
        }
    }
    auto same = FilledBlock(0x33);
    Tools::XorBlock(same.get(), same.get(), same.get(), 4);
    EXPECT_TRUE(std::all_of(same->begin(), same->begin() + 4, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ((*same)[4], static_cast<std::uint8_t>(0x33 + 4 * 7));
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
        {Tools::kBlockSize + 1, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        auto block = std::make_unique<Tools::Block>();
        block->fill(0xFF);
        std::copy(std::begin(c.before), std::end(c.before), block->begin());
        Tools::IncBlock(block.get(), c.length);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ((*block)[i], c.after[i]) << "length " << c.length << " index " << i;
        }
        EXPECT_TRUE(std::all_of(block->begin() + 4, block->end(), [](std::uint8_t b) { return b == 0xFF; }))
            << "length " << c.length;
    }
}

TEST(BitsTest, IncBlockWholeBlockCarriesToTheFirstByte) {
    auto block = std::make_unique<Tools::Block>();
    block->fill(0xFF);
    (*block)[0] = 0x41;
    Tools::IncBlock(block.get(), Tools::kBlockSize);
    EXPECT_EQ((*block)[0], 0x42);
    EXPECT_TRUE(std::all_of(block->begin() + 1, block->end(), [](std::uint8_t b) { return b == 0; }));
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
