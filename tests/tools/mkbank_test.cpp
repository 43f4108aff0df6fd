#include "run_program.h"
#include "slot_writer.h"
#include "test_banks.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

class MkbankTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = fresh_folder(); }

    // A 16-bit PCM file as the extractor would write it, from interleaved samples.
    void write_wav(const std::string& name, int channels, const std::vector<int16_t>& interleaved,
                   uint32_t rate = 32000) {
        std::vector<uint8_t> file(WAV_HEADER_BYTES);
        make_wav_header(int32_t(interleaved.size()), channels, file.data());
        for (int i = 0; i < 4; ++i)
            file[24 + i] = uint8_t(rate >> (8 * i));
        for (int16_t s : interleaved) {
            file.push_back(uint8_t(uint16_t(s)));
            file.push_back(uint8_t(uint16_t(s) >> 8));
        }
        write_bytes(join(folder, name), file);
    }

    ProgramRun mkbank(const Args& args) { return run_program(MKBANK_PATH, args, folder); }
    ProgramRun unbank(const Args& args) { return run_program(UNBANK_PATH, args, folder); }

    std::string folder;
};

TEST_F(MkbankTest, PacksWavFilesThatUnbankGivesBack) {
    const BankSlot mono = mono_slot(42, 1000), stereo = stereo_slot(7, 777);
    write_wav("mono.wav", 1, mono.left);
    std::vector<int16_t> interleaved;
    for (size_t i = 0; i < stereo.left.size(); ++i) {
        interleaved.push_back(stereo.left[i]);
        interleaved.push_back(stereo.right[i]);
    }
    write_wav("stereo.wav", 2, interleaved);

    const ProgramRun made = mkbank({"b.zp4", "--mono", "42=mono.wav", "--stereo", "7=stereo.wav"});
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(unbank({"-q", "-o", "out", "b.zp4"}).status, 0);
    EXPECT_EQ(read_bytes(join(folder, "out/42.wav")), expected_wav(mono));
    EXPECT_EQ(read_bytes(join(folder, "out/07s.wav")), expected_wav(stereo));
}

// The codec is lossy; a plain tone must still come back close to what went in.
TEST_F(MkbankTest, ToneSurvivesTheRoundTripClosely) {
    std::vector<int16_t> tone(32000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t(std::lround(16000 * std::sin(2 * M_PI * 440 * double(i) / 32000)));
    write_wav("tone.wav", 1, tone);
    ASSERT_EQ(mkbank({"t.zp4", "--mono", "0=tone.wav"}).status, 0);
    ASSERT_EQ(unbank({"-q", "-o", "out", "t.zp4"}).status, 0);
    const std::vector<uint8_t> out = read_bytes(join(folder, "out/00.wav"));
    ASSERT_EQ(out.size(), 44 + 2 * tone.size());
    double signal = 0, noise = 0;
    for (size_t i = 0; i < tone.size(); ++i) {
        const int16_t back = int16_t(out[44 + 2 * i] | out[45 + 2 * i] << 8);
        signal += double(tone[i]) * tone[i];
        noise += double(back - tone[i]) * (back - tone[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 30.0);
}

TEST_F(MkbankTest, RefusesFilesTheBankCannotHold) {
    write_wav("stereo.wav", 2, {1, 2, 3, 4});
    write_wav("mono.wav", 1, {1, 2});
    write_wav("cd.wav", 1, {1, 2}, 44100);
    std::filesystem::create_symlink("/dev/full", join(folder, "full.zp4")); // a full disk
    struct Case {
        Args args;
        int status;
        const char* message;
    } cases[] = {
        {{"b.zp4", "--mono", "0=stereo.wav"}, 1, "stereo.wav: 2 channel(s); a mono slot takes 1"},
        {{"b.zp4", "--stereo", "0=mono.wav"}, 1, "mono.wav: 1 channel(s); a stereo slot takes 2"},
        {{"b.zp4", "--mono", "0=cd.wav"}, 1, "cd.wav: 44100 Hz"},
        {{"b.zp4", "--mono", "100=mono.wav"}, 1, "slot 100 out of range"},
        {{"b.zp4", "--mono", "1=mono.wav", "--mono", "1=mono.wav"}, 1, "mono slot 1 given twice"},
        {{"b.zp4", "--mono", "0=missing.wav"}, 1, "missing.wav: cannot read"},
        {{"b.zp4", "--mono", "x=mono.wav"}, 1, "expected N=IN.wav"},
        {{"b.zp4", "--loud", "0=mono.wav"},
         64,
         "mkbank: unknown option --loud\nTry 'mkbank --help'"},
        {{"b.zp4"}, 64, "give either --demo or the slots"},
        {{"full.zp4", "--demo"}, 1, "cannot write full.zp4: No space left on device"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = mkbank(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(exists(join(folder, c.args[0]))) << c.args[0];
    }
}

TEST_F(MkbankTest, DemoBankHasMonoAndStereoSlotsWithGaps) {
    ASSERT_EQ(mkbank({"demo.zp4", "--demo"}).status, 0);
    const ProgramRun list = unbank({"-l", "demo.zp4"});
    ASSERT_EQ(list.status, 0);
    size_t mono = 0, stereo = 0;
    for (size_t at = 0; (at = list.out.find(" mono ", at)) != std::string::npos; ++at)
        ++mono;
    for (size_t at = 0; (at = list.out.find(" stereo ", at)) != std::string::npos; ++at)
        ++stereo;
    EXPECT_GE(mono, 4u);
    EXPECT_GE(stereo, 2u);
    EXPECT_EQ(list.out.find("01.wav"), std::string::npos); // empty slots between used ones
    ASSERT_EQ(unbank({"-q", "demo.zp4"}).status, 0);
    EXPECT_TRUE(exists(join(folder, "demo/00s.wav")));
}

} // namespace
