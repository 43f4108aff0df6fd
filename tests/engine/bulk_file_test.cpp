#include "bulk_file.h"

#include "job_status.h"
#include "test_banks.h"
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr size_t MONO_DIRECTORY   = 0x80000 + 20;
constexpr size_t STEREO_DIRECTORY = MONO_DIRECTORY + 100 * 26;
constexpr size_t DIRECTORY_END    = STEREO_DIRECTORY + 50 * 28;

void put_header(std::vector<uint8_t>& image, size_t at)
{
    std::memcpy(&image[at], "QUMA", 4);
    image[at + 6] = 'W';
}

void put_be24(std::vector<uint8_t>& image, size_t at, uint32_t value)
{
    image[at]     = uint8_t(value >> 16);
    image[at + 1] = uint8_t(value >> 8);
    image[at + 2] = uint8_t(value);
}

// Two headers and a directory whose every record is empty.
std::vector<uint8_t> empty_bank()
{
    std::vector<uint8_t> image(DIRECTORY_END);
    put_header(image, 0);
    put_header(image, 0x80000);
    for (int j = 0; j < 100; ++j) image[MONO_DIRECTORY + j * 26 + 21] = 0xFF;
    for (int j = 0; j < 50; ++j) image[STEREO_DIRECTORY + j * 28 + 21] = 0xFF;
    return image;
}

size_t mono_record(int slot) { return MONO_DIRECTORY + size_t(slot) * 26; }
size_t stereo_record(int slot) { return STEREO_DIRECTORY + size_t(slot) * 28; }

struct Loaded {
    int32_t status;
    int count;
    SlotInfo table[MAX_SLOTS];
};

Loaded load(const std::vector<uint8_t>& image)
{
    const std::string path = join(fresh_folder(), "bank.zp4");
    write_bytes(path, image);
    Loaded loaded{};
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    EXPECT_NE(stream, nullptr);
    loaded.status = load_bulk_file(stream, loaded.table, loaded.count);
    std::fclose(stream);
    return loaded;
}

TEST(IsBulkHeader, TestsTheMagicAndByteSixExactly)
{
    struct Case {
        const char* bytes;
        bool accepted;
    } cases[] = {
        {"QUMA\0\0W", true},  {"QUMAxyW", true},   {"QUMA\0\0w", false},
        {"QUMA\0\0X", false}, {"QUMB\0\0W", false}, {"quma\0\0W", false},
    };
    for (const Case& c : cases) {
        uint8_t header[HEADER_BYTES] = {};
        std::memcpy(header, c.bytes, 7);
        EXPECT_EQ(is_bulk_header(header), c.accepted) << c.bytes;
    }
}

TEST(LoadBulkFile, RejectsFilesFailingEitherHeader)
{
    std::vector<uint8_t> valid = empty_bank();
    put_be24(valid, mono_record(0), 0x100000);
    valid[mono_record(0) + 21] = 0;

    std::vector<uint8_t> bad_second = valid;
    bad_second[0x80000 + 6]         = 'V';
    std::vector<uint8_t> bad_first  = valid;
    bad_first[2]                    = 'X';
    const std::vector<uint8_t> tiny(10, 'Q');
    const std::vector<uint8_t> cut_in_second(valid.begin(), valid.begin() + 0x80000 + 19);

    for (const auto& image : {bad_second, bad_first, tiny, cut_in_second})
        EXPECT_EQ(load(image).status, JOB_NOT_BULK);
    EXPECT_EQ(load(valid).status, JOB_DONE);
}

TEST(LoadBulkFile, ReportsNoContentsWhenEverySlotIsEmpty)
{
    const Loaded loaded = load(empty_bank());
    EXPECT_EQ(loaded.status, JOB_EMPTY);
    EXPECT_EQ(loaded.count, 0);
}

TEST(ReadSlotTable, MonoRecordExample)
{
    std::vector<uint8_t> image = empty_bank();
    const size_t at            = mono_record(0);
    const uint8_t record[12]   = {0x10, 0, 0, 0x10, 0x0F, 0xFF, 0x10, 0, 0, 0x10, 0x0F, 0xFF};
    std::memcpy(&image[at], record, sizeof record);
    image[at + 21] = 0x00;
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table[0].id, 0u);
    EXPECT_EQ(loaded.table[0].total_samples, 4096);
    EXPECT_EQ(loaded.table[0].data_offset, 0xA0000);
}

TEST(ReadSlotTable, StereoRecordExampleTakesStartFromOffset22)
{
    std::vector<uint8_t> image = empty_bank();
    const size_t at            = stereo_record(7);
    put_be24(image, at + 0, 0x0FFFFF); // not examined for stereo
    put_be24(image, at + 3, 0x1007FF);
    put_be24(image, at + 6, 0x100000);
    image[at + 21] = 0x00;
    put_be24(image, at + 22, 0x100000);
    put_be24(image, at + 25, 0x110000);
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table[0].id, 107u);
    EXPECT_EQ(loaded.table[0].status, 0);
    EXPECT_EQ(loaded.table[0].total_samples, 4096);
    EXPECT_EQ(loaded.table[0].data_offset, 0xA0000);
    EXPECT_EQ(loaded.table[0].right_distance, 65536);
}

TEST(ReadSlotTable, MonoRecordIgnoresItsTail)
{
    std::vector<uint8_t> image = empty_bank();
    const size_t at            = mono_record(4);
    put_be24(image, at + 0, 0x100000);
    put_be24(image, at + 3, 0x10001F);
    put_be24(image, at + 6, 0x100000);
    image[at + 21] = 0x42;
    put_be24(image, at + 22, 0xABCDEF);
    image[at + 25] = 0x77;
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table[0].status, 0x42);
    EXPECT_EQ(loaded.table[0].total_samples, 32);
    EXPECT_EQ(loaded.table[0].right_distance, 0);
}

TEST(ReadSlotTable, UsedMonoSlotsComeBeforeUsedStereoSlots)
{
    std::vector<uint8_t> image = empty_bank();
    for (int slot : {99, 0, 50}) image[mono_record(slot) + 21] = 0;
    for (int slot : {0, 49}) image[stereo_record(slot) + 21] = 0;
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 5);
    const uint32_t ids[] = {0, 50, 99, 100, 149};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(loaded.table[i].id, ids[i]);
}

TEST(ReadSlotTable, KeepsNegativeValuesAsComputed)
{
    std::vector<uint8_t> image = empty_bank();
    const size_t at            = mono_record(1);
    put_be24(image, at + 0, 0x000100);
    put_be24(image, at + 3, 0x0000FF);
    put_be24(image, at + 6, 0x000010);
    image[at + 21]      = 0;
    const Loaded loaded = load(image);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table[0].total_samples, 0);
    EXPECT_EQ(loaded.table[0].data_offset, 0x10 - 0x60000);
}

// A directory cut short counts only the records read whole; the cut record is never pieced
// together from the bytes of the record before it.
TEST(ReadSlotTable, DirectoryCutShortCountsWholeRecordsOnly)
{
    std::vector<uint8_t> image = empty_bank();
    image[mono_record(2) + 21] = 0;
    image[mono_record(3) + 21] = 0;
    struct Case {
        size_t length;
        int count;
    } cases[] = {
        {mono_record(0), 0},          // ends right behind the second header
        {mono_record(3) + 21, 1},     // inside record 3, before its status byte
        {mono_record(3) + 25, 1},     // inside record 3, its status byte read
        {mono_record(4), 2},          // record 3 whole
        {stereo_record(0) + 27, 2},   // inside the first stereo record
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> cut(image.begin(), image.begin() + long(c.length));
        const Loaded loaded = load(cut);
        EXPECT_EQ(loaded.count, c.count) << "file of " << c.length << " bytes";
        EXPECT_EQ(loaded.status, c.count ? JOB_DONE : JOB_EMPTY);
    }
}

} // namespace
