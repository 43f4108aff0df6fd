#include "bulk_file.h"

#include "test_banks.h"
#include <gtest/gtest.h>
#include <tuple>

namespace {

struct Loaded {
    JobStatus status;
    int count;
    SlotInfo table[MAX_SLOTS];
};

Loaded load(const Bytes& image) {
    const std::string path = join(fresh_folder(), "bank.zp4");
    write_bytes(path, image);
    Loaded loaded{};
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    loaded.status     = load_bulk_file(stream, loaded.table, loaded.count);
    std::fclose(stream);
    return loaded;
}

// An empty bank with mono slot 0 used, changed at one byte and cut to a length. A record the
// file's end cuts short is not taken, whatever its bytes and the record's before it would say.
TEST(LoadBulkFile, BothHeadersAreTestedExactlyAndOnlyWholeRecordsRead) {
    // clang-format off
    const std::tuple<size_t, uint8_t, size_t, JobStatus, int> cases[] = { // at, byte, length, status, count
        {0, 'Q', 0x80FB4, JOB_DONE, 1},               {6, 'w', 0x80FB4, JOB_NOT_BULK, 0},
        {0x80002, 'X', 0x80FB4, JOB_NOT_BULK, 0},     {0, 'Q', 10, JOB_NOT_BULK, 0},
        {0, 'Q', 0x80013, JOB_NOT_BULK, 0},           {mono_record(0) + 21, 0xFF, 0x80FB4, JOB_EMPTY, 0},
        {0, 'Q', mono_record(1) + 10, JOB_DONE, 1},   {stereo_record(0) + 21, 0, stereo_record(1) + 10, JOB_DONE, 2},
    };
    // clang-format on
    for (const auto& [at, byte, length, status, count] : cases) {
        Bytes image                = empty_bank();
        image[mono_record(0) + 21] = 0;
        image[at]                  = byte;
        image.resize(length);
        const Loaded loaded = load(image);
        EXPECT_EQ(loaded.status, status) << at << " " << length;
        EXPECT_EQ(loaded.count, count) << at << " " << length;
    }
}

// Worked records with junk in every byte their kind ignores, and sample addresses unlike the
// data addresses; used mono slots come before used stereo ones, and an end below the start gives
// a negative count.
TEST(ReadSlotTable, MonoAndStereoRecordsTakeTheirOwnFields) {
    Bytes image = empty_bank();
    put_hex(image, mono_record(99), "10 00 00 10 0F FF 10 00 00 10 0F FF");
    put_hex(image, mono_record(99) + 21, "42 AB CD EF 77");
    put_hex(image, mono_record(1), "00 01 00 00 00 FF 00 00 10");
    image[mono_record(1) + 21] = 0;
    put_hex(image, stereo_record(7), "0F FF FF 10 07 FF 10 40 00");
    put_hex(image, stereo_record(7) + 21, "00 10 00 00 11 40 00");
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 3);
    const std::tuple<uint32_t, int32_t, int32_t, int32_t, int32_t> expected[] = {
        {1, 0, 0x10 - 0x60000, 0, 0},
        {99, 0x42, 0xA0000, 0, 4096},
        {107, 0, 0xA4000, 65536, 4096},
    };
    for (int i = 0; i < 3; ++i) {
        const SlotInfo& s = loaded.table[i];
        EXPECT_EQ(std::tie(s.id, s.status, s.data_offset, s.right_distance, s.total_samples),
                  expected[i]);
    }
}

} // namespace
