#include "extract_job.h"

#include "bulk_file.h"
#include "job_status.h"
#include "scripted_host.h"
#include "slot_writer.h"
#include "test_banks.h"
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Codes = std::vector<int32_t>;

const std::vector<uint8_t> untouched = {'k', 'e', 'e', 'p'};

class JobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder      = fresh_folder();
        host.folder = join(folder, "out");
        std::filesystem::create_directories(host.folder);
    }

    // Builds the bank, runs the job on it and checks the end step.
    void run(const std::vector<BankSlot>& bank_slots) {
        slots = bank_slots;
        run_job(write_bank(folder, "bank.zp4", slots), host);
        EXPECT_EQ(progress_current.load(), progress_total.load());
        EXPECT_EQ(host.repaints.back(), progress_total.load());
    }

    std::string out(const std::string& name) const { return join(host.folder, name); }
    void plant(const std::string& name) const { write_bytes(out(name), untouched); }
    void expect_written(const std::string& name, size_t slot) const {
        EXPECT_EQ(read_bytes(out(name)), expected_wav(slots[slot])) << name;
    }

    std::string folder;
    ScriptedHost host;
    std::vector<BankSlot> slots;
};

TEST_F(JobTest, WritesEverySlotNamedAfterItMonoFirst) {
    run({mono_slot(0, 100), mono_slot(7, 33), mono_slot(42, 5000), stereo_slot(0, 64),
         stereo_slot(49, 1000)});
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_DONE}));
    const char* names[] = {"00.wav", "07.wav", "42.wav", "00s.wav", "49s.wav"};
    for (size_t i = 0; i < 5; ++i)
        expect_written(names[i], i);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(host.folder), {}), 5);
}

TEST_F(JobTest, ProgressCountsSlotsPlusOne) {
    run({mono_slot(1, 10), mono_slot(2, 10), stereo_slot(3, 10)});
    EXPECT_EQ(host.total_at_start, 4);
    EXPECT_EQ(host.current_at_start, 0);
    // Before the first slot, then once after each slot, then the end step.
    EXPECT_EQ(host.repaints, (Codes{0, 2, 3, 4, 4}));
}

TEST_F(JobTest, FailuresBeforeWritingEndWithoutAFolderPrompt) {
    const std::string not_bank = join(folder, "notes.zp4");
    write_bytes(not_bank, std::vector<uint8_t>(600000, 'x'));
    std::vector<uint8_t> empty;
    std::string error;
    ASSERT_TRUE(build_bank({}, empty, error));
    const std::string empty_bank = join(folder, "empty.zp4");
    write_bytes(empty_bank, empty);

    struct Case {
        std::string path;
        int32_t code;
    } cases[] = {
        {not_bank, JOB_NOT_BULK},
        {empty_bank, JOB_EMPTY},
        {join(folder, "missing.zp4"), JOB_READ_ERROR},
        {folder, JOB_READ_ERROR},
    };
    for (const Case& c : cases) {
        ScriptedHost fresh;
        run_job(c.path, fresh);
        EXPECT_EQ(fresh.codes, Codes{c.code}) << c.path;
        EXPECT_EQ(fresh.folder_prompts, 0);
        EXPECT_EQ(progress_current.load(), progress_total.load());
    }
}

TEST_F(JobTest, DismissedFolderPromptCancelsAndWritesNothing) {
    host.folder_given = false;
    run({mono_slot(0, 10)});
    EXPECT_EQ(host.codes, Codes{JOB_CANCELLED});
    EXPECT_FALSE(exists(out("00.wav")));
}

// An answer concerns only the slot asked about: No, and any value but Yes, Yes to All and
// Cancel (Esc gives 2), skip it; a later slot whose file does not exist is written unasked.
TEST_F(JobTest, EachAnswerConcernsOnlyItsSlot) {
    plant("00.wav");
    plant("01.wav");
    plant("00s.wav");
    host.answers = {REPLY_NO, 2, REPLY_WRITE};
    run({mono_slot(0, 10), mono_slot(1, 10), mono_slot(3, 10), stereo_slot(0, 10)});
    EXPECT_EQ(host.questions, (std::vector<std::string>{"00.wav", "01.wav", "00s.wav"}));
    EXPECT_EQ(read_bytes(out("00.wav")), untouched);
    EXPECT_EQ(read_bytes(out("01.wav")), untouched);
    expect_written("03.wav", 2);
    expect_written("00s.wav", 3);
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_QUESTION, JOB_QUESTION, JOB_QUESTION, JOB_DONE}));
}

TEST_F(JobTest, YesToAllAsksNoMoreInThisJobOnly) {
    plant("00.wav");
    plant("05.wav");
    host.answers = {REPLY_YES_TO_ALL};
    run({mono_slot(0, 10), mono_slot(5, 10)});
    EXPECT_EQ(host.questions.size(), 1u);
    expect_written("00.wav", 0);
    expect_written("05.wav", 1);

    ScriptedHost next;
    next.folder = host.folder;
    run_job(join(folder, "bank.zp4"), next);
    EXPECT_EQ(next.questions, (std::vector<std::string>{"00.wav", "05.wav"}));
}

TEST_F(JobTest, CancelAtAQuestionKeepsEveryFile) {
    plant("02.wav");
    host.answers = {REPLY_ABORT};
    run({mono_slot(1, 10), mono_slot(2, 10), mono_slot(3, 10)});
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_QUESTION, JOB_CANCELLED}));
    expect_written("01.wav", 0);
    EXPECT_EQ(read_bytes(out("02.wav")), untouched);
    EXPECT_FALSE(exists(out("03.wav")));
}

TEST_F(JobTest, AbortBetweenSlotsDeletesNothing) {
    host.on_repaint = [](int32_t current) {
        if (current == 3) reply_state = REPLY_ABORT; // after the second slot
    };
    run({mono_slot(0, 10), mono_slot(1, 10), mono_slot(2, 10)});
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_CANCELLED}));
    expect_written("00.wav", 0);
    expect_written("01.wav", 1);
    EXPECT_FALSE(exists(out("02.wav")));
}

// Abort Convert while 05.wav is written: it is deleted, 00.wav to 04.wav stay.
TEST_F(JobTest, AbortInsideASlotDeletesItsFile) {
    std::thread watcher;
    std::atomic<bool> stop{false};
    const std::string target = out("05.wav");
    host.on_repaint          = [&](int32_t current) {
        if (current != 6) return; // the first five slots are done
        watcher = std::thread([&] {
            std::error_code error;
            while (!stop && (std::filesystem::file_size(target, error) <= 4096 || error)) {
            }
            reply_state = REPLY_ABORT;
        });
    };
    std::vector<BankSlot> bank;
    for (int slot = 0; slot < 5; ++slot)
        bank.push_back(mono_slot(slot, 100));
    bank.push_back(mono_slot(5, 4000000));
    run(bank);
    stop = true;
    if (watcher.joinable()) watcher.join();
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_CANCELLED}));
    EXPECT_FALSE(exists(target));
    for (int slot = 0; slot < 5; ++slot)
        expect_written("0" + std::to_string(slot) + ".wav", slot);
}

TEST_F(JobTest, ReadErrorInsideASlotDeletesItsFile) {
    slots = {mono_slot(0, 64), mono_slot(1, 6400)};
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(build_bank(slots, image, error));
    image.resize(image.size() - 100 * 32); // the last hundred blocks of slot 1 are gone
    const std::string path = join(folder, "cut.zp4");
    write_bytes(path, image);
    run_job(path, host);
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_READ_ERROR}));
    expect_written("00.wav", 0);
    EXPECT_FALSE(exists(out("01.wav")));
}

// Keep-going: every damaged slot is reported and its file deleted, every intact slot after it
// is written, and the job ends with a read error after the last slot.
TEST_F(JobTest, KeepGoingWritesEveryIntactSlotAndEndsWithAReadError) {
    // Slot 1's blocks come last in the file, so cutting the file damages it alone; slot 3's
    // data start lies below the file's first byte.
    slots = {mono_slot(0, 64), mono_slot(2, 64), mono_slot(3, 64), stereo_slot(0, 64),
             mono_slot(1, 6400)};
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(build_bank(slots, image, error));
    image.resize(image.size() - 100 * 32);
    const size_t slot_3_data_start = MONO_DIRECTORY_OFFSET + 3 * MONO_RECORD_BYTES + DATA_START_AT;
    image[slot_3_data_start]       = 0x05; // address 0x05xxxx: a negative file offset
    const std::string path         = join(folder, "damaged.zp4");
    write_bytes(path, image);

    run_job(path, host, JobOptions{true});
    EXPECT_EQ(host.damaged, (std::vector<std::string>{"01.wav", "03.wav"}));
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_READ_ERROR}));
    EXPECT_EQ(host.repaints, (Codes{0, 2, 3, 4, 5, 6, 6})); // damaged slots advance too
    expect_written("00.wav", 0);
    expect_written("02.wav", 1);
    expect_written("00s.wav", 3);
    EXPECT_FALSE(exists(out("01.wav")));
    EXPECT_FALSE(exists(out("03.wav")));
}

// Keep-going concerns read errors only: a write error still ends the job.
TEST_F(JobTest, KeepGoingStillEndsAtAWriteError) {
    // Cannot be opened for writing; only some systems see it as a file that exists.
    std::filesystem::create_directories(out("01.wav"));
    host.answers = {REPLY_WRITE};
    slots        = {mono_slot(0, 10), mono_slot(1, 10), mono_slot(2, 10)};
    run_job(write_bank(folder, "bank.zp4", slots), host, JobOptions{true});
    EXPECT_EQ(host.codes.back(), JOB_WRITE_ERROR);
    EXPECT_TRUE(host.damaged.empty());
    EXPECT_FALSE(exists(out("02.wav")));
}

// Only a file the writer opened is incomplete; what it could not open is still the user's.
TEST_F(JobTest, OutputThatCannotBeOpenedIsNotDeleted) {
    std::filesystem::create_directories(out("05.wav"));
    host.answers = {REPLY_WRITE};
    run({mono_slot(5, 10)});
    EXPECT_EQ(host.codes.back(), JOB_WRITE_ERROR);
    EXPECT_TRUE(std::filesystem::is_directory(out("05.wav")));
}

// A real disk of 2 MiB: the slot that meets its end ends the job with code 2 and its file is
// removed, whether a flush inside the file fails or only the close's flush of a file smaller
// than the buffer; the files before stay whole and none is made after it.
TEST_F(JobTest, FullDiskEndsTheJobAtTheSlotThatMeetsIt) {
    if (!is_small_disk(SMALL_DISK))
        GTEST_SKIP() << SMALL_DISK << " is no 2 MiB disk (mounting one there needs root)";
    const BankSlot first = mono_slot(0, 950000); // 464 of the disk's 512 pages of 4 KiB
    struct Case {
        const char* what;
        std::vector<BankSlot> bank;
    } cases[] = {
        {"the last slot, held in the buffer to its close", {first, mono_slot(1, 113248)}},
        {"a slot larger than the buffer", {first, mono_slot(1, 400000), mono_slot(2, 10)}},
    };
    for (const Case& c : cases) {
        ScriptedHost fresh;
        fresh.folder = join(SMALL_DISK, "job");
        std::filesystem::remove_all(fresh.folder);
        std::filesystem::create_directories(fresh.folder);
        run_job(write_bank(folder, "bank.zp4", c.bank), fresh);
        EXPECT_EQ(fresh.codes, (Codes{JOB_WRITING, JOB_WRITE_ERROR})) << c.what;
        EXPECT_EQ(job_result.error_number, ENOSPC) << c.what;
        EXPECT_EQ(names_in(fresh.folder), std::vector<std::string>{"00.wav"}) << c.what;
        EXPECT_EQ(read_bytes(join(fresh.folder, "00.wav")), expected_wav(first)) << c.what;
    }
}

TEST_F(JobTest, OneTrailingSeparatorIsDropped) {
    host.folder += PATH_SEPARATOR;
    run({mono_slot(9, 10)});
    expect_written("09.wav", 0);
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_DONE}));
}

// The output path holds 259 characters: folder, separator and the longest name of the table.
TEST_F(JobTest, FolderTooLongForTheOutputPathEndsBeforeTheFirstSlot) {
    struct Case {
        size_t folder_length;
        bool stereo;
        Codes codes;
    } cases[] = {
        {252, false, {JOB_WRITING, JOB_WRITE_ERROR}}, // fits; the folder does not exist
        {253, false, {JOB_WRITE_ERROR}},
        {251, true, {JOB_WRITING, JOB_WRITE_ERROR}},
        {252, true, {JOB_WRITE_ERROR}},
    };
    const std::string mono_bank   = write_bank(folder, "mono.zp4", {mono_slot(0, 10)});
    const std::string stereo_bank = write_bank(folder, "stereo.zp4", {stereo_slot(0, 10)});
    for (const Case& c : cases) {
        ScriptedHost fresh;
        fresh.folder = std::string(c.folder_length, 'x');
        run_job(c.stereo ? stereo_bank : mono_bank, fresh);
        EXPECT_EQ(fresh.codes, c.codes) << c.folder_length << (c.stereo ? " stereo" : " mono");
    }
}

// Jobs started back to back each run: a worker lost at its start would never end (seen on
// Windows with a detached std::thread after a few hundred starts).
TEST_F(JobTest, EveryJobStartedRunsToItsEnd) {
    for (int i = 0; i < 2000; ++i) {
        ScriptedHost fresh;
        run_job(join(folder, "missing.zp4"), fresh);
        ASSERT_EQ(fresh.codes, Codes{JOB_READ_ERROR}) << "job " << i;
    }
}

TEST_F(JobTest, StartJobTakesItsOwnCopyOfThePath) {
    std::atomic<bool> dropped{false};
    host.on_folder_prompt = [&] {
        while (!dropped)
            std::this_thread::yield(); // the job is held here until the drop
    };
    const std::string path = write_bank(folder, "bank.zp4", {mono_slot(0, 10)});
    std::snprintf(bulk_path, sizeof bulk_path, "%s", path.c_str());
    start_job(host);
    EXPECT_EQ(busy_flag.load(), 1);
    std::strcpy(bulk_path, "elsewhere.zp4"); // a later drop overwrites the buffer
    dropped = true;
    wait_for_job_end();
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_DONE}));
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

// The whole road from samples to files, compared with the files of a build whose codec met
// every block example: any change to the codec, the bank layout or the writer shows here,
// and the Windows build must give the same bytes.
TEST_F(JobTest, FixedBankExtractsToKnownFiles) {
    run({mono_slot(0, 32000), mono_slot(17, 777), stereo_slot(2, 12345)});
    struct Known {
        const char* name;
        uint64_t hash;
    } known[] = {
        {"00.wav", 1722306750395526473ull},
        {"17.wav", 16321516772802553009ull},
        {"02s.wav", 17527174862561815747ull},
    };
    for (const Known& k : known)
        EXPECT_EQ(fnv1a(read_bytes(out(k.name))), k.hash) << k.name;
}

} // namespace
