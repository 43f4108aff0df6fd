#include "test_banks.h"

#include "block_format.h"
#include "codec_state.h"
#include "decoder.h"
#include "slot_writer.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

std::string fresh_folder(const std::string& name) {
    // Named after the running test: ctest runs tests side by side in separate processes.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path folder =
        fs::temp_directory_path() /
        ("unbank-" + std::string(test->test_suite_name()) + "." + test->name() + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::string join(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

std::vector<int16_t> test_signal(size_t length, uint32_t seed) {
    std::vector<int16_t> out(length);
    const int32_t period = 40 + int32_t(seed % 200);
    for (size_t i = 0; i < length; ++i) {
        seed                   = seed * 1664525u + 1013904223u;
        const int32_t phase    = int32_t(i % uint32_t(period));
        const int32_t triangle = (phase < period / 2 ? phase : period - phase) * 40000 / period;
        out[i]                 = int16_t(triangle - 10000 + int32_t(seed >> 24) * 8 - 1024);
    }
    return out;
}

BankSlot mono_slot(int number, size_t frames) {
    return BankSlot{false, number, test_signal(frames, uint32_t(number) + 1), {}};
}

BankSlot stereo_slot(int number, size_t frames) {
    return BankSlot{true, number, test_signal(frames, uint32_t(number) + 500),
                    test_signal(frames, uint32_t(number) + 900)};
}

std::string write_bank(const std::string& folder, const std::string& name,
                       const std::vector<BankSlot>& slots) {
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(build_bank(slots, image, error)) << error;
    const std::string path = join(folder, name);
    write_bytes(path, image);
    return path;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool exists(const std::string& path) {
    return fs::exists(path);
}

std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool is_small_disk(const std::string& folder) {
    std::error_code error;
    // A name inside it: on Windows the library asks about the folder that holds the last name.
    return fs::space(join(folder, "."), error).capacity == 2 << 20;
}

namespace {

std::vector<int16_t> decode_channel(const std::vector<int16_t>& samples) {
    const std::vector<uint8_t> blocks = encode_channel(samples);
    std::vector<int16_t> out;
    CodecState state;
    for (size_t at = 0; at < blocks.size(); at += BLOCK_BYTES) {
        int16_t decoded[BLOCK_SAMPLES];
        decode_block(&blocks[at], decoded, state);
        out.insert(out.end(), decoded, decoded + BLOCK_SAMPLES);
    }
    out.resize(samples.size());
    return out;
}

void append_le16(std::vector<uint8_t>& out, int16_t sample) {
    out.push_back(uint8_t(uint16_t(sample)));
    out.push_back(uint8_t(uint16_t(sample) >> 8));
}

} // namespace

std::vector<uint8_t> expected_wav(const BankSlot& slot) {
    const int channels = slot.stereo ? 2 : 1;
    std::vector<uint8_t> out(WAV_HEADER_BYTES);
    make_wav_header(int32_t(slot.left.size()) * channels, channels, out.data());
    const std::vector<int16_t> left  = decode_channel(slot.left);
    const std::vector<int16_t> right = slot.stereo ? decode_channel(slot.right) : left;
    for (size_t i = 0; i < left.size(); ++i) {
        append_le16(out, left[i]);
        if (slot.stereo) append_le16(out, right[i]);
    }
    return out;
}
