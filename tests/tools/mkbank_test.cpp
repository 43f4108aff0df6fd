// mkbank as a process: the slots it packs and what it refuses.
#include "run_program.h"
#include "slot_writer.h"
#include "test_banks.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

ProgramRun mkbank(Command args, const std::string& folder) {
    args.insert(args.begin(), MKBANK_PATH);
    return run_program(args, folder);
}

// A WAV file of the slot's channels, interleaved, at the rate given, with a chunk of odd size
// and its pad byte before the samples.
void write_wav(const std::string& path, const BankSlot& slot, uint32_t rate = 32000) {
    const int channels = slot.stereo ? 2 : 1;
    Bytes file(WAV_HEADER_BYTES);
    make_wav_header(int32_t(slot.left.size()) * channels, channels, file.data());
    file[24] = uint8_t(rate), file[25] = uint8_t(rate >> 8), file[26] = uint8_t(rate >> 16);
    file.insert(file.begin() + 36, {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    for (size_t i = 0; i < slot.left.size(); ++i)
        for (int c = 0; c < channels; ++c) {
            const uint16_t sample = uint16_t(c ? slot.right[i] : slot.left[i]);
            file.insert(file.end(), {uint8_t(sample), uint8_t(sample >> 8)});
        }
    for (int i = 0; i < 4; ++i) // the RIFF size takes the odd chunk in
        file[4 + i] = uint8_t((file.size() - 8) >> (8 * i));
    write_bytes(path, file);
}

// The samples of each file land in the slot it is given for.
TEST(Mkbank, PacksWavFilesIntoTheirSlots) {
    const std::string folder         = fresh_folder();
    const std::vector<BankSlot> bank = known_slots({"49s.wav", "42.wav"});
    write_wav(join(folder, "stereo.wav"), bank[0]);
    write_wav(join(folder, "mono.wav"), bank[1]);
    const ProgramRun run =
        mkbank({"b.zp4", "--stereo", "49=stereo.wav", "--mono", "42=mono.wav"}, folder);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_bytes(join(folder, "b.zp4")), bank_image(bank));
}

TEST(Mkbank, RefusesFilesTheBankCannotHoldAndLeavesNoBank) {
    const std::string folder = fresh_folder();
    write_wav(join(folder, "stereo.wav"), known_slots({"00s.wav"})[0]);
    write_wav(join(folder, "mono.wav"), mono_slot(0, 2));
    write_wav(join(folder, "cd.wav"), mono_slot(0, 2), 44100);
    write_bytes(join(folder, "byte.wav"),
                Bytes{'R', 'I',  'F', 'F', 28, 0,    0, 0, 'W', 'A', 'V', 'E',
                      'f', 'm',  't', ' ', 16, 0,    0, 0, 1,   0,   1,   0,
                      0,   0x7D, 0,   0,   0,  0x7D, 0, 0, 1,   0,   8,   0});
    std::filesystem::create_symlink("/dev/full", join(folder, "full.zp4")); // a full disk
    const struct {
        Command args;
        int status;
        const char* message;
    } cases[] = {
        {{"b.zp4", "--mono", "0=stereo.wav"}, 1, "stereo.wav: 2 channel(s); a mono slot takes 1"},
        {{"b.zp4", "--stereo", "0=mono.wav"}, 1, "mono.wav: 1 channel(s); a stereo slot takes 2"},
        {{"b.zp4", "--mono", "0=cd.wav"}, 1, "cd.wav: 44100 Hz"},
        {{"b.zp4", "--mono", "0=byte.wav"},
         1,
         "byte.wav: 8-bit samples (only 16-bit PCM is taken)"},
        {{"b.zp4", "--mono", "100=mono.wav"}, 1, "slot 100 out of range"},
        {{"b.zp4", "--mono", "1=mono.wav", "--mono", "1=mono.wav"}, 1, "mono slot 1 given twice"},
        {{"b.zp4", "--mono", "x=mono.wav"}, 1, "expected N=IN.wav"},
        {{"b.zp4"}, 64, "give either --demo or the slots\nTry 'mkbank --help'"},
        {{"full.zp4", "--demo"}, 1, "cannot write full.zp4: No space left on device"},
    };
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
