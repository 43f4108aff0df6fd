#include "wav_reader.h"

#include "slot_writer.h"
#include "test_banks.h"
#include <gtest/gtest.h>

namespace {

void le16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void le32(std::vector<uint8_t>& out, uint32_t v) {
    le16(out, v);
    le16(out, v >> 16);
}

void chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    le32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
}

std::vector<uint8_t> format(uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits) {
    std::vector<uint8_t> body;
    le16(body, tag);
    le16(body, channels);
    le32(body, rate);
    le32(body, rate * channels * bits / 8);
    le16(body, channels * bits / 8);
    le16(body, bits);
    return body;
}

std::vector<uint8_t> riff(const std::vector<uint8_t>& chunks) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    le32(out, uint32_t(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

std::vector<uint8_t> samples(std::initializer_list<int16_t> values) {
    std::vector<uint8_t> out;
    for (int16_t v : values)
        le16(out, uint16_t(v));
    return out;
}

bool read(const std::vector<uint8_t>& file, WavAudio& audio, std::string& error) {
    const std::string path = join(fresh_folder(), "in.wav");
    write_bytes(path, file);
    return read_wav(path, audio, error);
}

TEST(ReadWav, TakesWhatTheExtractorWrites) {
    std::vector<uint8_t> file(WAV_HEADER_BYTES);
    make_wav_header(4, 2, file.data());
    const std::vector<uint8_t> body = samples({1, -2, 300, -32768});
    file.insert(file.end(), body.begin(), body.end());
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(read(file, audio, error)) << error;
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.sample_rate, 32000u);
    EXPECT_EQ(audio.left, (std::vector<int16_t>{1, 300}));
    EXPECT_EQ(audio.right, (std::vector<int16_t>{-2, -32768}));
}

TEST(ReadWav, SkipsOtherChunksIncludingOddSizedOnes) {
    std::vector<uint8_t> chunks;
    chunk(chunks, "LIST", {'a', 'b', 'c'});
    chunk(chunks, "fmt ", format(1, 1, 32000, 16));
    chunk(chunks, "junk", {});
    chunk(chunks, "data", samples({5, 6, 7}));
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(read(riff(chunks), audio, error)) << error;
    EXPECT_EQ(audio.left, (std::vector<int16_t>{5, 6, 7}));
    EXPECT_TRUE(audio.right.empty());
}

TEST(ReadWav, RefusesWhatIsNotSixteenBitPcm) {
    struct Case {
        std::vector<uint8_t> file;
        const char* message;
    } cases[] = {
        {{'R', 'I', 'F', 'X'}, "not a RIFF/WAVE file"},
        {riff([] {
             std::vector<uint8_t> c;
             chunk(c, "fmt ", format(1, 1, 32000, 8));
             chunk(c, "data", {1, 2});
             return c;
         }()),
         "8-bit samples"},
        {riff([] {
             std::vector<uint8_t> c;
             chunk(c, "fmt ", format(3, 1, 32000, 32));
             return c;
         }()),
         "not PCM (format 3)"},
        {riff([] {
             std::vector<uint8_t> c;
             chunk(c, "fmt ", format(1, 6, 32000, 16));
             return c;
         }()),
         "6 channels"},
        {riff([] {
             std::vector<uint8_t> c;
             chunk(c, "data", samples({1}));
             return c;
         }()),
         "no format chunk"},
        {riff([] {
             std::vector<uint8_t> c;
             chunk(c, "fmt ", format(1, 1, 32000, 16));
             c.insert(c.end(), {'d', 'a', 't', 'a', 100, 0, 0, 0, 1, 2});
             return c;
         }()),
         "no complete data chunk"},
    };
    for (const Case& c : cases) {
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(read(c.file, audio, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

} // namespace
