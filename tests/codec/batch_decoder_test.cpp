#include "batch_decoder.h"

#include "decoder.h"
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Samples = std::vector<int16_t>;

std::vector<uint8_t> random_blocks(size_t count, uint32_t seed) {
    std::vector<uint8_t> blocks(count * BLOCK_BYTES);
    std::mt19937 random(seed);
    for (uint8_t& byte : blocks)
        byte = uint8_t(random());
    return blocks;
}

Samples one_at_a_time(const std::vector<uint8_t>& blocks) {
    Samples out(blocks.size());
    CodecState state;
    for (size_t b = 0; b < blocks.size(); b += BLOCK_BYTES)
        decode_block(&blocks[b], &out[b], state);
    return out;
}

// The vector lanes mirror decode_block lane by lane: runs of 1024 blocks fill the widest lanes,
// runs of 24 and 20 leave the 8-lane and the 4-lane ones an odd group after their pairs. Blocks
// that fill no whole group are the block decoder's.
TEST(DecodeBlocksVector, EqualsTheBlockDecoder) {
    Samples out(1024 * BLOCK_SAMPLES);
    const bool lanes = decode_blocks_vector(random_blocks(8, 0).data(), 8, out.data()) > 0;
#if defined(__x86_64__) || defined(__i386__)
    // Every build for these processors has the lanes, the Windows builds included.
    ASSERT_EQ(lanes, __builtin_cpu_supports("avx2") != 0);
    if (lanes && !(__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")))
        std::printf("no 16 lanes on this processor: the 8-lane part alone is compared\n");
#elif defined(__aarch64__)
    ASSERT_TRUE(lanes) << "every 64-bit ARM processor has NEON";
#endif
    if (!lanes) GTEST_SKIP() << "no vector lanes on this processor";
    constexpr size_t RUN_BLOCKS[] = {1024, 24, 20};
    for (uint32_t run = 0; run < 400; ++run) {
        const size_t count                = RUN_BLOCKS[run % 3];
        const std::vector<uint8_t> blocks = random_blocks(count, run);
        const size_t done                 = decode_blocks_vector(blocks.data(), count, out.data());
        ASSERT_GT(done + 8, count);
        Samples expected = one_at_a_time(blocks);
        expected.resize(done * BLOCK_SAMPLES);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << "run " << run;
    }
}

} // namespace
