#include "decoder.h"
#include "step_tables.h"
#include "test_blocks.h"
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

Samples decode(const Block& block) {
    CodecState state;
    Samples out(BLOCK_SAMPLES);
    decode_block(block.data(), out.data(), state);
    return out;
}

Block random_block(std::mt19937& random) {
    Block block;
    for (uint8_t& b : block)
        b = static_cast<uint8_t>(random());
    return block;
}

struct DecodeCase {
    const char* name;
    const char* hex;
    Samples expected;
};

const DecodeCase decode_cases[] = {
    {"zeros",
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
     padded({0})},
    {"ones",
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF",
     padded({-1, -32767})},
    {"lowest first sample",
     "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
     padded({-32768, -32767})},
    {"saturating rise",
     "10 00 50 AE 40 FD FB F7 EF DF BF 7E FD FB F7 EF "
     "DF BF 7E FD FB F7 EF DF BF 7E FD FB F7 EF DF BF",
     padded({4096, 4342, 5314, 9159, 14681, 20203, 25725, 31247, 32767})},
    {"ramp",
     "00 00 A6 2B 00 80 E2 03 A8 0E 20 3A 80 E2 03 A8 "
     "0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20",
     {0,    101,  198,  299,  400,  501,  598,  699,  800,  901,  998,
      1099, 1200, 1301, 1398, 1499, 1600, 1701, 1798, 1899, 2000, 2101,
      2198, 2299, 2400, 2501, 2598, 2699, 2800, 2901, 2998, 3099}},
    {"sine",
     "00 00 D3 1D 40 C4 D1 B3 05 88 8B 09 12 75 9C B9 "
     "B1 E3 C5 82 E5 CB 75 E9 CC 88 14 79 B4 E9 91 A3",
     {0,     1941,  3796,   5586,  7069,  8336,  9253,  9813,  10016, 9827,  9259,
      8330,  7058,  5549,   3820,  1960,  18,    -1950, -3805, -5531, -7079, -8310,
      -9260, -9826, -10015, -9800, -9235, -8302, -7056, -5547, -3818, -1958}},
};

TEST(DecodeBlock, ExampleBlocks) {
    for (const DecodeCase& c : decode_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decode(block_from_hex(c.hex)), c.expected);
    }
}

// Header 1000 / start 5 / min 30 / exponent 15 / table 0: sample 1 must use step 4 (index 5),
// sample 2 step 35 (index 30, the raise to min_index after sample 1).
TEST(DecodeBlock, StartIndexBelowMinIndexIsUsedForSampleOne) {
    uint8_t codes[BLOCK_CODES] = {63, 31};
    Block block;
    pack_block(BlockHeader{1000, 5, 30, 15, 0}, codes, block.data());
    const Samples out = decode(block);
    EXPECT_EQ(out[1], 1000 + (127 * 4 >> 6));
    EXPECT_EQ(out[2], out[1] + (63 * 35 >> 6));
}

struct RangeCase {
    uint8_t exponent;
    uint8_t min_index;
    int32_t step_index;
    int32_t value;
    RangeOutcome outcome;
    int32_t value_after;
    int32_t index_after;
};

// first_sample 0, table 0. Exponent 7 with index 20 (step 14) puts the limits at +-227;
// exponent 0 with index 5 (step 4) crosses them at -7 and 7.
const RangeCase range_cases[] = {
    {7, 20, 20, 0, RangeOutcome::Inside, 0, 20},
    {7, 20, 20, 226, RangeOutcome::Inside, 226, 20},
    {7, 20, 20, 227, RangeOutcome::AtHigh, 227, 20},
    {7, 20, 20, 9000, RangeOutcome::AtHigh, 227, 20},
    {7, 20, 20, -227, RangeOutcome::AtLow, -227, 20},
    {7, 20, 20, -9000, RangeOutcome::AtLow, -227, 20},
    {0, 0, 5, 0, RangeOutcome::Collapsed, 0, 4},
    {0, 0, 5, 5, RangeOutcome::Collapsed, 2, 4},
    {0, 0, 5, -3, RangeOutcome::Collapsed, -1, 4}, // the midpoint truncates toward zero
    {0, 5, 5, 0, RangeOutcome::Collapsed, 0, 4},   // min_index does not stop the decrement
    {0, 0, 0, 3, RangeOutcome::Collapsed, 1, 0},   // index 0 is not lowered
};

TEST(RangeTest, OutcomesAndEffects) {
    for (const RangeCase& c : range_cases) {
        SCOPED_TRACE(::testing::Message() << "exponent " << int(c.exponent) << ", index "
                                          << c.step_index << ", value " << c.value);
        CodecState state;
        state.header = BlockHeader{0, 0, c.min_index, c.exponent, 0};
        prepare_block(state);
        state.step_index = c.step_index;
        int32_t value    = c.value;
        EXPECT_EQ(range_test(value, state), c.outcome);
        EXPECT_EQ(value, c.value_after);
        EXPECT_EQ(state.step_index, c.index_after);
    }
}

TEST(PrepareBlock, WindowIsClippedAt65535) {
    CodecState state;
    state.header = BlockHeader{30000, 0, 9, 15, 2};
    prepare_block(state);
    EXPECT_EQ(state.range_high, 65535);
    EXPECT_EQ(state.range_low, 30000 - 65535);
    EXPECT_EQ(state.table, step_tables[2]);
    EXPECT_EQ(state.lower_bound, 9);
    EXPECT_EQ(state.upper_bound, 63);
    state.header = BlockHeader{-5, 0, 0, 3, 0};
    prepare_block(state);
    EXPECT_EQ(state.range_high, 10);
    EXPECT_EQ(state.range_low, -20);
}

struct AdaptCase {
    RangeOutcome outcome;
    int32_t sign;
    int32_t magnitude;
    int32_t index;
    int32_t min_index;
    int32_t index_after;
};

const AdaptCase adapt_cases[] = {
    {RangeOutcome::Inside, 0, 63, 10, 0, 29},   {RangeOutcome::Inside, 0x40, 63, 10, 0, 29},
    {RangeOutcome::AtLow, 0, 63, 10, 0, 29},    {RangeOutcome::AtLow, 0x40, 63, 10, 0, 9},
    {RangeOutcome::AtHigh, 0, 63, 10, 0, 9},    {RangeOutcome::AtHigh, 0x40, 63, 10, 0, 29},
    {RangeOutcome::Collapsed, 0, 63, 10, 0, 9}, {RangeOutcome::Collapsed, 0x40, 40, 10, 0, 9},
    {RangeOutcome::Inside, 0, 36, 10, 0, 12},   {RangeOutcome::Inside, 0, 31, 10, 0, 9},
    {RangeOutcome::Inside, 0, 63, 60, 0, 63},   {RangeOutcome::Inside, 0, 0, 10, 10, 10},
    {RangeOutcome::Collapsed, 0, 0, 4, 30, 30}, {RangeOutcome::AtHigh, 0, 0, 0, 0, 0},
};

TEST(AdaptIndex, ChangeByOutcomeAndSign) {
    for (const AdaptCase& c : adapt_cases) {
        SCOPED_TRACE(::testing::Message() << "outcome " << int(c.outcome) << ", sign " << c.sign
                                          << ", magnitude " << c.magnitude);
        CodecState state;
        state.header = BlockHeader{0, 0, static_cast<uint8_t>(c.min_index), 0, 0};
        prepare_block(state);
        state.step_index = c.index;
        adapt_index(c.outcome, c.sign, c.magnitude, state);
        EXPECT_EQ(state.step_index, c.index_after);
    }
}

TEST(SampleStep, DequantiseAndClamp) {
    EXPECT_EQ(dequantise(0, 63), 0);
    EXPECT_EQ(dequantise(0, 64), 1);
    EXPECT_EQ(dequantise(31, 35), 34);
    EXPECT_EQ(dequantise(63, 32767), 65022); // just under twice the step

    EXPECT_EQ(add_clamped(100, 5, 0x40), 95);
    EXPECT_EQ(add_clamped(100, 5, 0), 105);
    EXPECT_EQ(add_clamped(32000, 1000, 0), 32767);
    EXPECT_EQ(add_clamped(32766, 0, 0), 32766);
    EXPECT_EQ(add_clamped(-32000, 1000, 0x40), -32767);
    EXPECT_EQ(add_clamped(-32766, 1, 0x40), -32767);
    EXPECT_EQ(add_clamped(-32768, 0, 0), -32767);
    EXPECT_EQ(add_clamped(60000, 65020, 0x40), -5020); // a limit far outside the sample range
}

// Whatever the state held and whichever block came before, a block decodes the same.
TEST(DecodeBlock, NeedsNoInitialisedStateAndNoOrder) {
    std::mt19937 random(3);
    std::vector<Block> blocks;
    std::vector<Samples> fresh;
    for (int n = 0; n < 500; ++n) {
        blocks.push_back(random_block(random));
        CodecState state{};
        Samples out(BLOCK_SAMPLES);
        decode_block(blocks.back().data(), out.data(), state);
        fresh.push_back(out);
    }
    CodecState shared;
    std::memset(&shared, 0xA5, sizeof shared);
    for (size_t n = blocks.size(); n-- > 0;) {
        Samples out(BLOCK_SAMPLES);
        decode_block(blocks[n].data(), out.data(), shared);
        ASSERT_EQ(out, fresh[n]) << "block " << n;
    }
}

TEST(DecodeBlock, NoLaterSampleIsMinus32768) {
    std::mt19937 random(5);
    CodecState state;
    int16_t out[BLOCK_SAMPLES];
    for (int n = 0; n < 200000; ++n) {
        Block block = random_block(random);
        if (n % 2) { // a first sample of -32768 as well
            block[0] = 0x80;
            block[1] = 0x00;
        }
        decode_block(block.data(), out, state);
        for (int i = 1; i < BLOCK_SAMPLES; ++i)
            ASSERT_NE(out[i], -32768) << "block " << n << ", sample " << i;
    }
}

} // namespace
