#include "bank_builder.h"

#include "test_banks.h"
#include <gtest/gtest.h>

namespace {

// Worked by hand: the headers, the empty records, mono slot 0 of 100 frames at 0x80FC0 (memory
// 0xE0FC0) in four blocks, stereo slot 0 of 64 frames, its two left blocks behind them and its
// two right blocks behind those; nothing else but zeros.
TEST(BuildBank, LaysOutHeadersDirectoryAndBlocks) {
    const std::vector<BankSlot> slots = known_slots({"00.wav", "00s.wav"});
    Bytes expected                    = empty_bank();
    expected.resize(0x80FC0);
    put_hex(expected, mono_record(0), "0E 0F C0 0E 10 23 0E 0F C0");
    expected[mono_record(0) + 21] = 0;
    put_hex(expected, stereo_record(0) + 3, "0E 10 7F 0E 10 40");
    put_hex(expected, stereo_record(0) + 21, "00 0E 10 40 0E 10 80");
    for (const auto* channel : {&slots[0].left, &slots[1].left, &slots[1].right}) {
        const Bytes blocks = encode_channel(*channel);
        expected.insert(expected.end(), blocks.begin(), blocks.end());
    }
    EXPECT_EQ(bank_image(slots), expected);
}

} // namespace
