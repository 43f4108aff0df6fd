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
        return write_slot(bulk, slot, join(folder, name).c_str(), reply);
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

} // namespace
