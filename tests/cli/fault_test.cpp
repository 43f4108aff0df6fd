// unbank under injected faults: failing writes, unusable folders, damaged banks and Ctrl+C.
// Whatever happens it ends with the job's code, leaves no incomplete file and writes nothing
// outside its folder.
#include "block_format.h"
#include "run_program.h"
#include "test_banks.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

namespace fs = std::filesystem;
using Args   = std::vector<std::string>;
using Names  = std::set<std::string>;

// Mono slots 0 and 1 and stereo slot 2, in that order in the file.
const std::vector<BankSlot> three_slots = {mono_slot(0, 1000), mono_slot(1, 100000),
                                           stereo_slot(2, 3000)};
const char* const three_names[]         = {"00.wav", "01.wav", "02s.wav"};

size_t channel_bytes(const BankSlot& slot) {
    return (slot.left.size() + BLOCK_SAMPLES - 1) / BLOCK_SAMPLES * BLOCK_BYTES;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = fresh_folder(); }

    ProgramRun unbank(const Args& args) { return run_program(UNBANK_PATH, args, folder); }

    // Every file and folder under the test's folder, relative to it.
    Names everything() const {
        Names names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            names.insert(fs::relative(entry.path(), folder).string());
        return names;
    }

    // The slot files of out/ that are present must equal what the slots decode to.
    void expect_complete_or_absent(const std::vector<BankSlot>& slots, const char* const* names) {
        for (size_t i = 0; i < slots.size(); ++i) {
            const std::string file = join(join(folder, "out"), names[i]);
            if (exists(file)) {
                EXPECT_EQ(read_bytes(file), expected_wav(slots[i])) << names[i];
            }
        }
    }

    std::string folder;
};

TEST_F(FaultTest, WriteFailingPartWayExits2AndRemovesOnlyThatFile) {
    write_bank(folder, "bank.zp4", three_slots);
    fs::create_directories(join(folder, "out"));
    fs::create_symlink("/dev/full", join(folder, "out/01.wav"));
    const ProgramRun full = unbank({"-q", "-y", "-o", "out", "bank.zp4"});
    EXPECT_EQ(full.status, 2) << full.err;
    EXPECT_NE(full.err.find("01.wav: Write error: No space left on device"), std::string::npos);
    EXPECT_TRUE(fs::is_character_file("/dev/full")); // the link went, not what it named
    EXPECT_EQ(everything(), (Names{"bank.zp4", "out", "out/00.wav"}));

    fs::remove_all(join(folder, "out"));
    // 64 KiB: slot 1's file fails after its header and part of its samples.
    const ProgramRun limited = run_program(
        "/usr/bin/prlimit", {"--fsize=65536", UNBANK_PATH, "-q", "-o", "out", "bank.zp4"}, folder);
    EXPECT_EQ(limited.status, 2) << limited.err;
    EXPECT_NE(limited.err.find("01.wav: Write error: File too large"), std::string::npos);
    EXPECT_EQ(everything(), (Names{"bank.zp4", "out", "out/00.wav"}));
    expect_complete_or_absent(three_slots, three_names);
}

// Root may write into any folder whatever its mode, so the unusable folders are ones that no
// mode governs: a folder of /proc, which takes no new files, and a file where a folder goes.
TEST_F(FaultTest, FolderThatTakesNoFilesExits2AndWritesNothing) {
    write_bank(folder, "bank.zp4", three_slots);
    for (const char* out : {"/proc/self", "bank.zp4", "bank.zp4/sub"}) {
        const ProgramRun run = unbank({"-q", "-o", out, "bank.zp4"});
        EXPECT_EQ(run.status, 2) << out;
        EXPECT_EQ(everything(), Names{"bank.zp4"}) << out;
    }
}

// The longest output path, folder + separator + "00s.wav", must fit 259 characters.
TEST_F(FaultTest, FolderLengthAtTheLimitOfTheOutputPath) {
    const std::vector<BankSlot> mono = {mono_slot(4, 100)};
    const std::vector<BankSlot> both = {mono_slot(4, 100), stereo_slot(4, 100)};
    write_bank(folder, "mono.zp4", mono);
    write_bank(folder, "both.zp4", both);
    struct Case {
        size_t length;
        const char* bank;
        int status;
    } cases[] = {
        {251, "mono.zp4", 0}, {252, "mono.zp4", 0}, {253, "mono.zp4", 2},
        {251, "both.zp4", 0}, {252, "both.zp4", 2}, {253, "both.zp4", 2},
    };
    for (const Case& c : cases) {
        const std::string out(c.length, 'f');
        const ProgramRun run = unbank({"-q", "-o", out, c.bank});
        EXPECT_EQ(run.status, c.status) << c.length << " " << c.bank;
        const bool stereo = std::string(c.bank) == "both.zp4";
        Names expected{"mono.zp4", "both.zp4", out};
        if (c.status == 0) expected.insert(out + "/04.wav");
        if (c.status == 0 && stereo) expected.insert(out + "/04s.wav");
        EXPECT_EQ(everything(), expected) << c.length << " " << c.bank;
        if (c.status == 0) {
            EXPECT_EQ(read_bytes(join(join(folder, out), "04.wav")), expected_wav(mono[0]));
        }
        fs::remove_all(join(folder, out));
    }
}

TEST_F(FaultTest, BankEndingInsideASlotKeepsTheSlotsBeforeIt) {
    const std::string bank           = write_bank(folder, "bank.zp4", three_slots);
    const std::vector<uint8_t> whole = read_bytes(bank);
    const size_t slot1               = FIRST_DATA_OFFSET + channel_bytes(three_slots[0]);
    const size_t slot2               = slot1 + channel_bytes(three_slots[1]);
    struct Case {
        const char* what;
        size_t length;
        Names left;
    } cases[] = {
        {"in the middle of slot 1", slot1 + 1000, {"out", "out/00.wav"}},
        {"where slot 2 begins", slot2, {"out", "out/00.wav", "out/01.wav"}},
        {"inside the last block", whole.size() - 16, {"out", "out/00.wav", "out/01.wav"}},
    };
    for (const Case& c : cases) {
        write_bytes(bank, std::vector<uint8_t>(whole.begin(), whole.begin() + long(c.length)));
        const ProgramRun run = unbank({"-q", "-o", "out", "bank.zp4"});
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_NE(run.err.find("Read error"), std::string::npos) << c.what;
        Names expected = c.left;
        expected.insert("bank.zp4");
        EXPECT_EQ(everything(), expected) << c.what;
        expect_complete_or_absent(three_slots, three_names);
        fs::remove_all(join(folder, "out"));
    }
}

// Waits until path exists and holds at least size bytes; false after 30 s.
bool wait_for_file(const std::string& path, uintmax_t size) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::error_code error;
    while (std::chrono::steady_clock::now() < give_up) {
        const uintmax_t now = fs::file_size(path, error);
        if (!error && now >= size) return true;
    }
    return false;
}

// Ctrl+C as each of the first three slots' files appears, once its header is out, and halfway
// through it. The signal lands a moment after the test sees the file, so the slot in progress
// may be a later one, but never the long last one; the files left must be the slots finished
// before it, each whole.
TEST_F(FaultTest, InterruptAnywhereLeavesOnlyWholeFiles) {
    const std::vector<BankSlot> slots = {mono_slot(0, 1000000), mono_slot(1, 1000000),
                                         mono_slot(2, 1000000), mono_slot(3, 4000000)};
    const char* const names[]         = {"00.wav", "01.wav", "02.wav", "03.wav"};
    write_bank(folder, "bank.zp4", slots);
    for (size_t slot = 0; slot < 3; ++slot) {
        for (uintmax_t size : {uintmax_t(0), uintmax_t(44), uintmax_t(1000000)}) {
            const std::string target = join(join(folder, "out"), names[slot]);
            const int pid   = start_program(UNBANK_PATH, {"-q", "-o", "out", "bank.zp4"}, folder);
            const bool seen = wait_for_file(target, size);
            kill(pid, SIGINT);
            EXPECT_TRUE(seen) << names[slot] << " at " << size;
            EXPECT_EQ(wait_program(pid), 6) << names[slot] << " at " << size;

            size_t finished = 0;
            while (finished < slots.size() && exists(join(join(folder, "out"), names[finished])))
                ++finished;
            EXPECT_GE(finished, slot) << names[slot] << " at " << size;
            EXPECT_LT(finished, slots.size()) << names[slot] << " at " << size;
            Names expected{"bank.zp4", "out"};
            for (size_t before = 0; before < finished; ++before)
                expected.insert(std::string("out/") + names[before]);
            EXPECT_EQ(everything(), expected) << names[slot] << " at " << size;
            expect_complete_or_absent(slots, names);
            fs::remove_all(join(folder, "out"));
        }
    }
}

} // namespace
