#include "slot_writer.h"

#include "bulk_file.h"
#include "job_status.h"
#include "test_banks.h"
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace {

uint32_t le32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// A bank on disk, open, with its slot table read.
class WriterTest : public ::testing::Test {
  protected:
    void open_bank(const std::vector<uint8_t>& image) {
        close_bank(); // an open file cannot be removed on Windows
        folder                 = fresh_folder();
        const std::string path = join(folder, "bank.zp4");
        write_bytes(path, image);
        bulk = std::fopen(path.c_str(), "rb");
        ASSERT_NE(bulk, nullptr);
        ASSERT_EQ(load_bulk_file(bulk, table, count), JOB_DONE);
    }

    void open_bank(const std::vector<BankSlot>& slots) {
        std::vector<uint8_t> image;
        std::string error;
        ASSERT_TRUE(build_bank(slots, image, error)) << error;
        open_bank(image);
    }

    int32_t write(const SlotInfo& slot) {
        bool opened = false;
        return write_slot(bulk, slot, out().c_str(), reply, opened);
    }
    std::string out() const { return join(folder, "out.wav"); }

    void close_bank() {
        if (bulk) std::fclose(bulk);
        bulk = nullptr;
    }

    void TearDown() override { close_bank(); }

    std::atomic<int32_t> reply{REPLY_WRITE};
    std::string folder;
    std::FILE* bulk = nullptr;
    SlotInfo table[MAX_SLOTS];
    int count = 0;
};

TEST(WavHeader, MonoThirtyThreeSamplesByteForByte) {
    const uint8_t expected[WAV_HEADER_BYTES] = {
        'R', 'I', 'F', 'F', 102, 0, 0,   0,   'W', 'A', 'V',  'E', 'f', 'm', 't',
        ' ', 16,  0,   0,   0,   1, 0,   1,   0,   0,   0x7D, 0,   0,   0,   0xFA,
        0,   0,   2,   0,   16,  0, 'd', 'a', 't', 'a', 66,   0,   0,   0,
    };
    uint8_t header[WAV_HEADER_BYTES];
    make_wav_header(33, 1, header);
    EXPECT_EQ(0, std::memcmp(header, expected, sizeof expected));
}

TEST_F(WriterTest, WritesMonoAndStereoSlotsExactly) {
    const std::vector<BankSlot> slots = {mono_slot(0, 33), mono_slot(1, 3000), stereo_slot(0, 40),
                                         stereo_slot(1, 4097)};
    open_bank(slots);
    ASSERT_EQ(count, 4);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(write(table[i]), JOB_DONE);
        EXPECT_EQ(read_bytes(out()), expected_wav(slots[i])) << "slot " << i;
    }
}

// The writer reads, decodes and writes 256 blocks (8192 frames) at a time: slots that end
// on either side of those runs, mono and stereo.
TEST_F(WriterTest, SlotsAroundRunBoundaries) {
    const size_t lengths[] = {8191, 8192, 8193, 3 * 8192 + 5};
    std::vector<BankSlot> slots; // in table order: the mono slots, then the stereo ones
    for (const bool stereo : {false, true})
        for (int n = 0; n < 4; ++n)
            slots.push_back(stereo ? stereo_slot(n, lengths[n]) : mono_slot(n, lengths[n]));
    open_bank(slots);
    ASSERT_EQ(count, 8);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(write(table[i]), JOB_DONE) << "entry " << i;
        EXPECT_EQ(read_bytes(out()), expected_wav(slots[size_t(i)])) << "entry " << i;
    }
}

// A file that ends inside a later run, in the mono blocks or in the right channel's: every
// block read whole (with its right block) is written, then the read error.
TEST_F(WriterTest, FileEndingInsideALaterRunKeepsTheWholeBlocksBeforeIt) {
    const BankSlot mono = mono_slot(0, 20000), stereo = stereo_slot(0, 20000);
    struct Case {
        const BankSlot& slot;
        size_t cut_after_blocks; // of the slot's last channel
        size_t frame_bytes;
    };
    const Case cases[] = {{mono, 300, 2}, {stereo, 450, 4}};
    for (const Case& c : cases) {
        open_bank(std::vector<BankSlot>{c.slot});
        const SlotInfo slot        = table[0];
        std::vector<uint8_t> image = read_bytes(join(folder, "bank.zp4"));
        const size_t last_channel  = size_t(slot.data_offset + slot.right_distance);
        image.resize(last_channel + c.cut_after_blocks * 32 + 5); // and a piece of the next block
        open_bank(image);
        EXPECT_EQ(write(slot), JOB_READ_ERROR);
        const std::vector<uint8_t> whole = expected_wav(c.slot);
        const size_t length = WAV_HEADER_BYTES + c.cut_after_blocks * 32 * c.frame_bytes;
        EXPECT_EQ(read_bytes(out()),
                  std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)));
    }
}

TEST_F(WriterTest, TakesEachRightBlockAtItsLeftBlockPlusTheDistance) {
    // Right blocks placed before the left ones: a negative distance, and a stream position
    // that must be restored after every right block.
    const BankSlot slot = stereo_slot(3, 100);
    open_bank(std::vector<BankSlot>{slot});
    std::vector<uint8_t> image = read_bytes(join(folder, "bank.zp4"));
    const size_t blocks = 4 * 32, left = table[0].data_offset, right = left + blocks;
    std::vector<uint8_t> swapped(image.begin() + long(right), image.begin() + long(right + blocks));
    swapped.insert(swapped.end(), image.begin() + long(left), image.begin() + long(left + blocks));
    std::copy(swapped.begin(), swapped.end(), image.begin() + long(left));
    open_bank(image);
    SlotInfo moved       = table[0];
    moved.data_offset    = int32_t(left + blocks);
    moved.right_distance = -int32_t(blocks);
    ASSERT_EQ(write(moved), JOB_DONE);
    EXPECT_EQ(read_bytes(out()), expected_wav(slot));
}

TEST_F(WriterTest, EmptySlotStillNeedsItsBlock) {
    open_bank(std::vector<BankSlot>{mono_slot(0, 0)});
    ASSERT_EQ(table[0].total_samples, 0);
    ASSERT_EQ(write(table[0]), JOB_DONE);
    EXPECT_EQ(read_bytes(out()).size(), 44u);

    SlotInfo past_end    = table[0];
    past_end.data_offset = int32_t(read_bytes(join(folder, "bank.zp4")).size());
    EXPECT_EQ(write(past_end), JOB_READ_ERROR);
}

// The writer leaves what it decoded before the failure; a check of the slot counts the same
// frames, since both read the slot the same way.
TEST_F(WriterTest, ReadFailuresReturnOneAfterWhatCouldBeDecoded) {
    open_bank(std::vector<BankSlot>{mono_slot(0, 320), stereo_slot(0, 320)});
    const int32_t size  = int32_t(read_bytes(join(folder, "bank.zp4")).size());
    const SlotInfo mono = table[0], stereo = table[1];

    struct Case {
        const char* name;
        SlotInfo slot;
        uint32_t frames; // decoded whole before the failure
    } cases[] = {
        {"negative offset", {mono.id, 0, -32, 0, mono.total_samples}, 0},
        // Three whole blocks, then the end of the file.
        {"runs out", {mono.id, 0, size - 3 * 32, 0, mono.total_samples}, 96},
        // End address below start: a huge unsigned count that the file cannot satisfy.
        {"endless", {mono.id, 0, mono.data_offset, 0, -5}, uint32_t(size - mono.data_offset)},
        {"right missing", {stereo.id, 0, stereo.data_offset, size, stereo.total_samples}, 0},
    };
    for (const Case& c : cases) {
        const size_t channels = is_stereo(c.slot) ? 2 : 1;
        EXPECT_EQ(write(c.slot), JOB_READ_ERROR) << c.name;
        EXPECT_EQ(read_bytes(out()).size(), 44u + 2 * channels * c.frames) << c.name;
        uint32_t frames_read = 12345;
        EXPECT_EQ(check_slot(bulk, c.slot, reply, frames_read), JOB_READ_ERROR) << c.name;
        EXPECT_EQ(frames_read, c.frames) << c.name;
    }
}

TEST_F(WriterTest, CheckReadsIntactSlotsWholeAndWritesNothing) {
    open_bank(std::vector<BankSlot>{mono_slot(0, 0), mono_slot(1, 33), stereo_slot(0, 4097)});
    const uint32_t frames[] = {0, 33, 4097};
    for (int i = 0; i < count; ++i) {
        uint32_t frames_read = 12345;
        EXPECT_EQ(check_slot(bulk, table[i], reply, frames_read), JOB_DONE) << i;
        EXPECT_EQ(frames_read, frames[i]) << i;
    }
    EXPECT_FALSE(exists(out()));

    reply                = REPLY_ABORT;
    uint32_t frames_read = 0;
    EXPECT_EQ(check_slot(bulk, table[2], reply, frames_read), JOB_CANCELLED);
}

TEST_F(WriterTest, AbortStopsBeforeTheNextFrame) {
    open_bank(std::vector<BankSlot>{mono_slot(0, 1000)});
    reply = REPLY_ABORT;
    EXPECT_EQ(write(table[0]), JOB_CANCELLED);
    const std::vector<uint8_t> written = read_bytes(out());
    ASSERT_EQ(written.size(), 44u);
    EXPECT_EQ(le32(written, 40), 2000u); // the header still promises the whole slot
}

TEST_F(WriterTest, OutputThatCannotBeCreatedIsAWriteError) {
    open_bank(std::vector<BankSlot>{mono_slot(0, 10)});
    const std::string missing = join(join(folder, "no-such-folder"), "00.wav");
    bool opened               = true;
    EXPECT_EQ(write_slot(bulk, table[0], missing.c_str(), reply, opened), JOB_WRITE_ERROR);
    EXPECT_FALSE(opened);
}

} // namespace
