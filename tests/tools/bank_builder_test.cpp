#include "bank_builder.h"

#include <gtest/gtest.h>

namespace {

// A bank's blocks reach the top of the sampler's 24-bit memory at most: from the first block
// behind the directory, at file offset 0x80FC0, one mono slot of 15855680 frames fills it.
TEST(BuildBank, FillsTheAddressSpaceExactlyAndNoMore) {
    const std::tuple<size_t, bool, std::string> cases[] = {
        {15855680, true, ""},
        {15855681, false, "the samples take 15855712 bytes; a bank holds at most 15855680"},
    };
    for (const auto& [frames, built, message] : cases) {
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_EQ(build_bank({{false, 0, std::vector<int16_t>(frames), {}}}, image, error), built);
        EXPECT_EQ(error, message);
        EXPECT_TRUE(!built || image.size() == 0x1000000 - 0x60000) << image.size();
    }
}

} // namespace
