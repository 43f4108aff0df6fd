#include "block_format.h"
#include "decoder.h"
#include "encoder.h"
#include "step_tables.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

namespace {

using Block   = std::array<uint8_t, BLOCK_BYTES>;
using Samples = std::vector<int16_t>;
using R       = RangeOutcome;

// "10 00 50 ..." into 32 bytes: two digits and a blank for each.
Block block_from_hex(const char* hex) {
    Block block;
    for (int i = 0; i < BLOCK_BYTES; ++i)
        block[i] = static_cast<uint8_t>(std::strtoul(hex + 3 * i, nullptr, 16));
    return block;
}

// A whole block of samples, each clamped to 16 bits.
template <class SampleAt> Samples generated(SampleAt sample_at) {
    Samples samples(BLOCK_SAMPLES);
    for (int i = 0; i < BLOCK_SAMPLES; ++i)
        samples[i] = static_cast<int16_t>(std::clamp(sample_at(i), -32768L, 32767L));
    return samples;
}

// The given samples followed by copies of the last one.
Samples padded(Samples samples) {
    samples.resize(BLOCK_SAMPLES, samples.back());
    return samples;
}

// The header as a tuple, which assertions can compare and print.
auto fields(const BlockHeader& h) {
    return std::make_tuple(h.first_sample, int(h.start_index), int(h.min_index),
                           int(h.range_exponent), int(h.table_select));
}

Samples decode(const Block& block) {
    CodecState state;
    Samples out(BLOCK_SAMPLES);
    decode_block(block.data(), out.data(), state);
    return out;
}

Block encode(const Samples& samples) {
    CodecState state;
    Block block;
    encode_block(samples.data(), block.data(), state);
    return block;
}

// A block and the samples it decodes to. Where an input is given, the encoder must make that
// block of it, or with no block given, one that decodes to those samples.
struct WorkedBlock {
    const char* name;
    Samples input;
    Samples decoded;
    const char* hex;
};

const WorkedBlock worked_blocks[] = {
    {"all ones", Samples{}, padded({-1, -32767}),
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
    {"lowest first sample", Samples{}, padded({-32768, -32767}),
     "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {"saturating rise", Samples{},
     padded({4096, 4342, 5314, 9159, 14681, 20203, 25725, 31247, 32767}),
     "10 00 50 AE 40 FD FB F7 EF DF BF 7E FD FB F7 EF "
     "DF BF 7E FD FB F7 EF DF BF 7E FD FB F7 EF DF BF"},
    {"ramp",
     generated([](int i) { return 100L * i; }),
     {0,    101,  198,  299,  400,  501,  598,  699,  800,  901,  998,
      1099, 1200, 1301, 1398, 1499, 1600, 1701, 1798, 1899, 2000, 2101,
      2198, 2299, 2400, 2501, 2598, 2699, 2800, 2901, 2998, 3099},
     "00 00 A6 2B 00 80 E2 03 A8 0E 20 3A 80 E2 03 A8 "
     "0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20"},
    {"sine",
     generated([](int i) { return std::lround(10000 * std::sin(std::acos(-1.0) * i / 16)); }),
     {0,     1941,  3796,   5586,  7069,  8336,  9253,  9813,  10016, 9827,  9259,
      8330,  7058,  5549,   3820,  1960,  18,    -1950, -3805, -5531, -7079, -8310,
      -9260, -9826, -10015, -9800, -9235, -8302, -7056, -5547, -3818, -1958},
     "00 00 D3 1D 40 C4 D1 B3 05 88 8B 09 12 75 9C B9 "
     "B1 E3 C5 82 E5 CB 75 E9 CC 88 14 79 B4 E9 91 A3"},
    {"lowest samples", padded({-32768}), padded({-32768, -32767}),
     "80 00 00 00 00 02 85 0A 14 28 50 A1 42 85 0A 14 "
     "28 50 A1 42 85 0A 14 28 50 A1 42 85 0A 14 28 50"},
    // Table 3 cannot hold the flat part still: magnitude 0 moves the value by 15241 >> 6.
    {"late jump", generated([](int i) { return i == 31 ? 30000L : 0L; }),
     generated([](int i) { return i == 31 ? 29767L : i % 2 * 238L; }), nullptr},
};

TEST(WorkedBlocks, DecodeAndEncode) {
    for (const WorkedBlock& w : worked_blocks) {
        SCOPED_TRACE(w.name);
        const Block block = w.hex ? block_from_hex(w.hex) : encode(w.input);
        EXPECT_EQ(decode(block), w.decoded);
        if (!w.input.empty()) {
            EXPECT_EQ(encode(w.input), block);
        }
    }
}

// The first two bytes hold the sample and the other 30 are zero.
TEST(WorkedBlocks, EqualSamplesComeBackExactly) {
    for (int16_t value : {0, 1, -1, 1000, -12345, 32767, -32767}) {
        const Block expected{uint8_t(uint16_t(value) >> 8), uint8_t(value & 0xFF)};
        EXPECT_EQ(encode(padded({value})), expected) << value;
        EXPECT_EQ(decode(expected), padded({value})) << value;
    }
}

// Packed again, 32 bytes of 0xFF come back with the reserved bits of byte 4 zero.
TEST(BlockFormat, AllOnes) {
    Block block, packed;
    block.fill(0xFF);
    BlockHeader header;
    uint8_t codes[BLOCK_CODES];
    unpack_block(block.data(), header, codes);
    EXPECT_EQ(fields(header), fields(BlockHeader{-1, 63, 63, 15, 3}));
    EXPECT_EQ(std::count(codes, codes + BLOCK_CODES, 0x7F), BLOCK_CODES);
    pack_block(header, codes, packed.data());
    block[4] = 0xC1;
    EXPECT_EQ(packed, block);
}

// Code, value, byte, byte value: one code set in an empty block sets one byte.
TEST(BlockFormat, CodesLandOnTheirBits) {
    const int placements[][4] = {
        {0, 0x40, 4, 0x01},   {0, 0x3F, 5, 0xFC},   {6, 0x01, 10, 0x01},
        {7, 0x40, 11, 0x80},  {14, 0x01, 17, 0x01}, {15, 0x40, 18, 0x80},
        {22, 0x01, 24, 0x01}, {23, 0x40, 25, 0x80}, {30, 0x7F, 31, 0x7F},
    };
    for (const auto& p : placements) {
        uint8_t codes[BLOCK_CODES] = {};
        codes[p[0]]                = static_cast<uint8_t>(p[1]);
        Block block, expected{};
        pack_block(BlockHeader{0, 0, 0, 0, 0}, codes, block.data());
        expected[p[2]] = static_cast<uint8_t>(p[3]);
        EXPECT_EQ(block, expected) << "code " << p[0] << " = " << p[1];
    }
}

// Both ways round; the reserved bits (byte 4, mask 0x3E) come back zero, so they reach no field.
TEST(BlockFormat, RoundTrips) {
    std::mt19937 random(11);
    for (int n = 0; n < 10000; ++n) {
        Block bytes, repacked;
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        BlockHeader header, again;
        uint8_t codes[BLOCK_CODES], codes_again[BLOCK_CODES];
        unpack_block(bytes.data(), header, codes);
        pack_block(header, codes, repacked.data());
        unpack_block(repacked.data(), again, codes_again);
        bytes[4] &= ~0x3E;
        ASSERT_EQ(repacked, bytes);
        ASSERT_EQ(fields(again), fields(header));
        ASSERT_EQ(std::memcmp(codes_again, codes, sizeof codes), 0);
    }
}

// Sample 1 uses the step at start_index 5 (4), sample 2 the one at min_index 30 (35).
TEST(DecodeBlock, StartIndexBelowMinIndexServesSampleOne) {
    const uint8_t codes[BLOCK_CODES] = {63, 31};
    Block block;
    pack_block(BlockHeader{1000, 5, 30, 15, 0}, codes, block.data());
    const Samples out = decode(block);
    EXPECT_EQ(out[1], 1000 + (127 * 4 >> 6));
    EXPECT_EQ(out[2], out[1] + (63 * 35 >> 6));
}

// A block decodes alike whatever the state held, and never to -32768 after sample 0.
TEST(DecodeBlock, RandomBlocksNeedNoStateAndNeverGiveMinus32768) {
    std::mt19937 random(3);
    CodecState shared;
    std::memset(&shared, 0xA5, sizeof shared);
    for (int n = 0; n < 100000; ++n) {
        Block block;
        for (uint8_t& b : block)
            b = static_cast<uint8_t>(random());
        Samples after(BLOCK_SAMPLES);
        decode_block(block.data(), after.data(), shared);
        ASSERT_EQ(after, decode(block)) << "block " << n;
        ASSERT_EQ(std::count(after.begin() + 1, after.end(), -32768), 0) << "block " << n;
    }
}

// Table 0, min_index 5. Index 20 (step 14) puts the limits 28 inside the window, clipped at
// +-65535; exponent 0 with index 5 (step 4) crosses them, and the value falls to the midpoint
// (truncated toward zero) with the index one lower, even below min_index, but never below 0.
TEST(RangeTest, OutcomesAndEffects) {
    const std::tuple<int16_t, uint8_t, int32_t, int32_t, R, int32_t, int32_t> cases[] = {
        // first_sample, range_exponent, index, value, outcome, value after, index after
        {0, 7, 20, 226, R::Inside, 226, 20},          {0, 7, 20, 227, R::AtHigh, 227, 20},
        {0, 7, 20, 9000, R::AtHigh, 227, 20},         {0, 7, 20, -227, R::AtLow, -227, 20},
        {0, 7, 20, -9000, R::AtLow, -227, 20},        {30000, 15, 0, 70000, R::AtHigh, 65531, 0},
        {-30000, 15, 0, -70000, R::AtLow, -65531, 0}, {100, 0, 5, 105, R::Collapsed, 102, 4},
        {0, 0, 5, -3, R::Collapsed, -1, 4},           {0, 0, 0, 3, R::Collapsed, 1, 0},
    };
    for (const auto& [first, exponent, index, value, outcome, value_after, index_after] : cases) {
        CodecState state;
        state.header = BlockHeader{first, 0, 5, exponent, 0};
        prepare_block(state);
        state.step_index = index;
        int32_t moved    = value;
        EXPECT_EQ(range_test(moved, state), outcome) << "value " << value;
        EXPECT_EQ(moved, value_after) << "value " << value;
        EXPECT_EQ(state.step_index, index_after) << "value " << value;
    }
}

// Magnitude 63 adds 19; a code pushing on towards the limit it was pulled back to takes 1 away.
TEST(AdaptIndex, ChangeByOutcomeAndSign) {
    const std::tuple<R, int32_t, int32_t, int32_t, uint8_t, int32_t> cases[] = {
        // outcome, sign, magnitude, index, min_index, index after
        {R::Inside, 0x40, 63, 10, 0, 29},   {R::AtLow, 0, 63, 10, 0, 29},
        {R::AtLow, 0x40, 63, 10, 0, 9},     {R::AtHigh, 0, 63, 10, 0, 9},
        {R::AtHigh, 0x40, 63, 10, 0, 29},   {R::Collapsed, 0, 63, 10, 0, 9},
        {R::Collapsed, 0x40, 63, 10, 0, 9}, {R::Inside, 0, 63, 60, 0, 63},
        {R::Collapsed, 0, 0, 4, 30, 30},    {R::AtHigh, 0, 0, 0, 0, 0},
    };
    for (const auto& [outcome, sign, magnitude, index, min_index, index_after] : cases) {
        CodecState state;
        state.header = BlockHeader{0, 0, min_index, 0, 0};
        prepare_block(state);
        state.step_index = index;
        adapt_index(outcome, sign, magnitude, state);
        EXPECT_EQ(state.step_index, index_after)
            << "outcome " << int(outcome) << ", sign " << sign << ", index " << index;
    }
}

// Value, amount, sign, result: only the result is clamped, whatever range the value came from.
TEST(AddClamped, ClampsToPlusMinus32767) {
    const int32_t cases[][4] = {
        {100, 5, 0x40, 95},     {32000, 1000, 0, 32767}, {-32000, 1000, 0x40, -32767},
        {-32768, 0, 0, -32767}, {32766, 0, 0, 32766},    {60000, 65020, 0x40, -5020},
    };
    for (const auto& c : cases)
        EXPECT_EQ(add_clamped(c[0], c[1], c[2]), c[3]) << c[0] << " by " << c[1];
}

// An opening difference of exactly twice the mean one does not set the start index; one more does.
TEST(EncodeBlock, StartIndexFromTheOpeningDifference) {
    for (const auto& [opening, start_index] : {std::pair{200L, 42}, {201L, 49}}) {
        const Samples ramp = generated([=](int i) { return i ? opening + 100L * (i - 1) : 0L; });
        BlockHeader header;
        uint8_t codes[BLOCK_CODES];
        unpack_block(encode(ramp).data(), header, codes);
        EXPECT_EQ(fields(header), fields(BlockHeader{0, uint8_t(start_index), 41, 11, 0}));
    }
}

// max_delta, table_select (4/7 of it against 811, 2783, 9549), min_index (about half of it).
TEST(ChooseTable, AndMinIndexAtTheirBoundaries) {
    const uint32_t cases[][3] = {
        {4, 0, 0},      {5, 0, 1},      {1421, 0, 62},  {1422, 1, 45},
        {4872, 1, 62},  {4873, 2, 35},  {16712, 2, 61}, {16713, 3, 8},
        {61338, 3, 60}, {61339, 3, 61}, {65535, 3, 63},
    };
    for (const auto& c : cases) {
        CodecState state;
        state.max_delta = c[0];
        choose_table(state);
        choose_min_index(state);
        EXPECT_EQ(state.header.table_select, c[1]) << "max_delta " << c[0];
        EXPECT_EQ(state.header.min_index, c[2]) << "max_delta " << c[0];
    }
}

TEST(ChooseRangeExponent, HighestSetBitOfTheDeviation) {
    CodecState state;
    for (uint32_t deviation = 0, bit = 0; deviation <= 65535; ++deviation) {
        if (deviation >> (bit + 1)) ++bit;
        state.max_deviation = deviation;
        choose_range_exponent(state);
        ASSERT_EQ(state.header.range_exponent, bit) << "max_deviation " << deviation;
    }
}

TEST(FindStepIndex, CountsEntriesBelowOrEqual) {
    CodecState state;
    for (uint8_t t = 0; t < STEP_TABLES; ++t) {
        state.header.table_select = t;
        for (uint32_t a = 0; a <= 33000; ++a) {
            const auto count = std::count_if(step_tables[t], step_tables[t] + MAX_STEP_INDEX,
                                             [a](int32_t step) { return uint32_t(step) <= a; });
            ASSERT_EQ(find_step_index(a, state), count) << "table " << int(t) << ", a " << a;
        }
        EXPECT_EQ(find_step_index(0xFFFFFFFFu, state), 63);
    }
}

// Noise of every size and level, ramps, squares, and steps between levels at every position.
std::vector<Samples> varied_inputs() {
    std::mt19937 random(2024);
    std::uniform_int_distribution<long> any(-32768, 32767), bits(0, 15);
    std::vector<Samples> inputs;
    for (int n = 0; n < 3000; ++n) {
        const long level = any(random), spread = 1L << bits(random);
        std::uniform_int_distribution<long> around(level - spread, level + spread);
        inputs.push_back(generated([&](int) { return around(random); }));
        inputs.push_back(generated([&](int) { return any(random); }));
    }
    for (long slope = -2200; slope <= 2200; slope += 37)
        for (long start : {-32768L, 0L, 20000L})
            inputs.push_back(generated([=](int i) { return start + slope * i; }));
    for (long amplitude : {1L, 100L, 5000L, 32768L})
        for (int half : {1, 2, 4, 8, 16})
            for (int phase = 0; phase < 2 * half; ++phase)
                inputs.push_back(generated(
                    [=](int i) { return ((i + phase) / half) % 2 ? amplitude : -amplitude; }));
    const std::pair<long, long> levels[] = {{-32768, -32767}, {-32768, 0}, {-32768, 32767},
                                            {0, 30000},       {100, -100}, {0, 0}};
    for (const auto& [a, b] : levels)
        for (int at = 0; at <= BLOCK_SAMPLES; ++at) {
            inputs.push_back(generated([=](int i) { return i < at ? a : b; }));
            inputs.push_back(generated([=](int i) { return i < at ? b : a; }));
        }
    return inputs;
}

// Decoding gives the code loop's running values; the steps one at a time give the same block.
TEST(EncodeBlock, DecoderFollowsTheRunningValues) {
    for (const Samples& samples : varied_inputs()) {
        CodecState state, steps;
        std::memset(&state, 0x5A, sizeof state);
        std::memset(&steps, 0xC3, sizeof steps);
        Block block, packed;
        encode_block(samples.data(), block.data(), state);
        analyse_samples(samples.data(), steps);
        choose_table(steps);
        choose_range_exponent(steps);
        choose_min_index(steps);
        choose_start_index(steps);
        prepare_block(steps);
        uint8_t codes[BLOCK_CODES];
        Samples running(BLOCK_SAMPLES);
        choose_codes(samples.data(), codes, running.data(), steps);
        pack_block(steps.header, codes, packed.data());
        ASSERT_EQ(packed, block) << ::testing::PrintToString(samples);
        ASSERT_EQ(decode(block), running) << ::testing::PrintToString(samples);
    }
}

} // namespace
