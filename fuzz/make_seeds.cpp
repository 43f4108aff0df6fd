// Writes the seed corpora of the fuzz targets into the folder given: encoded blocks, sample
// sets and small banks made with the block encoder and the bank builder.
#include "bank_builder.h"
#include "block_format.h"
#include "bulk_file.h"
#include "codec_state.h"
#include "encoder.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// A triangle of the given period and height with noise of the given strength on it.
std::vector<int16_t> signal(size_t length, int32_t period, int32_t height, int32_t noise,
                            uint32_t seed) {
    std::vector<int16_t> out(length);
    for (size_t i = 0; i < length; ++i) {
        seed                = seed * 1664525u + 1013904223u;
        const int32_t phase = int32_t(i % uint32_t(period));
        const int32_t ramp  = (phase < period / 2 ? phase : period - phase) * 4 * height / period;
        const int32_t value = ramp - height + (int32_t(seed >> 16) % (noise + 1));
        out[i]              = int16_t(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
    }
    return out;
}

// Quiet, busy, full-scale and noisy stretches of 32 samples: every table and window width.
std::vector<std::vector<int16_t>> sample_sets() {
    return {signal(32, 32, 0, 0, 1),      signal(32, 64, 200, 10, 2),
            signal(32, 16, 3000, 100, 3), signal(32, 8, 20000, 2000, 4),
            signal(32, 2, 32767, 0, 5),   signal(32, 40, 100, 30000, 6),
            signal(32, 1000, 30000, 0, 7)};
}

Bytes encode(const std::vector<int16_t>& samples) {
    Bytes block(BLOCK_BYTES);
    CodecState state;
    encode_block(samples.data(), block.data(), state);
    return block;
}

Bytes little_endian(const std::vector<int16_t>& samples) {
    Bytes out;
    for (int16_t sample : samples) {
        out.push_back(uint8_t(uint16_t(sample)));
        out.push_back(uint8_t(uint16_t(sample) >> 8));
    }
    return out;
}

bool save(const fs::path& file, const Bytes& bytes) {
    std::string error;
    if (write_file(file.string(), bytes, error)) return true;
    std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
    return false;
}

// The job target's form of a bank: the first header, then everything from the second on.
Bytes without_zero_stretch(const Bytes& image) {
    Bytes out(image.begin(), image.begin() + HEADER_BYTES);
    out.insert(out.end(), image.begin() + SECOND_HEADER_OFFSET, image.end());
    return out;
}

std::vector<std::vector<BankSlot>> banks() {
    return {
        {BankSlot{false, 0, signal(100, 50, 8000, 50, 11), {}}},
        {BankSlot{true, 3, signal(70, 30, 5000, 0, 12), signal(70, 20, 9000, 300, 13)}},
        {BankSlot{false, 7, signal(33, 10, 1000, 10, 14), {}}, BankSlot{false, 99, {}, {}},
         BankSlot{true, 49, signal(40, 64, 20000, 0, 15), signal(40, 64, 100, 0, 16)}},
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 64;
    }
    const fs::path root = argv[1];
    for (const char* target : {"block_format", "decoder", "encoder", "job"})
        fs::create_directories(root / target);

    const std::vector<std::vector<int16_t>> sets = sample_sets();
    bool saved                                   = true;
    for (size_t i = 0; i < sets.size(); ++i) {
        const std::string name = "seed" + std::to_string(i);
        const Bytes block      = encode(sets[i]);
        Bytes with_fields      = block;
        with_fields.insert(with_fields.end(), block.begin(), block.begin() + 5);
        Bytes pair = block;
        pair.insert(pair.end(), block.rbegin(), block.rend());
        saved = save(root / "block_format" / name, with_fields) &&
                save(root / "decoder" / name, pair) &&
                save(root / "encoder" / name, little_endian(sets[i])) && saved;
    }
    const std::vector<std::vector<BankSlot>> bank_list = banks();
    for (size_t i = 0; i < bank_list.size(); ++i) {
        Bytes image;
        std::string error;
        if (!build_bank(bank_list[i], image, error)) {
            std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
            return 1;
        }
        saved =
            save(root / "job" / ("bank" + std::to_string(i)), without_zero_stretch(image)) && saved;
    }
    return saved ? 0 : 1;
}
