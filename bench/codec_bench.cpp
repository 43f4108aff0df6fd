// Block decoder and encoder throughput, in samples per second of one channel: the block
// decoder, and the vector lanes of decode_blocks.
#include "batch_decoder.h"
#include "decoder.h"
#include "encoder.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int BLOCKS = 4096;

// A decaying tone with noise: a mix of smooth and busy blocks, as real recordings give.
std::vector<int16_t> test_signal() {
    std::vector<int16_t> samples(BLOCKS * BLOCK_SAMPLES);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 300.0);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double decay = std::exp(-double(i % 32768) / 8000.0);
        const double tone  = 20000.0 * decay * std::sin(2 * pi * 440.0 * i / 32000.0);
        samples[i]         = static_cast<int16_t>(std::lround(tone + noise(random)));
    }
    return samples;
}

std::vector<uint8_t> encoded(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> blocks(BLOCKS * BLOCK_BYTES);
    CodecState state;
    for (int b = 0; b < BLOCKS; ++b)
        encode_block(&samples[b * BLOCK_SAMPLES], &blocks[b * BLOCK_BYTES], state);
    return blocks;
}

std::vector<uint8_t> random_blocks() {
    std::vector<uint8_t> blocks(BLOCKS * BLOCK_BYTES);
    std::mt19937 random(2);
    for (uint8_t& byte : blocks)
        byte = static_cast<uint8_t>(random());
    return blocks;
}

// Encoder-made blocks (argument 0) or random bytes (1), which take every path of the decoder.
std::vector<uint8_t> blocks_for(const benchmark::State& bench) {
    return bench.range(0) == 0 ? encoded(test_signal()) : random_blocks();
}

// Decodes all the blocks with decode(blocks, out) on every iteration.
template <class Decode> void measure_decoder(benchmark::State& bench, Decode decode) {
    const std::vector<uint8_t> blocks = blocks_for(bench);
    std::vector<int16_t> out(BLOCKS * BLOCK_SAMPLES);
    for (auto _ : bench) {
        decode(blocks.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(bench.iterations() * BLOCKS * BLOCK_SAMPLES);
}

void BM_decode_block(benchmark::State& bench) {
    CodecState state;
    measure_decoder(bench, [&](const uint8_t* blocks, int16_t* out) {
        for (int b = 0; b < BLOCKS; ++b)
            decode_block(blocks + b * BLOCK_BYTES, out + b * BLOCK_SAMPLES, state);
    });
}
BENCHMARK(BM_decode_block)->ArgName("random")->Arg(0)->Arg(1);

void BM_decode_blocks_vector(benchmark::State& bench) {
    uint8_t group[32 * BLOCK_BYTES] = {};
    int16_t samples[32 * BLOCK_SAMPLES];
    if (decode_blocks_vector(group, 32, samples) == 0) {
        bench.SkipWithError("no vector path on this build or processor");
        return;
    }
    measure_decoder(bench, [](const uint8_t* blocks, int16_t* out) {
        decode_blocks_vector(blocks, BLOCKS, out);
    });
}
BENCHMARK(BM_decode_blocks_vector)->ArgName("random")->Arg(0)->Arg(1);

void BM_encode_block(benchmark::State& bench) {
    const std::vector<int16_t> samples = test_signal();
    std::vector<uint8_t> blocks(BLOCKS * BLOCK_BYTES);
    CodecState state;
    for (auto _ : bench) {
        for (int b = 0; b < BLOCKS; ++b)
            encode_block(&samples[b * BLOCK_SAMPLES], &blocks[b * BLOCK_BYTES], state);
        benchmark::DoNotOptimize(blocks.data());
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(bench.iterations() * BLOCKS * BLOCK_SAMPLES);
}
BENCHMARK(BM_encode_block);

} // namespace
