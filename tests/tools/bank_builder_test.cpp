#include "bank_builder.h"

#include "bulk_file.h"
#include "job_status.h"
#include "test_banks.h"
#include <cstring>
#include <gtest/gtest.h>

namespace {

uint32_t be24(const std::vector<uint8_t>& image, size_t at) {
    return uint32_t(image[at]) << 16 | uint32_t(image[at + 1]) << 8 | image[at + 2];
}

constexpr size_t MONO_DIRECTORY   = 0x80000 + 20;
constexpr size_t STEREO_DIRECTORY = MONO_DIRECTORY + 100 * 26;

std::vector<uint8_t> build(const std::vector<BankSlot>& slots) {
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(build_bank(slots, image, error)) << error;
    return image;
}

TEST(BuildBank, LaysOutHeadersDirectoryAndBlocks) {
    const BankSlot mono = mono_slot(2, 100), stereo = stereo_slot(1, 40);
    const std::vector<uint8_t> image = build({mono, stereo});
    for (size_t header : {size_t(0), size_t(0x80000)}) {
        EXPECT_EQ(0, std::memcmp(&image[header], "QUMA\0\0W", 7));
        for (size_t i = 7; i < 20; ++i)
            EXPECT_EQ(image[header + i], 0);
    }
    for (int j = 0; j < 100; ++j)
        EXPECT_EQ(image[MONO_DIRECTORY + j * 26 + 21], j == 2 ? 0x00 : 0xFF) << "mono " << j;
    for (int j = 0; j < 50; ++j)
        EXPECT_EQ(image[STEREO_DIRECTORY + j * 28 + 21], j == 1 ? 0x00 : 0xFF) << "stereo " << j;

    const size_t m = MONO_DIRECTORY + 2 * 26;
    EXPECT_EQ(be24(image, m + 0), 0x60000 + FIRST_DATA_OFFSET);
    EXPECT_EQ(be24(image, m + 3), 0x60000 + FIRST_DATA_OFFSET + 99);
    EXPECT_EQ(be24(image, m + 6), 0x60000 + FIRST_DATA_OFFSET);
    const std::vector<uint8_t> mono_blocks = encode_channel(mono.left);
    EXPECT_EQ(mono_blocks.size(), 4u * 32);
    EXPECT_TRUE(
        std::equal(mono_blocks.begin(), mono_blocks.end(), image.begin() + FIRST_DATA_OFFSET));

    // The stereo slot's left blocks follow the mono slot, its right blocks follow them.
    const size_t s      = STEREO_DIRECTORY + 28;
    const uint32_t left = 0x60000 + FIRST_DATA_OFFSET + 4 * 32;
    EXPECT_EQ(be24(image, s + 3), left + 39);
    EXPECT_EQ(be24(image, s + 6), left);
    EXPECT_EQ(be24(image, s + 22), left);
    EXPECT_EQ(be24(image, s + 25), left + 2 * 32);
    EXPECT_EQ(image.size(), FIRST_DATA_OFFSET + 4 * 32 + 2 * 2 * 32);
}

TEST(BuildBank, BytesTheReaderNeverLooksAtAreZero) {
    const std::vector<uint8_t> image = build({mono_slot(0, 10), stereo_slot(0, 10)});
    for (size_t at = 20; at < 0x80000; ++at)
        ASSERT_EQ(image[at], 0) << at;
    for (size_t i : {9, 10, 11, 12, 20, 22, 25})
        EXPECT_EQ(image[MONO_DIRECTORY + i], 0) << i;
    for (size_t i : {0, 1, 2, 9, 20})
        EXPECT_EQ(image[STEREO_DIRECTORY + i], 0) << i;
    for (size_t at = STEREO_DIRECTORY + 50 * 28; at < FIRST_DATA_OFFSET; ++at)
        ASSERT_EQ(image[at], 0) << at;
}

TEST(BuildBank, RefusesWhatTheSamplerCannotHold) {
    struct Case {
        std::vector<BankSlot> slots;
        const char* message;
    } cases[] = {
        {{mono_slot(100, 1)}, "mono slot 100 does not exist"},
        {{stereo_slot(50, 1)}, "stereo slot 50 does not exist"},
        {{mono_slot(-1, 1)}, "mono slot -1 does not exist"},
        {{mono_slot(4, 1), mono_slot(4, 2)}, "mono slot 4 given twice"},
        {{BankSlot{true, 0, {1, 2}, {1}}}, "stereo slot 0: channels differ"},
        // Every byte of the sampler's 24-bit space past the directory, and 32 more samples.
        {{BankSlot{false, 0, std::vector<int16_t>(MAX_IMAGE_BYTES - FIRST_DATA_OFFSET + 32), {}}},
         "a bank holds at most"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_FALSE(build_bank(c.slots, image, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(BuildBank, FillsTheAddressSpaceExactly) {
    const size_t room = MAX_IMAGE_BYTES - FIRST_DATA_OFFSET;
    const std::vector<uint8_t> image =
        build({BankSlot{false, 99, std::vector<int16_t>(room, 5), {}}});
    EXPECT_EQ(image.size(), MAX_IMAGE_BYTES);
    EXPECT_EQ(be24(image, MONO_DIRECTORY + 99 * 26 + 3), 0xFFFFFFu);
}

TEST(EncodeChannel, PadsTheLastBlockAndNeverLeavesAChannelWithoutOne) {
    EXPECT_EQ(encode_channel({}).size(), 32u);
    EXPECT_EQ(encode_channel(std::vector<int16_t>(32, 7)).size(), 32u);
    EXPECT_EQ(encode_channel(std::vector<int16_t>(33, 7)).size(), 64u);
    // A flat block with padding stays flat: its codes are all zero.
    const std::vector<uint8_t> padded = encode_channel(std::vector<int16_t>(40, 1000));
    EXPECT_EQ(padded[32], 0x03);
    EXPECT_EQ(padded[33], 0xE8);
    for (size_t i = 34; i < 64; ++i)
        EXPECT_EQ(padded[i], 0) << i;
}

} // namespace
