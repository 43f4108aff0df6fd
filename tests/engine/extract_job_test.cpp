#include "extract_job.h"

#include "scripted_host.h"
#include "test_banks.h"
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Codes  = std::vector<int32_t>;
using Names  = std::vector<std::string>;

// How a case's bank is made from its catalogue slots, laid out in the order given. Cut drops
// the file's last 100 blocks, all the last slot's; CutAndPoked also points mono slot 3's data
// below the file's start.
enum class Bank { Intact, Cut, CutAndPoked, NotBank, Empty, Missing, Folder };

class JobTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(host.folder = join(folder, "out")); }

    // Runs the job on the bank and checks its end step: the counters full and repainted.
    void run(Bank bank, const Names& slots, bool keep_going = false) {
        const std::string path = join(folder, "bank.zp4");
        Bytes image            = bank == Bank::Empty     ? empty_bank()
                                 : bank == Bank::NotBank ? Bytes(600000, 'x')
                                                         : bank_image(known_slots(slots));
        if (bank == Bank::Cut || bank == Bank::CutAndPoked) image.resize(image.size() - 100 * 32);
        if (bank == Bank::CutAndPoked) poke_negative_data_start(image, 3);
        if (bank == Bank::Folder) fs::create_directories(path);
        if (bank != Bank::Folder && bank != Bank::Missing) write_bytes(path, image);
        run_job(path, host, JobOptions{keep_going});
        EXPECT_EQ(host.repaints.back(), progress_current.load());
        EXPECT_EQ(progress_current.load(), progress_total.load());
    }

    const std::string folder     = fresh_folder();
    const std::thread::id caller = std::this_thread::get_id();
    ScriptedHost host;
};

struct JobCase {
    const char* name;
    Names slots, before; // the bank's; planted in the output folder beforehand
    Codes answers, codes;
    Names asked;       // the names the questions show
    const char* after; // folder_contents of the output folder
    Codes counts;      // the slots written, skipped and failed
    Bank bank        = Bank::Intact;
    bool keep_going  = false;
    Names damaged    = {}; // the slots a keep-going job reports
    Codes repaints   = {}; // progress_current at each repaint, where the case looks at it
    int32_t abort_at = -1; // Abort Convert at the repaint of this progress_current
};

// clang-format off
const JobCase JOB_CASES[] = {
    // Files around the writer's runs of 8192 frames, an empty slot, stereo files on both sides of a
    // block. Temporary files a stopped run left are replaced and renamed away.
    {"EverySlotIsWrittenUnderItsNameMonoFirst", {"42.wav", "00s.wav", "01.wav", "02.wav", "01s.wav", "03.wav",
     "04.wav", "05.wav", "06.wav", "03s.wav", "07.wav", "49s.wav", "00.wav"}, {"00.tmp", "49s.tmp"}, {},
     {JOB_WRITING, JOB_DONE}, {}, "00.wav* 00s.wav* 01.wav* 01s.wav* 02.wav* 03.wav* 03s.wav* 04.wav* 05.wav* "
     "06.wav* 07.wav* 42.wav* 49s.wav*", {13, 0, 0}, Bank::Intact, false, {}, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 14}},
    // No, and any value but Yes, Yes to All and Cancel (Esc gives 2), skip the slot asked about.
    {"EachAnswerConcernsOnlyItsSlot", {"00.wav", "01.wav", "03.wav", "00s.wav"},
     {"00.wav", "01.wav", "00s.wav"}, {REPLY_NO, 2, REPLY_WRITE},
     {JOB_WRITING, JOB_QUESTION, JOB_QUESTION, JOB_QUESTION, JOB_DONE},
     {"00.wav", "01.wav", "00s.wav"}, "00.wav 00s.wav* 01.wav 03.wav*", {2, 2, 0}, Bank::Intact, false, {}, {0, 2, 3, 4, 5, 5}},
    {"YesToAllAsksNoMore", {"00.wav", "05.wav", "07.wav"}, {"00.wav", "05.wav"}, {REPLY_YES_TO_ALL},
     {JOB_WRITING, JOB_QUESTION, JOB_DONE}, {"00.wav"}, "00.wav* 05.wav* 07.wav*", {3, 0, 0}},
    // Cancel is no skip: the counts stop at the slots before it.
    {"CancelAtAQuestionKeepsEveryFile", {"00.wav", "01.wav", "02.wav", "03.wav"}, {"01.wav", "02.wav"},
     {REPLY_NO, REPLY_ABORT}, {JOB_WRITING, JOB_QUESTION, JOB_QUESTION, JOB_CANCELLED}, {"01.wav", "02.wav"},
     "00.wav* 01.wav 02.wav", {1, 1, 0}},
    {"NotABank",          {}, {}, {}, {JOB_NOT_BULK},   {}, "", {0, 0, 0}, Bank::NotBank},
    {"EmptyBank",         {}, {}, {}, {JOB_EMPTY},      {}, "", {0, 0, 0}, Bank::Empty},
    {"MissingBank",       {}, {}, {}, {JOB_READ_ERROR}, {}, "", {0, 0, 0}, Bank::Missing},
    {"BankThatIsAFolder", {}, {}, {}, {JOB_READ_ERROR}, {}, "", {0, 0, 0}, Bank::Folder},
    // The slot that cannot be read whole was to replace an earlier file: that file stays.
    {"ReadErrorInsideASlotKeepsTheEarlierFile", {"00.wav", "01.wav", "02.wav"}, {"02.wav"}, {REPLY_WRITE},
     {JOB_WRITING, JOB_QUESTION, JOB_READ_ERROR}, {"02.wav"}, "00.wav* 01.wav* 02.wav", {2, 0, 1}, Bank::Cut},
    {"KeepGoingWritesEveryIntactSlotThenEndsWithAReadError", {"00.wav", "02.wav", "03.wav", "00s.wav", "01.wav"},
     {}, {}, {JOB_WRITING, JOB_READ_ERROR}, {}, "00.wav* 00s.wav* 02.wav*", {3, 0, 2}, Bank::CutAndPoked, true,
     {"01.wav", "03.wav"}, {0, 2, 3, 4, 5, 6, 6}},
    // Abort Convert once two slots are done: the third is not begun.
    {"AbortBetweenSlotsEndsTheJob", {"00.wav", "07.wav", "05.wav"}, {}, {}, {JOB_WRITING, JOB_CANCELLED}, {},
     "00.wav* 05.wav*", {2, 0, 0}, Bank::Intact, false, {}, {}, 3},
};
// clang-format on

class JobRules : public JobTest, public ::testing::WithParamInterface<JobCase> {};

TEST_P(JobRules, Run) {
    const JobCase& c = GetParam();
    for (const std::string& name : c.before)
        plant(join(host.folder, name));
    host.answers    = c.answers;
    host.on_repaint = [&](int32_t current) {
        if (current == c.abort_at) reply_state = REPLY_ABORT;
    };
    run(c.bank, c.slots, c.keep_going);
    EXPECT_EQ(host.codes, c.codes);
    EXPECT_EQ(host.questions, c.asked);
    EXPECT_EQ(folder_contents(host.folder), c.after);
    EXPECT_EQ(Codes({job_result.written, job_result.skipped, job_result.failed}), c.counts);
    EXPECT_EQ(host.damaged, c.damaged);
    EXPECT_EQ(host.folder_prompts, c.codes[0] == JOB_WRITING); // none for a failed bank
    EXPECT_TRUE(c.repaints.empty() || host.repaints == c.repaints);
}

INSTANTIATE_TEST_SUITE_P(Cases, JobRules, ::testing::ValuesIn(JOB_CASES),
                         [](const auto& row) { return std::string(row.param.name); });

// The output path holds 259 characters: the folder, a separator and the longest name, the last
// slot's. Where it fits, the folder (relative to the working folder) does not exist. A
// dismissed prompt cancels; one trailing separator is dropped.
TEST_F(JobTest, FolderPromptAndThePathBound) {
    const std::string x(251, 'x');
    const std::tuple<std::string, Names, Codes> cases[] = {
        {"", {"00.wav"}, {JOB_CANCELLED}},
        {x + "x", {"00.wav"}, {JOB_WRITING, JOB_WRITE_ERROR}},
        {x + "xx", {"00.wav"}, {JOB_WRITE_ERROR}},
        {x, {"00s.wav"}, {JOB_WRITING, JOB_WRITE_ERROR}},
        {x + "x", {"00s.wav"}, {JOB_WRITE_ERROR}},
        {x + "x", {"00.wav", "00s.wav"}, {JOB_WRITE_ERROR}},
        {host.folder + PATH_SEPARATOR, {"07.wav"}, {JOB_WRITING, JOB_DONE}},
    };
    for (const auto& [chosen, slots, codes] : cases) {
        ScriptedHost fresh;
        fresh.folder = chosen;
        run_job(write_bank(folder, "bank.zp4", known_slots(slots)), fresh);
        EXPECT_EQ(fresh.codes, codes) << chosen.size() << " " << slots.back();
        EXPECT_TRUE(codes.size() > 1 || codes[0] == JOB_CANCELLED ||
                    job_result.error_number == ENAMETOOLONG);
    }
    EXPECT_EQ(folder_contents(host.folder), "07.wav*");
}

// Chosen slots alone are the job's, counted and named with the prefix; the prefix takes its
// room from the folder's. None of the chosen in the bank: code 5 and no prompt.
TEST_F(JobTest, ChosenSlotsUnderAPrefix) {
    const std::string x(250, 'x'); // with "p-00.wav", 259 characters
    const std::tuple<std::string, std::vector<int>, Codes, const char*> cases[] = {
        {host.folder, {7, 100}, {JOB_WRITING, JOB_DONE}, "p-00s.wav* p-07.wav*"},
        {host.folder, {3}, {JOB_EMPTY}, ""},
        {x, {0}, {JOB_WRITING, JOB_WRITE_ERROR}, ""},
        {x + "x", {0}, {JOB_WRITE_ERROR}, ""},
    };
    for (const auto& [chosen_folder, ids, codes, after] : cases) {
        ScriptedHost fresh;
        fresh.folder       = chosen_folder;
        JobOptions options = {};
        options.every_slot = false;
        for (const int id : ids)
            options.chosen[id] = true;
        std::snprintf(options.name_prefix, PATH_BYTES, "p-");
        run_job(write_bank(folder, "bank.zp4", known_slots({"00.wav", "07.wav", "00s.wav"})), fresh,
                options);
        EXPECT_EQ(fresh.codes, codes) << ids[0];
        EXPECT_EQ(folder_contents(host.folder), after) << ids[0];
        EXPECT_EQ(fresh.folder_prompts, ids[0] != 3);
        if (codes.back() == JOB_DONE) {
            EXPECT_EQ(progress_total.load(), 3);
            EXPECT_EQ(job_result.outcomes[7], SLOT_WRITTEN);
            EXPECT_EQ(job_result.outcomes[0], SLOT_NOT_REACHED);
        }
        fs::remove_all(host.folder);
        fs::create_directories(host.folder);
    }
}

// A folder where a file goes cannot be replaced (only some systems take it for a file that
// exists, and ask), nor can a read-only file: either ends even a keep-going job with the
// system's reason, and stays as it was.
TEST_F(JobTest, OutputThatCannotBeReplacedEndsTheJobAndStays) {
    for (const bool read_only : {false, true}) {
        ScriptedHost fresh;
        fs::create_directories(fresh.folder = join(folder, read_only ? "read-only" : "folder"));
        const std::string earlier = join(fresh.folder, "01.wav");
        if (read_only) {
            plant(earlier);
            fs::permissions(earlier,
                            fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                               fs::perms::others_write));
        } else {
            fs::create_directories(earlier);
        }
        fresh.answers = {REPLY_WRITE};
        run_job(write_bank(folder, "bank.zp4", known_slots({"00.wav", "01.wav", "02.wav"})), fresh,
                JobOptions{true});
        EXPECT_EQ(fresh.codes.back(), JOB_WRITE_ERROR);
        // The folder's reason differs between systems; a read-only file's does not.
        EXPECT_TRUE(read_only ? job_result.error_number == EACCES : job_result.error_number != 0)
            << job_result.error_number;
        EXPECT_EQ(folder_contents(fresh.folder), read_only ? "00.wav* 01.wav" : "00.wav* 01.wav/");
        fs::permissions(earlier, fs::perms::owner_write, fs::perm_options::add); // to clean up
    }
}

// A real disk of 2 MiB: the slot that meets its end ends the job with code 2 and its temporary
// file goes, whether it is the last slot, held in the buffer until its close, or a slot larger
// than the buffer with another after it. The earlier file it was to replace stays. The first
// slot takes 464 of the disk's 512 pages.
TEST_F(JobTest, FullDiskEndsTheJobAtTheSlotThatMeetsIt) {
    if (!is_small_disk(SMALL_DISK))
        GTEST_SKIP() << SMALL_DISK << " is no 2 MiB disk (mounting one there needs root)";
    for (const bool last : {true, false}) {
        std::vector<BankSlot> slots = known_slots({"90.wav"});
        slots.push_back(mono_slot(91, last ? 113248 : 400000));
        if (!last) slots.push_back(mono_slot(92, 10));
        ScriptedHost fresh;
        fs::remove_all(fresh.folder = join(SMALL_DISK, "job"));
        fs::create_directories(fresh.folder);
        plant(join(fresh.folder, "91.wav"));
        fresh.answers = {REPLY_WRITE};
        run_job(write_bank(folder, "bank.zp4", slots), fresh);
        EXPECT_EQ(fresh.codes, (Codes{JOB_WRITING, JOB_QUESTION, JOB_WRITE_ERROR})) << last;
        EXPECT_EQ(job_result.error_number, ENOSPC);
        EXPECT_EQ(folder_contents(fresh.folder), "90.wav* 91.wav");
    }
}

// A host that cannot start threads has the job run where it calls, with its options: every
// report comes on the calling thread, and the job has ended when the call returns.
TEST_F(JobTest, RunsOnTheCallingThreadToo) {
    Bytes image = bank_image(known_slots({"00.wav", "03.wav", "00s.wav"}));
    poke_negative_data_start(image, 3);
    write_bytes(join(folder, "bank.zp4"), image);
    std::snprintf(bulk_path, sizeof bulk_path, "%s", join(folder, "bank.zp4").c_str());
    bool elsewhere  = false;
    host.on_repaint = [&](int32_t) { elsewhere |= std::this_thread::get_id() != caller; };
    run_job_on_calling_thread(host, JobOptions{true});
    EXPECT_EQ(busy_flag.load(), 0);
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(host.codes, (Codes{JOB_WRITING, JOB_READ_ERROR}));
    EXPECT_EQ(host.damaged, Names{"03.wav"});
    EXPECT_EQ(folder_contents(host.folder), "00.wav* 00s.wav*");
}

// A worker lost at its start would never end (seen on Windows with a detached std::thread
// after a few hundred starts).
TEST_F(JobTest, EveryJobStartedRunsToItsEnd) {
    for (int i = 0; i < 2000; ++i) {
        ScriptedHost fresh;
        run_job(join(folder, "missing.zp4"), fresh);
        ASSERT_EQ(fresh.codes, Codes{JOB_READ_ERROR}) << "job " << i;
    }
}

} // namespace
