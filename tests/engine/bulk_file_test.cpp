#include "bulk_file.h"

#include "job_status.h"
#include "test_banks.h"
#include <cstring>
#include <gtest/gtest.h>

namespace {

size_t mono_record(int slot) {
    return MONO_DIRECTORY_OFFSET + size_t(slot) * MONO_RECORD_BYTES;
}
size_t stereo_record(int slot) {
    return STEREO_DIRECTORY_OFFSET + size_t(slot) * STEREO_RECORD_BYTES;
}

// Writes the bytes given as hex ("10 00 00") at offset.
void put(std::vector<uint8_t>& image, size_t at, const char* hex) {
    for (char* end = nullptr; *hex; hex = end)
        image[at++] = uint8_t(std::strtoul(hex, &end, 16));
}

// Two headers and a directory whose every record is empty.
std::vector<uint8_t> empty_bank() {
    std::vector<uint8_t> image(stereo_record(STEREO_SLOTS));
    put(image, 0, "51 55 4D 41 00 00 57");
    put(image, SECOND_HEADER_OFFSET, "51 55 4D 41 00 00 57");
    for (int j = 0; j < MONO_SLOTS; ++j)
        image[mono_record(j) + SLOT_STATUS_AT] = EMPTY_SLOT;
    for (int j = 0; j < STEREO_SLOTS; ++j)
        image[stereo_record(j) + SLOT_STATUS_AT] = EMPTY_SLOT;
    return image;
}

struct Loaded {
    int32_t status;
    int count;
    SlotInfo table[MAX_SLOTS];
};

Loaded load(const std::vector<uint8_t>& image) {
    const std::string path = join(fresh_folder(), "bank.zp4");
    write_bytes(path, image);
    Loaded loaded{};
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    EXPECT_NE(stream, nullptr);
    loaded.status = load_bulk_file(stream, loaded.table, loaded.count);
    std::fclose(stream);
    return loaded;
}

TEST(LoadBulkFile, BothHeadersAreTestedExactly) {
    std::vector<uint8_t> valid             = empty_bank();
    valid[mono_record(0) + SLOT_STATUS_AT] = 0;
    std::vector<uint8_t> lower_w           = valid;
    lower_w[6]                             = 'w';
    std::vector<uint8_t> bad_second        = valid;
    bad_second[SECOND_HEADER_OFFSET + 2]   = 'X';
    const std::vector<uint8_t> tiny(10, 'Q');
    const std::vector<uint8_t> cut_in_second(valid.begin(),
                                             valid.begin() + SECOND_HEADER_OFFSET + 19);
    struct Case {
        const std::vector<uint8_t>& image;
        int32_t status;
    } cases[] = {{valid, JOB_DONE},    {lower_w, JOB_NOT_BULK},       {bad_second, JOB_NOT_BULK},
                 {tiny, JOB_NOT_BULK}, {cut_in_second, JOB_NOT_BULK}, {empty_bank(), JOB_EMPTY}};
    for (const Case& c : cases)
        EXPECT_EQ(load(c.image).status, c.status) << c.image.size();
}

// The worked examples of the directory, with junk in every byte a record's kind ignores.
TEST(ReadSlotTable, MonoAndStereoRecordsTakeTheirOwnFields) {
    std::vector<uint8_t> image = empty_bank();
    put(image, mono_record(0), "10 00 00 10 0F FF 10 00 00 10 0F FF");
    image[mono_record(0) + SLOT_STATUS_AT] = 0x42;
    put(image, mono_record(0) + 22, "AB CD EF 77");
    put(image, stereo_record(7), "0F FF FF 10 07 FF 10 00 00");
    image[stereo_record(7) + SLOT_STATUS_AT] = 0;
    put(image, stereo_record(7) + 22, "10 00 00 11 00 00");
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 2);
    const SlotInfo& mono = loaded.table[0];
    EXPECT_EQ(mono.id, 0u);
    EXPECT_EQ(mono.status, 0x42);
    EXPECT_EQ(mono.total_samples, 4096);
    EXPECT_EQ(mono.data_offset, 0xA0000);
    const SlotInfo& stereo = loaded.table[1];
    EXPECT_EQ(stereo.id, 107u);
    EXPECT_EQ(stereo.total_samples, 4096);
    EXPECT_EQ(stereo.data_offset, 0xA0000);
    EXPECT_EQ(stereo.right_distance, 65536);
}

TEST(ReadSlotTable, KeepsNegativeValuesAsComputed) {
    std::vector<uint8_t> image = empty_bank();
    put(image, mono_record(1), "00 01 00 00 00 FF 00 00 10");
    image[mono_record(1) + SLOT_STATUS_AT] = 0;
    const Loaded loaded                    = load(image);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table[0].total_samples, 0);
    EXPECT_EQ(loaded.table[0].data_offset, 0x10 - MEMORY_BASE);
}

TEST(ReadSlotTable, UsedMonoSlotsComeBeforeUsedStereoSlots) {
    std::vector<uint8_t> image = empty_bank();
    for (int slot : {99, 0, 50})
        image[mono_record(slot) + SLOT_STATUS_AT] = 0;
    for (int slot : {0, 49})
        image[stereo_record(slot) + SLOT_STATUS_AT] = 0;
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 5);
    const uint32_t ids[] = {0, 50, 99, 100, 149};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded.table[i].id, ids[i]);
}

// A directory cut short counts only the records read whole; the cut record is never pieced
// together from the bytes of the record before it.
TEST(ReadSlotTable, DirectoryCutShortCountsWholeRecordsOnly) {
    std::vector<uint8_t> image             = empty_bank();
    image[mono_record(2) + SLOT_STATUS_AT] = 0;
    image[mono_record(3) + SLOT_STATUS_AT] = 0;
    const struct {
        size_t length;
        int count;
    } cases[] = {
        {mono_record(0), 0}, {mono_record(3) + 21, 1},   {mono_record(3) + 25, 1},
        {mono_record(4), 2}, {stereo_record(0) + 27, 2},
    };
    for (const auto& c : cases) {
        const Loaded loaded =
            load(std::vector<uint8_t>(image.begin(), image.begin() + long(c.length)));
        EXPECT_EQ(loaded.count, c.count) << "file of " << c.length << " bytes";
    }
}

} // namespace
