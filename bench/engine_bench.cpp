// Slot writer throughput: a whole slot from the bulk file to a WAV file on disk.
#include "bank_builder.h"
#include "bulk_file.h"
#include "slot_writer.h"
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>

namespace {

constexpr size_t FRAMES = 1 << 20;

struct OpenBank {
    std::string bank_path, out_path;
    std::FILE* stream = nullptr;
    SlotInfo table[MAX_SLOTS];
    int count = 0;

    explicit OpenBank(bool stereo) {
        const auto folder = std::filesystem::temp_directory_path();
        bank_path         = (folder / "unbank-bench.zp4").string();
        out_path          = (folder / "unbank-bench.wav").string();
        std::vector<int16_t> ramp(FRAMES);
        for (size_t i = 0; i < FRAMES; ++i)
            ramp[i] = int16_t(i * 37);
        const BankSlot slot{stereo, 0, ramp, stereo ? ramp : std::vector<int16_t>{}};
        std::vector<uint8_t> image;
        std::string error;
        if (!build_bank({slot}, image, error) || !write_file(bank_path, image, error)) return;
        stream = std::fopen(bank_path.c_str(), "rb");
        if (stream) load_bulk_file(stream, table, count);
    }
    ~OpenBank() {
        if (stream) std::fclose(stream);
        std::remove(bank_path.c_str());
        std::remove(out_path.c_str());
    }
};

void write_whole_slot(benchmark::State& bench, bool stereo) {
    OpenBank bank(stereo);
    if (bank.count != 1) {
        bench.SkipWithError("could not build the bank");
        return;
    }
    const std::atomic<int32_t> reply{REPLY_WRITE};
    for (auto _ : bench)
        if (write_slot(bank.stream, bank.table[0], bank.out_path.c_str(), reply) != 0)
            bench.SkipWithError("write_slot failed");
    const int64_t channels = stereo ? 2 : 1;
    bench.SetItemsProcessed(bench.iterations() * int64_t(FRAMES) * channels);
    bench.SetBytesProcessed(bench.iterations() * int64_t(FRAMES) * channels * 2);
}

void BM_write_mono_slot(benchmark::State& bench) {
    write_whole_slot(bench, false);
}
void BM_write_stereo_slot(benchmark::State& bench) {
    write_whole_slot(bench, true);
}

BENCHMARK(BM_write_mono_slot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_write_stereo_slot)->Unit(benchmark::kMillisecond);

} // namespace
