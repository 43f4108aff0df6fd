// mkbank as a process: the slots it packs and what it refuses.
#include "run_program.h"
#include "scripted_host.h"
#include "test_banks.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

ProgramRun mkbank(Command args, const std::string& folder) {
    args.insert(args.begin(), MKBANK_PATH);
    return run_program(args, folder);
}

// A WAV file of the slot's channels, interleaved, at the rate given, with a chunk of odd size
// and its pad byte before the samples; its header says bits per sample.
void write_wav(const std::string& path, const BankSlot& slot, uint32_t rate = 32000,
               uint8_t bits = 16) {
    const uint8_t channels = slot.stereo ? 2 : 1;
    // clang-format off
    Bytes file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
               'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, channels, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   uint8_t(2 * channels), 0, bits, 0,
               'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0,
               'd', 'a', 't', 'a', 0, 0, 0, 0};
    // clang-format on
    for (size_t i = 0; i < slot.left.size(); ++i)
        for (int c = 0; c < channels; ++c) {
            const uint16_t sample = uint16_t(c ? slot.right[i] : slot.left[i]);
            file.insert(file.end(), {uint8_t(sample), uint8_t(sample >> 8)});
        }
    auto put_le32 = [&](size_t at, size_t value) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = uint8_t(value >> (8 * i));
    };
    put_le32(4, file.size() - 8); // the RIFF size takes the odd chunk in
    put_le32(24, rate);
    put_le32(28, rate * 2 * channels);
    put_le32(52, file.size() - 56);
    write_bytes(path, file);
}

// The samples of each file land in the slot it is given for: the job reads the catalogue's
// files back out of the bank.
TEST(Mkbank, PacksWavFilesIntoTheirSlots) {
    const std::string folder         = fresh_folder();
    const std::vector<BankSlot> bank = known_slots({"49s.wav", "42.wav"});
    write_wav(join(folder, "stereo.wav"), bank[0]);
    write_wav(join(folder, "mono.wav"), bank[1]);
    const ProgramRun run =
        mkbank({"b.zp4", "--stereo", "49=stereo.wav", "--mono", "42=mono.wav"}, folder);
    EXPECT_EQ(run.status, 0) << run.err;
    ScriptedHost host;
    std::filesystem::create_directories(host.folder = join(folder, "out"));
    run_job(join(folder, "b.zp4"), host);
    EXPECT_EQ(folder_contents(host.folder), "42.wav* 49s.wav*");
}

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

TEST(Mkbank, RefusesFilesTheBankCannotHoldAndLeavesNoBank) {
    const std::string folder = fresh_folder();
    write_wav(join(folder, "stereo.wav"), known_slots({"00s.wav"})[0]);
    write_wav(join(folder, "mono.wav"), mono_slot(0, 2));
    write_wav(join(folder, "cd.wav"), mono_slot(0, 2), 44100);
    write_wav(join(folder, "byte.wav"), mono_slot(0, 2), 32000, 8);
    std::filesystem::create_symlink("/dev/full", join(folder, "full.zp4")); // a full disk
    // clang-format off
    const struct {
        Command args;
        int status;
        const char* message;
    } cases[] = {
        {{"b.zp4", "--mono", "0=stereo.wav"}, 1, "stereo.wav: 2 channel(s); a mono slot takes 1"},
        {{"b.zp4", "--stereo", "0=mono.wav"}, 1, "mono.wav: 1 channel(s); a stereo slot takes 2"},
        {{"b.zp4", "--mono", "0=cd.wav"}, 1, "cd.wav: 44100 Hz"},
        {{"b.zp4", "--mono", "0=byte.wav"}, 1, "byte.wav: 8-bit samples (only 16-bit PCM is taken)"},
        {{"b.zp4", "--mono", "100=mono.wav"}, 1, "slot 100 out of range"},
        {{"b.zp4", "--mono", "1=mono.wav", "--mono", "1=mono.wav"}, 1, "mono slot 1 given twice"},
        {{"b.zp4", "--mono", "x=mono.wav"}, 1, "expected N=IN.wav"},
        {{"b.zp4"}, 64, "give either --demo or the slots\nTry 'mkbank --help'"},
        {{"full.zp4", "--demo"}, 1, "cannot write full.zp4: No space left on device"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const ProgramRun run = mkbank(c.args, folder);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        // No bank, whole or cut, nor its temporary file; the link to the device stays a link.
        EXPECT_FALSE(std::filesystem::is_regular_file(
            std::filesystem::symlink_status(join(folder, c.args[0]))))
            << c.args[0];
        EXPECT_FALSE(std::filesystem::exists(join(folder, "b.tmp")));
    }
}

} // namespace
