#include "decoder.h"
#include "encoder.h"
#include "step_tables.h"
#include "test_blocks.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

Samples generated(const std::function<long(int)>& sample_at) {
    Samples samples(BLOCK_SAMPLES);
    for (int i = 0; i < BLOCK_SAMPLES; ++i)
        samples[i] = static_cast<int16_t>(std::clamp(sample_at(i), -32768L, 32767L));
    return samples;
}

Samples ramp(long start, long slope) {
    return generated([=](int i) { return start + slope * i; });
}

const double PI = std::acos(-1.0);

const Samples sine =
    generated([](int i) { return std::lround(10000 * std::sin(2 * PI * i / 32)); });
const Samples late_jump = padded({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30000});

Samples encode_then_decode(const Samples& samples, Block& block) {
    CodecState state;
    encode_block(samples.data(), block.data(), state);
    Samples out(BLOCK_SAMPLES);
    decode_block(block.data(), out.data(), state);
    return out;
}

struct EncodeCase {
    const char* name;
    Samples samples;
    const char* hex;
};

const EncodeCase encode_cases[] = {
    {"constant", padded({1000}),
     "03 E8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00"},
    {"lowest", padded({-32768}),
     "80 00 00 00 00 02 85 0A 14 28 50 A1 42 85 0A 14 28 50 A1 42 85 0A 14 28 50 A1 42 85 0A 14 28 "
     "50"},
    {"ramp", ramp(0, 100),
     "00 00 A6 2B 00 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E "
     "20"},
    {"sine", sine,
     "00 00 D3 1D 40 C4 D1 B3 05 88 8B 09 12 75 9C B9 B1 E3 C5 82 E5 CB 75 E9 CC 88 14 79 B4 E9 91 "
     "A3"},
};

TEST(EncodeBlock, ExampleBlocks) {
    for (const EncodeCase& c : encode_cases) {
        SCOPED_TRACE(c.name);
        Block block;
        CodecState state;
        encode_block(c.samples.data(), block.data(), state);
        EXPECT_EQ(block, block_from_hex(c.hex));
    }
}

TEST(EncodeBlock, EqualSamplesComeBackExactly) {
    for (int16_t value : {0, 1, -1, 1000, -12345, 32767, -32767}) {
        SCOPED_TRACE(value);
        Block block;
        const Samples samples = padded({value});
        EXPECT_EQ(encode_then_decode(samples, block), samples);
        EXPECT_EQ(block[0], static_cast<uint16_t>(value) >> 8);
        EXPECT_EQ(block[1], static_cast<uint16_t>(value) & 0xFF);
        EXPECT_TRUE(std::all_of(block.begin() + 2, block.end(), [](uint8_t b) { return b == 0; }));
    }
}

TEST(EncodeBlock, LowestSampleDecodesOneAbove) {
    Block block;
    EXPECT_EQ(encode_then_decode(padded({-32768}), block), padded({-32768, -32767}));
}

// Table 3 cannot hold the flat part still: magnitude 0 moves the value by 15241 >> 6.
TEST(EncodeBlock, LateJumpForcesACoarseStep) {
    Block block;
    Samples expected(BLOCK_SAMPLES);
    for (int i = 0; i < BLOCK_SAMPLES - 1; ++i)
        expected[i] = i % 2 ? 238 : 0;
    expected[BLOCK_SAMPLES - 1] = 29767;
    EXPECT_EQ(encode_then_decode(late_jump, block), expected);
}

struct AnalysisCase {
    const char* name;
    Samples samples;
    uint32_t max_delta, mean_delta, max_deviation, first_delta;
    BlockHeader header;
};

const AnalysisCase analysis_cases[] = {
    {"ramp", ramp(0, 100), 100, 96, 3100, 100, {0, 41, 34, 11, 0}},
    {"sine", sine, 1951, 1189, 10000, 1951, {0, 52, 49, 13, 1}},
    {"late jump", late_jump, 30000, 937, 30000, 0, {0, 32, 32, 14, 3}},
    {"lowest", padded({-32768}), 0, 0, 0, 0, {-32768, 0, 0, 0, 0}},
    {"full swing", padded({32767, -32768}), 65535, 2047, 65535, 65535, {32767, 63, 63, 15, 3}},
};

TEST(EncodeBlock, HeaderFromStatistics) {
    for (const AnalysisCase& c : analysis_cases) {
        SCOPED_TRACE(c.name);
        CodecState state;
        analyse_samples(c.samples.data(), state);
        EXPECT_EQ(state.max_delta, c.max_delta);
        EXPECT_EQ(state.mean_delta, c.mean_delta);
        EXPECT_EQ(state.max_deviation, c.max_deviation);
        EXPECT_EQ(state.first_delta, c.first_delta);
        choose_table(state);
        choose_range_exponent(state);
        choose_min_index(state);
        choose_start_index(state);
        EXPECT_EQ(state.header, c.header);
    }
}

TEST(ChooseRangeExponent, HighestSetBit) {
    const std::pair<uint32_t, int> cases[] = {
        {0, 0},   {1, 0},   {2, 1},     {3, 1},     {4, 2},      {15, 3},    {16, 4},
        {255, 7}, {256, 8}, {4095, 11}, {4096, 12}, {32768, 15}, {65535, 15}};
    for (const auto& [deviation, exponent] : cases) {
        CodecState state;
        state.max_deviation = deviation;
        choose_range_exponent(state);
        EXPECT_EQ(state.header.range_exponent, exponent) << "max_deviation " << deviation;
    }
}

// r = about 4/7 of max_delta against the largest steps 811, 2783 and 9549.
TEST(ChooseTable, ThresholdsAreTheLargestSteps) {
    const std::pair<uint32_t, int> cases[] = {{0, 0},    {1421, 0},  {1422, 1},  {4872, 1},
                                              {4873, 2}, {16712, 2}, {16713, 3}, {65535, 3}};
    for (const auto& [max_delta, table] : cases) {
        CodecState state;
        state.max_delta = max_delta;
        choose_table(state);
        EXPECT_EQ(state.header.table_select, table) << "max_delta " << max_delta;
    }
}

// r2 = about 63/127 of max_delta, searched in the table that max_delta selects.
TEST(ChooseMinIndex, JustUnderHalfTheLargestDifference) {
    const std::pair<uint32_t, int> cases[] = {{4, 0},     {5, 1},      {7, 5},      {1421, 62},
                                              {1422, 45}, {61338, 60}, {61339, 61}, {65535, 63}};
    for (const auto& [max_delta, min_index] : cases) {
        CodecState state;
        state.max_delta = max_delta;
        choose_table(state);
        choose_min_index(state);
        EXPECT_EQ(state.header.min_index, min_index) << "max_delta " << max_delta;
    }
}

TEST(FindStepIndex, CountsEntriesBelowOrEqual) {
    CodecState state;
    for (uint8_t t = 0; t < STEP_TABLES; ++t) {
        state.header.table_select = t;
        for (uint32_t a = 0; a <= 33000; ++a) {
            const int32_t count = static_cast<int32_t>(
                std::count_if(step_tables[t], step_tables[t] + MAX_STEP_INDEX,
                              [a](int32_t step) { return uint32_t(step) <= a; }));
            ASSERT_EQ(find_step_index(a, state), count) << "table " << int(t) << ", a " << a;
        }
        EXPECT_EQ(find_step_index(0xFFFFFFFFu, state), 63);
    }
}

struct StartCase {
    uint32_t first_delta, mean_delta;
    uint8_t min_index, start_index;
};

// Table 0: entries 40 and 41 are 91 and 100, 47 and 48 are 177 and 195.
const StartCase start_cases[] = {
    {100, 96, 34, 41}, // 100 <= 2 x 96: the mean counts
    {192, 96, 34, 41},
    {193, 96, 34, 48}, // above twice the mean: the opening difference counts
    {100, 96, 50, 50}, // never below min_index
};

TEST(ChooseStartIndex, OpeningDifferenceOnlyWhenItStandsOut) {
    for (const StartCase& c : start_cases) {
        CodecState state;
        state.header      = BlockHeader{0, 0, c.min_index, 0, 0};
        state.first_delta = c.first_delta;
        state.mean_delta  = c.mean_delta;
        choose_start_index(state);
        EXPECT_EQ(state.header.start_index, c.start_index) << "first_delta " << c.first_delta;
    }
}

std::vector<Samples> varied_inputs() {
    std::vector<Samples> inputs;
    std::mt19937 random(2024);
    auto uniform = [&](long low, long high) {
        return std::uniform_int_distribution<long>(low, high)(random);
    };
    for (int n = 0; n < 3000; ++n) { // noise of every size around random levels
        const long level = uniform(-32768, 32767), spread = 1L << uniform(0, 15);
        inputs.push_back(generated([&](int) { return level + uniform(-spread, spread); }));
        inputs.push_back(generated([&](int) { return uniform(-32768, 32767); }));
    }
    for (long slope = -2200; slope <= 2200; slope += 37)
        for (long start : {-32768L, -1000L, 0L, 20000L})
            inputs.push_back(ramp(start, slope));
    for (long amplitude : {1L, 100L, 5000L, 32767L, 32768L})
        for (int half : {1, 2, 4, 8, 16})
            for (int phase = 0; phase < 2 * half; ++phase)
                inputs.push_back(generated(
                    [=](int i) { return ((i + phase) / half) % 2 ? amplitude : -amplitude; }));
    for (int16_t after : {-32768, -32767, 0, 32767})
        for (int run = 0; run <= BLOCK_SAMPLES; ++run) {
            inputs.push_back(generated([=](int i) { return i < run ? -32768L : after; }));
            inputs.push_back(generated([=](int i) { return i < run ? after : -32768L; }));
        }
    const std::pair<long, long> levels[] = {
        {0, 30000}, {-32768, 32767}, {32767, -32768}, {100, -100}};
    for (const auto& [before, after] : levels)
        for (int at = 1; at < BLOCK_SAMPLES; ++at)
            inputs.push_back(generated([=](int i) { return i < at ? before : after; }));
    inputs.push_back(padded({0}));
    return inputs;
}

// The decoder must reproduce the encoder's running value at every sample, whatever state the
// encoder's scratch record held.
TEST(EncodeBlock, DecoderFollowsTheRunningValues) {
    const std::vector<Samples> inputs = varied_inputs();
    for (size_t n = 0; n < inputs.size(); ++n) {
        const Samples& samples = inputs[n];
        CodecState state;
        std::memset(&state, 0x5A, sizeof state);
        Block block;
        encode_block(samples.data(), block.data(), state);

        CodecState steps;
        std::memset(&steps, 0xC3, sizeof steps);
        analyse_samples(samples.data(), steps);
        choose_table(steps);
        choose_range_exponent(steps);
        choose_min_index(steps);
        choose_start_index(steps);
        prepare_block(steps);
        uint8_t codes[BLOCK_CODES];
        Samples running(BLOCK_SAMPLES);
        choose_codes(samples.data(), codes, running.data(), steps);
        Block packed;
        pack_block(steps.header, codes, packed.data());
        ASSERT_EQ(packed, block) << "input " << n;

        Samples decoded(BLOCK_SAMPLES);
        decode_block(block.data(), decoded.data(), state);
        ASSERT_EQ(decoded, running) << "input " << n;
    }
}

} // namespace
