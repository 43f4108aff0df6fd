#include "block_format.h"
#include "test_blocks.h"
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

struct UnpackCase {
    const char* name;
    const char* hex;
    BlockHeader header;
    uint8_t every_code;
};

const UnpackCase unpack_cases[] = {
    {"zeros",
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
     {0, 0, 0, 0, 0},
     0},
    {"ones",
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF",
     {-1, 63, 63, 15, 3},
     0x7F},
    {"rising",
     "10 00 50 AE 40 FD FB F7 EF DF BF 7E FD FB F7 EF "
     "DF BF 7E FD FB F7 EF DF BF 7E FD FB F7 EF DF BF",
     {4096, 20, 10, 14, 1},
     0x3F},
    {"lowest",
     "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
     {-32768, 0, 0, 0, 0},
     0},
};

TEST(UnpackBlock, ExampleBlocks) {
    for (const UnpackCase& c : unpack_cases) {
        SCOPED_TRACE(c.name);
        const Block block = block_from_hex(c.hex);
        BlockHeader header;
        uint8_t codes[BLOCK_CODES];
        unpack_block(block.data(), header, codes);
        EXPECT_EQ(header, c.header);
        for (int k = 0; k < BLOCK_CODES; ++k)
            EXPECT_EQ(codes[k], c.every_code) << "code " << k;
    }
}

TEST(PackBlock, AllOnesComeBackWithReservedBitsCleared) {
    Block block;
    block.fill(0xFF);
    BlockHeader header;
    uint8_t codes[BLOCK_CODES];
    unpack_block(block.data(), header, codes);
    Block packed;
    pack_block(header, codes, packed.data());
    for (int i = 0; i < BLOCK_BYTES; ++i)
        EXPECT_EQ(packed[i], i == 4 ? 0xC1 : 0xFF) << "byte " << i;
}

// A single code set in an otherwise empty block shows where the code stream puts its bits.
struct CodePlacement {
    int code;
    uint8_t value;
    int byte;
    uint8_t byte_value;
};

const CodePlacement code_placements[] = {
    {0, 0x40, 4, 0x01},   {0, 0x3F, 5, 0xFC},   {6, 0x01, 10, 0x01},
    {7, 0x40, 11, 0x80},  {14, 0x01, 17, 0x01}, {15, 0x40, 18, 0x80},
    {22, 0x01, 24, 0x01}, {23, 0x40, 25, 0x80}, {30, 0x7F, 31, 0x7F},
};

TEST(PackBlock, CodesLandOnTheirBits) {
    for (const CodePlacement& p : code_placements) {
        SCOPED_TRACE(::testing::Message() << "code " << p.code << " = " << int(p.value));
        uint8_t codes[BLOCK_CODES] = {};
        codes[p.code]              = p.value;
        Block block;
        pack_block(BlockHeader{0, 0, 0, 0, 0}, codes, block.data());
        for (int i = 0; i < BLOCK_BYTES; ++i)
            EXPECT_EQ(block[i], i == p.byte ? p.byte_value : 0) << "byte " << i;

        BlockHeader header;
        uint8_t unpacked[BLOCK_CODES];
        unpack_block(block.data(), header, unpacked);
        for (int k = 0; k < BLOCK_CODES; ++k)
            EXPECT_EQ(unpacked[k], k == p.code ? p.value : 0) << "code " << k;
    }
}

TEST(UnpackBlock, ReservedBitsAreIgnored) {
    std::mt19937 random(7);
    for (int n = 0; n < 1000; ++n) {
        Block set, clear;
        for (int i = 0; i < BLOCK_BYTES; ++i)
            set[i] = clear[i] = static_cast<uint8_t>(random());
        set[4] |= 0x3E;
        clear[4] &= ~0x3E;
        BlockHeader a, b;
        uint8_t codes_a[BLOCK_CODES], codes_b[BLOCK_CODES];
        unpack_block(set.data(), a, codes_a);
        unpack_block(clear.data(), b, codes_b);
        ASSERT_EQ(a, b);
        ASSERT_EQ(std::memcmp(codes_a, codes_b, sizeof codes_a), 0);
    }
}

TEST(BlockFormat, RoundTrips) {
    std::mt19937 random(11);
    for (int n = 0; n < 10000; ++n) {
        Block bytes;
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        BlockHeader header;
        uint8_t codes[BLOCK_CODES];
        unpack_block(bytes.data(), header, codes);
        Block repacked;
        pack_block(header, codes, repacked.data());
        bytes[4] &= ~0x3E;
        ASSERT_EQ(repacked, bytes);

        const BlockHeader fields{static_cast<int16_t>(random()), uint8_t(random() % 64),
                                 uint8_t(random() % 64), uint8_t(random() % 16),
                                 uint8_t(random() % 4)};
        uint8_t field_codes[BLOCK_CODES];
        for (uint8_t& code : field_codes)
            code = static_cast<uint8_t>(random() % 128);
        pack_block(fields, field_codes, repacked.data());
        unpack_block(repacked.data(), header, codes);
        ASSERT_EQ(header, fields);
        ASSERT_EQ(std::memcmp(codes, field_codes, sizeof codes), 0);
    }
}

} // namespace
