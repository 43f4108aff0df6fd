// unbank on whole collections: several banks, damaged slots, the test mode, the summary.
#include "bulk_file.h"
#include "test_banks.h"
#include "unbank_under_test.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using Args   = std::vector<std::string>;

// Both kinds of damage hit mono slot 1 alone; the reason is what --list says of it.
const struct DamageCase {
    bool truncated; // else slot 1's data start lies below the file's first byte
    const char* reason;
    uint32_t readable; // frames of slot 1 that can still be decoded
} damages[] = {
    {true, "data outside the file", 3200},
    {false, "negative data offset", 0},
};

class RescueTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = fresh_folder(); }

    // Slot 1's blocks come last in the file, so cutting the file damages slot 1 alone.
    const std::vector<BankSlot> slots = {mono_slot(0, 100), mono_slot(2, 100), stereo_slot(0, 64),
                                         mono_slot(1, 6400)};
    const char* const names[4]        = {"00.wav", "02.wav", "00s.wav", "01.wav"};

    void write_damaged(const std::string& name, const DamageCase& damage) const {
        std::vector<uint8_t> image;
        std::string error;
        ASSERT_TRUE(build_bank(slots, image, error)) << error;
        if (damage.truncated)
            image.resize(image.size() - 100 * 32); // half of slot 1
        else
            image[MONO_DIRECTORY_OFFSET + 1 * MONO_RECORD_BYTES + DATA_START_AT] =
                0x05; // below 0x60000
        write_bytes(join(folder, name), image);
    }

    ProgramRun unbank(const Args& args) const { return run_unbank(args, folder); }

    std::string folder;
};

TEST_F(RescueTest, DamagedSlotEndsTheBankKeepGoingPassesItTestWritesNothing) {
    const struct Mode {
        Args args;
        std::vector<size_t> written; // slots whose files are in out/, the others absent
        std::string err;             // '#' stands for the frames of slot 1 that can be read
    } modes[] = {
        {{"-o", "out", "bank.zp4"},
         {0},
         "unbank: bank.zp4: 01.wav: Read error\n"
         "bank.zp4: 1 written, 0 skipped, 1 failed, 2 not reached; files in out (Read error)\n"},
        {{"--keep-going", "-o", "out", "bank.zp4"},
         {0, 1, 2},
         "unbank: bank.zp4: 01.wav cannot be read whole; its file is removed\n"
         "bank.zp4: 3 written, 0 skipped, 1 failed; files in out (Read error)\n"},
        {{"-k", "-t", "bank.zp4"},
         {},
         "unbank: bank.zp4: 01.wav cannot be read whole: # of 6400 frames readable\n"
         "bank.zp4: 3 of 4 slots read whole, 1 damaged (Read error)\n"},
    };
    for (const DamageCase& damage : damages) {
        write_damaged("bank.zp4", damage);
        for (const Mode& mode : modes) {
            fs::remove_all(join(folder, "out"));
            const std::string context = testing::PrintToString(mode.args) + ", " + damage.reason;
            const ProgramRun run      = unbank(mode.args);
            std::string err           = mode.err;
            if (err.find('#') != std::string::npos)
                err.replace(err.find('#'), 1, std::to_string(damage.readable));
            EXPECT_EQ(run.status, 1) << context;
            EXPECT_EQ(run.err, err) << context;
            for (size_t slot = 0; slot < slots.size(); ++slot) {
                const std::string path = join(folder, std::string("out/") + names[slot]);
                const bool wanted      = std::count(mode.written.begin(), mode.written.end(), slot);
                EXPECT_EQ(exists(path), wanted) << path << ", " << context;
                if (!wanted) continue;
                EXPECT_EQ(read_bytes(path), expected_wav(slots[slot])) << path;
            }
        }
        EXPECT_FALSE(exists(join(folder, "bank"))); // -t made no folder either
    }
}

TEST_F(RescueTest, ListMarksTheDamagedSlotOnly) {
    for (const DamageCase& damage : damages) {
        write_damaged("bank.zp4", damage);
        const ProgramRun run = unbank({"-l", "bank.zp4"});
        EXPECT_EQ(run.status, 0);
        const std::vector<std::string> marked = {std::string("01.wav  damaged: ") + damage.reason};
        std::vector<std::string> found;
        std::istringstream rows(run.out);
        for (std::string row; std::getline(rows, row);)
            if (row.find("damaged") != std::string::npos)
                found.push_back(row.substr(0, 6) + row.substr(row.find("  damaged")));
        EXPECT_EQ(found, marked) << run.out;
    }
    write_bank(folder, "intact.zp4", slots); // slot 1 ends exactly at the end of the file
    EXPECT_EQ(unbank({"-l", "intact.zp4"}).out.find("damaged"), std::string::npos);
}

TEST_F(RescueTest, SeveralBanksEachGoToTheirOwnFolderPastOneThatIsNotABank) {
    const std::vector<BankSlot> a = {mono_slot(3, 500), stereo_slot(1, 200)};
    const std::vector<BankSlot> b = {mono_slot(3, 700)};
    write_bank(folder, "a.zp4", a);
    write_bytes(join(folder, "notes.zp4"), std::vector<uint8_t>(3000, 'x'));
    write_bank(folder, "b.zp4", b);

    const ProgramRun run = unbank({"-o", "out", "a.zp4", "notes.zp4", "b.zp4"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "unbank: notes.zp4: Not ZP-4 file\n"
                       "a.zp4: 2 written, 0 skipped, 0 failed; files in out/a\n"
                       "notes.zp4: Not ZP-4 file\n"
                       "b.zp4: 1 written, 0 skipped, 0 failed; files in out/b\n"
                       "3 banks: 3 written, 0 skipped, 0 failed; 1 bank(s) with errors\n");
    EXPECT_EQ(read_bytes(join(folder, "out/a/03.wav")), expected_wav(a[0]));
    EXPECT_EQ(read_bytes(join(folder, "out/a/01s.wav")), expected_wav(a[1]));
    EXPECT_EQ(read_bytes(join(folder, "out/b/03.wav")), expected_wav(b[0]));
    EXPECT_FALSE(exists(join(folder, "out/notes")));

    // Without -o the folders are made in the current folder; -q leaves stderr empty.
    const ProgramRun quiet = unbank({"-q", "a.zp4", "b.zp4"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(read_bytes(join(folder, "b/03.wav")), expected_wav(b[0]));
}

// 0 when every bank succeeded, else the code of the first bank that failed; -q leaves the
// failures on stderr and drops the summary.
TEST_F(RescueTest, ExitStatusIsTheFirstFailedBanksCode) {
    write_bank(folder, "good.zp4", slots);
    write_damaged("cut.zp4", damages[0]);
    std::vector<uint8_t> empty;
    std::string error;
    ASSERT_TRUE(build_bank({}, empty, error));
    write_bytes(join(folder, "empty.zp4"), empty);

    const struct Case {
        Args args;
        int status;
        std::string err;
    } cases[] = {
        {{"-q", "-y", "good.zp4", "empty.zp4", "cut.zp4"},
         5,
         "unbank: empty.zp4: ZP-4 file has no contents\nunbank: cut.zp4: 01.wav: Read error\n"},
        {{"-q", "-t", "missing.zp4", "cut.zp4"},
         1,
         "unbank: missing.zp4: Read error: No such file or directory\n"
         "unbank: cut.zp4: 01.wav cannot be read whole: 3200 of 6400 frames readable\n"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = unbank(c.args);
        EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args);
        EXPECT_EQ(run.err, c.err) << testing::PrintToString(c.args);
    }
}

} // namespace
