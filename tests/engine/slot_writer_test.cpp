#include "slot_writer.h"

#include "bulk_file.h"
#include "test_banks.h"
#include <gtest/gtest.h>

namespace {

// clang-format off
TEST(WavHeader, ByteForByte) {
    const std::tuple<int32_t, int, Bytes> cases[] = {
        {33, 1, {'R', 'I', 'F', 'F', 102, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0,
                 1, 0, 0, 0x7D, 0, 0, 0, 0xFA, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 66, 0, 0, 0}},
        {8194, 2, {'R', 'I', 'F', 'F', 0x28, 0x40, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0,
                   2, 0, 0, 0x7D, 0, 0, 0, 0xF4, 1, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 4, 0x40, 0, 0}},
    };
    for (const auto& [samples, channels, expected] : cases) {
        Bytes header(WAV_HEADER_BYTES);
        make_wav_header(samples, channels, header.data());
        EXPECT_EQ(header, expected) << channels << " channel(s)";
    }
}
// clang-format on

// A bank on disk, open, with its slot table read: files around the writer's runs of 8192
// frames, an empty slot, and stereo slots.
class WriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        open_bank(bank_image(known_slots({"00.wav", "01.wav", "02.wav", "03.wav", "04.wav",
                                          "05.wav", "06.wav", "00s.wav", "01s.wav", "03s.wav"})));
    }
    void TearDown() override { std::fclose(bulk); }

    void open_bank(const Bytes& image) {
        if (bulk) std::fclose(bulk); // an open file cannot be replaced on Windows
        write_bytes(join(folder, "bank.zp4"), image);
        bulk = std::fopen(join(folder, "bank.zp4").c_str(), "rb");
        ASSERT_EQ(load_bulk_file(bulk, table, count), JOB_DONE);
    }

    JobStatus write(const SlotInfo& slot, const std::string& name = "out.wav") {
        bool opened = false;
        return write_slot(bulk, slot, join(folder, name).c_str(), reply, opened);
    }

    std::atomic<int32_t> reply{REPLY_WRITE};
    const std::string folder = fresh_folder();
    std::FILE* bulk          = nullptr;
    SlotInfo table[MAX_SLOTS];
    int count = 0;
};

// A check reads each slot as the writer does, and writes nothing.
TEST_F(WriterTest, WritesEverySlotExactly) {
    for (int i = 0; i < count; ++i) {
        uint32_t frames_read = 0;
        EXPECT_EQ(check_slot(bulk, table[i], reply, frames_read), JOB_DONE) << i;
        EXPECT_EQ(frames_read, slot_frames(table[i])) << i;
        char name[OUTPUT_NAME_BYTES];
        format_output_name(table[i], name);
        EXPECT_EQ(write(table[i], name), JOB_DONE) << name;
    }
    EXPECT_EQ(folder_contents(folder), "00.wav* 00s.wav* 01.wav* 01s.wav* 02.wav* 03.wav* "
                                       "03s.wav* 04.wav* 05.wav* 06.wav*");
}

// The writer leaves what it decoded before the failure; a check counts the same frames.
TEST_F(WriterTest, ReadFailuresReturnOneAfterWhatCouldBeDecoded) {
    const int32_t size  = int32_t(read_bytes(join(folder, "bank.zp4")).size());
    const SlotInfo mono = table[0], stereo = table[7];
    const std::pair<SlotInfo, uint32_t> cases[] = {
        // the slot, the frames decoded before
        {{mono.id, 0, -32, 0, mono.total_samples}, 0},
        {{mono.id, 0, size - 3 * 32, 0, mono.total_samples}, 96},
        {{mono.id, 0, size - 32 * 32, 0, -5}, 1024}, // an end below the start: endless
        {{stereo.id, 0, stereo.data_offset, size, stereo.total_samples}, 0},
        {{mono.id, 0, size, 0, 0}, 0}, // no frames still take one block
    };
    for (const auto& [slot, frames] : cases) {
        EXPECT_EQ(write(slot), JOB_READ_ERROR) << frames;
        EXPECT_EQ(read_bytes(join(folder, "out.wav")).size(),
                  44 + 2 * frames * (is_stereo(slot) ? 2 : 1));
        uint32_t frames_read = 12345;
        EXPECT_EQ(check_slot(bulk, slot, reply, frames_read), JOB_READ_ERROR) << frames;
        EXPECT_EQ(frames_read, frames);
    }
}

} // namespace
