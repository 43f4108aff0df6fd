#include "decoder.h"
#include "encoder.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using Block   = std::array<uint8_t, BLOCK_BYTES>;
using Samples = std::vector<int16_t>;

// "10 00 50 ..." into 32 bytes: two digits and a blank for each.
Block from_hex(const char* hex) {
    Block block;
    for (int i = 0; i < BLOCK_BYTES; ++i)
        block[i] = uint8_t(std::strtoul(hex + 3 * i, nullptr, 16));
    return block;
}

// A block of samples clamped to 16 bits; given fewer, the last one repeats.
template <class SampleAt> Samples generated(SampleAt sample_at) {
    Samples samples(BLOCK_SAMPLES);
    for (int i = 0; i < BLOCK_SAMPLES; ++i)
        samples[i] = int16_t(std::clamp(long(sample_at(i)), -32768L, 32767L));
    return samples;
}
Samples padded(const Samples& given) {
    return generated([&](int i) { return given[std::min<size_t>(i, given.size() - 1)]; });
}

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
// clang-format off
const struct WorkedBlock {
    const char* name;
    Samples input, decoded;
    const char* hex;
} WORKED_BLOCKS[] = {
    {"all ones", {}, padded({-1, -32767}),
     "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
    {"lowest first sample", {}, padded({-32768, -32767}),
     "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {"saturating rise", {}, padded({4096, 4342, 5314, 9159, 14681, 20203, 25725, 31247, 32767}),
     "10 00 50 AE 40 FD FB F7 EF DF BF 7E FD FB F7 EF DF BF 7E FD FB F7 EF DF BF 7E FD FB F7 EF DF BF"},
    {"ramp", generated([](int i) { return 100 * i; }),
     {0,    101,  198,  299,  400,  501,  598,  699,  800,  901,  998,  1099, 1200, 1301, 1398, 1499,
      1600, 1701, 1798, 1899, 2000, 2101, 2198, 2299, 2400, 2501, 2598, 2699, 2800, 2901, 2998, 3099},
     "00 00 A6 2B 00 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20 3A 80 E2 03 A8 0E 20"},
    {"sine", generated([](int i) { return std::lround(10000 * std::sin(std::acos(-1.0) * i / 16)); }),
     {0,  1941,  3796,  5586,  7069,  8336,  9253,  9813,  10016,  9827,  9259,  8330,  7058,  5549,  3820,  1960,
      18, -1950, -3805, -5531, -7079, -8310, -9260, -9826, -10015, -9800, -9235, -8302, -7056, -5547, -3818, -1958},
     "00 00 D3 1D 40 C4 D1 B3 05 88 8B 09 12 75 9C B9 B1 E3 C5 82 E5 CB 75 E9 CC 88 14 79 B4 E9 91 A3"},
    {"lowest samples", padded({-32768}), padded({-32768, -32767}),
     "80 00 00 00 00 02 85 0A 14 28 50 A1 42 85 0A 14 28 50 A1 42 85 0A 14 28 50 A1 42 85 0A 14 28 50"},
    // Table 3 cannot hold the flat part still: magnitude 0 moves the value by 15241 >> 6.
    {"late jump", generated([](int i) { return i == 31 ? 30000 : 0; }),
     generated([](int i) { return i == 31 ? 29767 : i % 2 * 238; }), nullptr},
};
// clang-format on

TEST(WorkedBlocks, DecodeAndEncode) {
    for (const WorkedBlock& w : WORKED_BLOCKS) {
        const Block block = w.hex ? from_hex(w.hex) : encode(w.input);
        EXPECT_EQ(decode(block), w.decoded) << w.name;
        EXPECT_TRUE(w.input.empty() || encode(w.input) == block) << w.name;
    }
}

// An opening difference of exactly twice the mean one does not set the start index; one more
// does.
TEST(EncodeBlock, StartIndexFromTheOpeningDifference) {
    for (const auto& [opening, start_index] : {std::pair{200, 42}, {201, 49}}) {
        BlockHeader header;
        uint8_t codes[BLOCK_CODES];
        unpack_block(encode(generated([first = opening](int i) {
                         return i ? first + 100 * (i - 1) : 0;
                     })).data(),
                     header, codes);
        EXPECT_EQ(fields(header), fields(BlockHeader{0, uint8_t(start_index), 41, 11, 0}));
    }
}

} // namespace
