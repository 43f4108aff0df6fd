#include "slot_writer.h"

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

} // namespace
