#include "wav_reader.h"

#include "test_banks.h"
#include <gtest/gtest.h>
#include <sstream>

namespace {

// "fmt " chunks of 16 bytes: PCM (1), 1 or 2 channels, 32000 Hz, 16 bits; then 8 bits.
#define MONO   "66 6D 74 20 10 00 00 00 01 00 01 00 00 7D 00 00 00 FA 00 00 02 00 10 00"
#define STEREO "66 6D 74 20 10 00 00 00 01 00 02 00 00 7D 00 00 00 F4 01 00 04 00 10 00"
#define BYTES  "66 6D 74 20 10 00 00 00 01 00 01 00 00 7D 00 00 00 7D 00 00 01 00 08 00"

TEST(ReadWav, TakesSixteenBitPcmOfOneOrTwoChannelsOnly) {
    const struct {
        const char* chunks; // after "RIFF", the size and "WAVE"
        const char* error;  // in the message, or "" for a file taken
        std::vector<int16_t> left = {}, right = {};
    } cases[] = {
        {STEREO " 64 61 74 61 08 00 00 00 01 00 FE FF 2C 01 00 80", "", {1, 300}, {-2, -32768}},
        // Other chunks are skipped, one of odd size with its pad byte.
        {"4C 49 53 54 03 00 00 00 61 62 63 00 " MONO " 64 61 74 61 02 00 00 00 05 80",
         "",
         {-32763}},
        {BYTES " 64 61 74 61 01 00 00 00 01", "8-bit samples"},
        {"64 61 74 61 02 00 00 00 01 00", "no format chunk"},
        {MONO " 64 61 74 61 08 00 00 00 01 00 02 00", "no complete data chunk"},
    };
    for (const auto& c : cases) {
        Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
        std::istringstream hex(c.chunks);
        for (unsigned byte; hex >> std::hex >> byte;)
            file.push_back(uint8_t(byte));
        file[4]                = uint8_t(file.size() - 8); // short files only
        const std::string path = join(fresh_folder(), "in.wav");
        write_bytes(path, file);
        WavAudio audio;
        std::string error;
        EXPECT_EQ(read_wav(path, audio, error), !*c.error) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(audio.left, c.left) << c.chunks;
        EXPECT_EQ(audio.right, c.right) << c.chunks;
    }
}

} // namespace
