#include "batch_decoder.h"

#include "decoder.h"
#include "encoder.h"
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Bytes   = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

Samples reference(const Bytes& blocks) {
    Samples out(blocks.size() / BLOCK_BYTES * BLOCK_SAMPLES);
    CodecState state;
    for (size_t b = 0; b < blocks.size() / BLOCK_BYTES; ++b)
        decode_block(&blocks[b * BLOCK_BYTES], &out[b * BLOCK_SAMPLES], state);
    return out;
}

Bytes random_blocks(size_t count, uint32_t seed) {
    Bytes blocks(count * BLOCK_BYTES);
    std::mt19937 random(seed);
    for (size_t i = 0; i < blocks.size(); i += 4) {
        const uint32_t word = random();
        std::memcpy(&blocks[i], &word, 4);
    }
    return blocks;
}

// Blocks the encoder writes for tones, sweeps, square waves, silence, clipping and noise at
// levels from a whisper to full scale.
Bytes encoded_blocks(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double pi = std::acos(-1.0);
    Bytes blocks(count * BLOCK_BYTES);
    CodecState state;
    int16_t chunk[BLOCK_SAMPLES];
    for (size_t b = 0; b < count; ++b) {
        const int kind     = int((b / 64 + seed) % 6);
        const double level = std::pow(2.0, double((b / 384 + seed) % 16));
        for (int i = 0; i < BLOCK_SAMPLES; ++i) {
            const double t = double(b * BLOCK_SAMPLES + size_t(i));
            double x       = 0;
            switch (kind) {
            case 0: x = level * std::sin(2 * pi * t * (20 + double(b % 997)) / 32000.0); break;
            case 1: x = level * noise(random); break;
            case 2: x = std::sin(2 * pi * t / 80.0) > 0 ? level : -level; break;
            case 3: x = 0; break;
            case 4: x = 40000.0 * std::sin(2 * pi * t / 300.0); break;
            case 5: x = level * (std::sin(2 * pi * t / 50.0) + noise(random)); break;
            }
            chunk[i] = int16_t(std::lround(std::fmax(-32768.0, std::fmin(32767.0, x))));
        }
        encode_block(chunk, &blocks[b * BLOCK_BYTES], state);
    }
    return blocks;
}

// Empty when this build or processor has no vector path; the counts used here fill whole
// groups of lanes.
Samples vector(const Bytes& blocks) {
    const size_t count = blocks.size() / BLOCK_BYTES;
    Samples out(count * BLOCK_SAMPLES);
    if (decode_blocks_vector(blocks.data(), count, out.data()) != count) return {};
    return out;
}

// The first block where two decodings differ, or -1.
long first_difference(const Samples& a, const Samples& b) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return long(i / BLOCK_SAMPLES);
    return -1;
}

struct Source {
    const char* name;
    Bytes (*make)(size_t, uint32_t);
    size_t chunks; // of CHUNK_BLOCKS, each from its own seed
};

constexpr size_t CHUNK_BLOCKS = 1024; // small enough for the heap to reuse its buffers

TEST(DecodeBlocks, EqualsTheBlockDecoderOnOverAMillionBlocks) {
    const Source sources[] = {
        {"random", random_blocks, 1000},       // a million blocks
        {"encoder-made", encoded_blocks, 400}, // 0.4 million
    };
    for (const Source& source : sources) {
        for (uint32_t chunk = 0; chunk < source.chunks; ++chunk) {
            const Bytes blocks     = source.make(CHUNK_BLOCKS, chunk);
            const Samples expected = reference(blocks);
            const Samples lanes    = vector(blocks);
            if (!lanes.empty()) {
                ASSERT_EQ(first_difference(lanes, expected), -1)
                    << source.name << " chunk " << chunk;
            }
        }
    }
}

// Runs that do not fill the lanes leave remainders: 32 blocks at a time go to the 512-bit
// path where there is one, 8 at a time to the 256-bit path, the rest to decode_block.
TEST(DecodeBlocks, AnyCountOfBlocks) {
    const Bytes all = random_blocks(80, 5);
    for (size_t count = 0; count <= 80; ++count) {
        const Bytes blocks(all.begin(), all.begin() + long(count * BLOCK_BYTES));
        const Samples expected = reference(blocks);
        Samples out(expected.size() + 1, 12345);
        decode_blocks(blocks.data(), count, out.data());
        EXPECT_EQ(out.back(), 12345) << count << " blocks: written past the end";
        out.pop_back();
        EXPECT_EQ(out, expected) << count << " blocks";
    }
}

TEST(DecodeBlocks, EdgeBlocks) {
    Bytes blocks; // four times over, so that the widest path takes them too
    for (int copy = 0; copy < 4; ++copy)
        for (const uint8_t fill : {0x00, 0xFF, 0x80, 0x7F, 0x55, 0xAA, 0x3E, 0xC1})
            blocks.insert(blocks.end(), BLOCK_BYTES, fill);
    const Samples expected = reference(blocks);
    const Samples lanes    = vector(blocks);
#if defined(__x86_64__) || defined(__i386__)
    // Every build for these processors has the lanes, the Windows builds included.
    if (__builtin_cpu_supports("avx2")) {
        ASSERT_FALSE(lanes.empty()) << "no vector path";
    }
#endif
    if (!lanes.empty()) {
        EXPECT_EQ(lanes, expected);
    }
}

} // namespace
