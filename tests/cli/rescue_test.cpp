// unbank on whole collections: several banks, damaged slots, the test mode, the summary.
#include "bulk_file.h"
#include "run_program.h"
#include "test_banks.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Args   = std::vector<std::string>;

enum class Damage { Truncated, NegativeOffset };

// Both kinds of damage hit mono slot 1 alone; the reason is what --list says of it.
struct DamageCase {
    Damage damage;
    const char* reason;
    uint32_t readable; // frames of slot 1 that can still be decoded
} const damages[] = {
    {Damage::Truncated, "data outside the file", 3200},
    {Damage::NegativeOffset, "negative data offset", 0},
};

class RescueTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = fresh_folder(); }

    // Slot 1's blocks come last in the file, so a cut file loses slot 1 alone; slot 0, 2
    // and stereo slot 0 stay intact around it in table order.
    const std::vector<BankSlot> slots = {mono_slot(0, 100), mono_slot(2, 100), stereo_slot(0, 64),
                                         mono_slot(1, 6400)};

    void write_damaged(const std::string& name, Damage damage) const {
        std::vector<uint8_t> image;
        std::string error;
        ASSERT_TRUE(build_bank(slots, image, error)) << error;
        if (damage == Damage::Truncated) image.resize(image.size() - 100 * 32); // half of slot 1
        const size_t data_start = MONO_DIRECTORY_OFFSET + 1 * MONO_RECORD_BYTES + 6;
        if (damage == Damage::NegativeOffset) image[data_start] = 0x05; // below 0x60000
        write_bytes(in_folder(name), image);
    }
    void write_not_a_bank(const std::string& name) const {
        write_bytes(in_folder(name), std::vector<uint8_t>(3000, 'x'));
    }

    ProgramRun unbank(const Args& args) const { return run_program(UNBANK_PATH, args, folder); }
    std::string in_folder(const std::string& name) const { return join(folder, name); }
    void expect_written(const std::string& path, size_t slot) const {
        EXPECT_EQ(read_bytes(in_folder(path)), expected_wav(slots[slot])) << path;
    }

    std::string folder;
};

TEST_F(RescueTest, WithoutKeepGoingTheBankEndsAtTheDamagedSlot) {
    for (const DamageCase& c : damages) {
        write_damaged("bank.zp4", c.damage);
        fs::remove_all(in_folder("out"));
        const ProgramRun run = unbank({"-o", "out", "bank.zp4"});
        EXPECT_EQ(run.status, 1) << c.reason;
        EXPECT_EQ(run.err, "unbank: bank.zp4: 01.wav: Read error\n"
                           "bank.zp4: 1 written, 0 skipped, 1 failed, 2 not reached; files in out "
                           "(Read error)\n");
        expect_written("out/00.wav", 0);
        for (const char* name : {"out/01.wav", "out/02.wav", "out/00s.wav"})
            EXPECT_FALSE(fs::exists(in_folder(name))) << name << ", " << c.reason;
    }
}

TEST_F(RescueTest, KeepGoingWritesEveryIntactSlot) {
    for (const DamageCase& c : damages) {
        write_damaged("bank.zp4", c.damage);
        fs::remove_all(in_folder("out"));
        const ProgramRun run = unbank({"--keep-going", "-o", "out", "bank.zp4"});
        EXPECT_EQ(run.status, 1) << c.reason;
        EXPECT_EQ(run.err, "unbank: bank.zp4: 01.wav cannot be read whole; its file is removed\n"
                           "bank.zp4: 3 written, 0 skipped, 1 failed; files in out (Read error)\n");
        expect_written("out/00.wav", 0);
        expect_written("out/02.wav", 1);
        expect_written("out/00s.wav", 2);
        EXPECT_FALSE(fs::exists(in_folder("out/01.wav"))) << c.reason;
    }
}

TEST_F(RescueTest, TestModeReportsReadableFramesAndWritesNothing) {
    for (const DamageCase& c : damages) {
        write_damaged("bank.zp4", c.damage);
        for (const Args& args : {Args{"-t", "bank.zp4"}, Args{"-k", "--test", "bank.zp4"}}) {
            const ProgramRun run = unbank(args);
            EXPECT_EQ(run.status, 1) << c.reason;
            EXPECT_EQ(run.err, "unbank: bank.zp4: 01.wav cannot be read whole: " +
                                   std::to_string(c.readable) +
                                   " of 6400 frames readable\n"
                                   "bank.zp4: 3 of 4 slots read whole, 1 damaged (Read error)\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1); // the bank alone
        }
    }
    write_bank(folder, "intact.zp4", slots);
    const ProgramRun intact = unbank({"-t", "intact.zp4"});
    EXPECT_EQ(intact.status, 0);
    EXPECT_EQ(intact.err, "intact.zp4: 4 of 4 slots read whole, 0 damaged\n");
}

TEST_F(RescueTest, ListMarksTheDamagedSlotOnly) {
    for (const DamageCase& c : damages) {
        write_damaged("bank.zp4", c.damage);
        const ProgramRun run = unbank({"-l", "bank.zp4"});
        EXPECT_EQ(run.status, 0);
        std::istringstream rows(run.out);
        std::string row;
        int damaged = 0;
        while (std::getline(rows, row)) {
            const bool marked = row.find("damaged") != std::string::npos;
            damaged += marked;
            if (!marked) continue;
            EXPECT_EQ(row.substr(0, 6) + row.substr(row.find("  damaged")),
                      std::string("01.wav  damaged: ") + c.reason);
        }
        EXPECT_EQ(damaged, 1) << run.out;
    }
}

TEST_F(RescueTest, SeveralBanksEachGoToTheirOwnFolderPastOneThatIsNotABank) {
    const std::vector<BankSlot> a = {mono_slot(3, 500), stereo_slot(1, 200)};
    const std::vector<BankSlot> b = {mono_slot(3, 700)};
    write_bank(folder, "a.zp4", a);
    write_not_a_bank("notes.zp4");
    write_bank(folder, "b.zp4", b);

    const ProgramRun run = unbank({"-o", "out", "a.zp4", "notes.zp4", "b.zp4"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "unbank: notes.zp4: Not ZP-4 file\n"
                       "a.zp4: 2 written, 0 skipped, 0 failed; files in out/a\n"
                       "notes.zp4: Not ZP-4 file\n"
                       "b.zp4: 1 written, 0 skipped, 0 failed; files in out/b\n"
                       "3 banks: 3 written, 0 skipped, 0 failed; 1 bank(s) with errors\n");
    EXPECT_EQ(read_bytes(in_folder("out/a/03.wav")), expected_wav(a[0]));
    EXPECT_EQ(read_bytes(in_folder("out/a/01s.wav")), expected_wav(a[1]));
    EXPECT_EQ(read_bytes(in_folder("out/b/03.wav")), expected_wav(b[0]));
    EXPECT_FALSE(fs::exists(in_folder("out/notes")));

    // Without -o the folders are made in the current folder.
    ASSERT_EQ(unbank({"-q", "a.zp4", "b.zp4"}).status, 0);
    EXPECT_EQ(read_bytes(in_folder("b/03.wav")), expected_wav(b[0]));
    EXPECT_TRUE(fs::exists(in_folder("a/01s.wav")));
}

// 0 when every bank succeeded, else the code of the first bank that failed; -q leaves the
// failures on stderr and drops the summary.
TEST_F(RescueTest, ExitStatusIsTheFirstFailedBanksCode) {
    write_bank(folder, "good.zp4", slots);
    write_not_a_bank("notes.zp4");
    write_damaged("cut.zp4", Damage::Truncated);
    std::vector<uint8_t> empty;
    std::string error;
    ASSERT_TRUE(build_bank({}, empty, error));
    write_bytes(in_folder("empty.zp4"), empty);

    struct Case {
        Args args;
        int status;
        std::string err;
    } cases[] = {
        {{"-q", "-y", "good.zp4", "cut.zp4", "notes.zp4"},
         1,
         "unbank: cut.zp4: 01.wav: Read error\nunbank: notes.zp4: Not ZP-4 file\n"},
        {{"-q", "-y", "good.zp4", "empty.zp4", "missing.zp4"},
         5,
         "unbank: empty.zp4: ZP-4 file has no contents\nunbank: missing.zp4: Read error\n"},
        {{"-q", "-t", "notes.zp4", "cut.zp4"},
         3,
         "unbank: notes.zp4: Not ZP-4 file\n"
         "unbank: cut.zp4: 01.wav cannot be read whole: 3200 of 6400 frames readable\n"},
        {{"-q", "-y", "good.zp4", "-k", "empty.zp4"},
         5,
         "unbank: empty.zp4: ZP-4 file has no contents\n"},
        {{"-q", "-t", "good.zp4", "good.zp4"}, 0, ""},
    };
    for (const Case& c : cases) {
        const ProgramRun run = unbank(c.args);
        EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args);
        EXPECT_EQ(run.err, c.err) << testing::PrintToString(c.args);
    }
}

} // namespace
