// unbank as a process, for what only a process shows. The program is the native build's
// unbank, the command UNBANK_COMMAND gives (the ARM build's unbank behind qemu-user), or the
// Windows build's unbank.exe that UNBANK_EXE names, run through Wine: its arguments then take
// backslashes, and its output comes back with '/' and plain line ends, so that one table
// serves the four programs.
#include "run_program.h"
#include "test_banks.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const windows_unbank = getenv("UNBANK_EXE");
const char* const unbank_command = getenv("UNBANK_COMMAND"); // words parted by spaces

// The command that runs the unbank under test with args, behind a runner (prlimit) if given.
Command unbank(Command args, Command command = {}) {
    if (windows_unbank) {
        for (std::string& arg : args)
            std::replace(arg.begin(), arg.end(), '/', '\\');
        command.insert(command.end(), {"sh", WINE_RUN, windows_unbank});
    } else if (unbank_command) {
        std::istringstream words(unbank_command);
        for (std::string word; words >> word;)
            command.push_back(word);
    } else {
        command.push_back(UNBANK_PATH);
    }
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

// Runs the unbank under test in folder; once more where Wine's client lost its server before
// unbank ran ("wine client error: ... Connection reset by peer"), as a loaded machine sees.
ProgramRun run_unbank(const Command& args, const std::string& folder) {
    ProgramRun run = run_program(unbank(args), folder);
    if (windows_unbank && run.err.rfind("wine client error", 0) == 0)
        run = run_program(unbank(args), folder);
    return run;
}

std::string as_host_text(std::string text) {
    if (!windows_unbank) return text;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// The banks a case may name: bank.zp4, of 07.wav, its copy -dash.zp4, another copy in
// coll/sub/x.zp4 and two named in Japanese and with an accent in 名前; damaged.zp4, whose mono slot
// 5 starts below the file and whose last slot, 03s.wav, lost its last 100 right blocks; empty.zp4;
// and notes.zp4, no bank.
std::string make_banks() {
    const std::string folder = fresh_folder();
    write_bank(folder, "bank.zp4", known_slots({"07.wav"}));
    fs::copy(join(folder, "bank.zp4"), join(folder, "-dash.zp4"));
    fs::create_directories(join(folder, "coll/sub"));
    fs::copy(join(folder, "bank.zp4"), join(folder, "coll/sub/x.zp4"));
    fs::create_directories(join(folder, "名前"));
    for (const char* name : {"名前/ドラム.zp4", "名前/Bässe.zp4"})
        fs::copy(join(folder, "bank.zp4"), join(folder, name));
    Bytes damaged = bank_image(known_slots({"00.wav", "05.wav", "07.wav", "00s.wav", "03s.wav"}));
    damaged.resize(damaged.size() - 100 * 32);
    poke_negative_data_start(damaged, 5);
    write_bytes(join(folder, "damaged.zp4"), damaged);
    write_bytes(join(folder, "empty.zp4"), empty_bank());
    write_bytes(join(folder, "notes.zp4"), Bytes(1000, 'x'));
    return folder;
}

const std::string HINT    = "Try 'unbank --help' for more information.\n";
const std::string DAMAGED = "unbank: damaged.zp4: ";

// clang-format off
const struct RunCase {
    const char* name;
    std::vector<std::string> before, args; // files planted first; the command line
    int status;
    std::string out, err; // out exactly, or up to a closing "..."
    const char* after;    // folder_contents
} RUN_CASES[] = {
    {"FolderNamedAfterTheBank", {}, {"bank.zp4"}, 0, "", "bank.zp4: 1 written, 0 skipped, 0 failed; files in bank\n", "bank/07.wav*"},
    {"CombinedOptions", {}, {"-qyk", "-oo2", "bank.zp4"}, 0, "", "", "o2/07.wav*"},
    {"LongOptionPrefixesAfterTheBank", {}, {"bank.zp4", "--qu", "--output=o3"}, 0, "", "", "o3/07.wav*"},
    {"DoubleDashEndsTheOptions", {}, {"-qo", "o4", "--", "-dash.zp4"}, 0, "", "", "o4/07.wav*"},
    {"Help", {}, {"--help"}, 0, "usage: unbank [options] BANK.zp4...\n...", "", ""},
    {"NoBank", {}, {}, 64, "", "unbank: no bank given\n" + HINT, ""},
    {"UnknownOption", {}, {"-qx", "a.zp4"}, 64, "", "unbank: unknown option -x\n" + HINT, ""},
    {"ValueForAFlag", {}, {"--yes=1", "a.zp4"}, 64, "", "unbank: option --yes takes no value\n" + HINT, ""},
    {"MissingFolder", {}, {"a.zp4", "-o"}, 64, "", "unbank: missing folder after -o\n" + HINT, ""},
    {"YesAndNo", {}, {"-yn", "a.zp4"}, 64, "", "unbank: -y and -n exclude each other\n" + HINT, ""},
    {"TwoBanksOneFolder", {}, {"-o", "o", "a/x.zp4", "b/x.zp4"}, 64, "", "unbank: two banks would share the folder o/x\n" + HINT, ""},
    // A lone bank's failure is said once, with the system's reason where there is one.
    {"MissingBank", {}, {"missing.zp4"}, 1, "", "unbank: missing.zp4: Read error: No such file or directory\n", ""},
    {"FileWhereTheFolderGoes", {}, {"-o", "notes.zp4/o", "bank.zp4"}, 2, "",
     "unbank: bank.zp4: folder notes.zp4/o: Write error: Not a directory\n", ""},
    {"ExistingFileWithoutATerminalIsSkipped", {"bank/07.wav"}, {"bank.zp4"}, 0, "",
     "07.wav exists, skipped (use -y to overwrite)\nbank.zp4: 0 written, 1 skipped, 0 failed; files in bank\n", "bank/07.wav"},
    {"NoClobberSkipsQuietly", {"o/07.wav"}, {"-n", "-o", "o", "bank.zp4"}, 0, "",
     "bank.zp4: 0 written, 1 skipped, 0 failed; files in o\n", "o/07.wav"},
    {"YesOverwrites", {"o/07.wav"}, {"--yes", "-qo", "o", "bank.zp4"}, 0, "", "", "o/07.wav*"},
    {"DamagedSlotEndsTheBank", {}, {"-o", "o", "damaged.zp4"}, 1, "", DAMAGED + "05.wav: Read error\n"
     "damaged.zp4: 1 written, 0 skipped, 1 failed, 3 not reached; files in o (Read error)\n", "o/00.wav*"},
    {"KeepGoingPassesDamagedSlots", {}, {"--keep-going", "-o", "o", "damaged.zp4"}, 1, "",
     DAMAGED + "05.wav cannot be read whole; its file is not written\n" + DAMAGED + "03s.wav cannot be read whole; "
     "its file is not written\ndamaged.zp4: 3 written, 0 skipped, 2 failed; files in o (Read error)\n", "o/00.wav* o/00s.wav* o/07.wav*"},
    {"TestWritesNothing", {}, {"-t", "damaged.zp4"}, 1, "", DAMAGED + "05.wav cannot be read whole: 0 of 33 frames readable\n" +
     DAMAGED + "03s.wav cannot be read whole: 5024 of 8193 frames readable\ndamaged.zp4: 3 of 5 slots read whole, 2 damaged (Read error)\n", ""},
    {"ListMarksDamagedSlots", {}, {"--list", "damaged.zp4"}, 0,
     "00.wav   mono         100 frames    0.003 s  data at 0x080fc0\n"
     "05.wav   mono          33 frames    0.001 s  data at -0x00efc0  damaged: negative data offset\n"
     "07.wav   mono          10 frames    0.000 s  data at 0x081080\n"
     "00s.wav  stereo        64 frames    0.002 s  data at 0x0810a0\n"
     "03s.wav  stereo      8193 frames    0.256 s  data at 0x081120  damaged: data outside the file\n", "", ""},
    {"SeveralBanks", {}, {"-o", "o", "bank.zp4", "notes.zp4", "empty.zp4"}, 3, "",
     "unbank: notes.zp4: Not ZP-4 file\nunbank: empty.zp4: ZP-4 file has no contents\nbank.zp4: 1 written, 0 skipped, "
     "0 failed; files in o/bank\nnotes.zp4: Not ZP-4 file\nempty.zp4: ZP-4 file has no contents\n3 banks: 1 written, "
     "0 skipped, 0 failed; 2 bank(s) with errors\n", "o/bank/07.wav*"},
    {"SeveralBanksQuietly", {}, {"-q", "--", "bank.zp4", "-dash.zp4"}, 0, "", "", "-dash/07.wav* bank/07.wav*"},
    // A folder of banks comes out mirrored, and only into a folder of its own.
    {"FolderOfBanksIsMirrored", {}, {"-qo", "o", "coll"}, 0, "", "", "o/sub/x/07.wav*"},
    {"ListWalksAFolder", {}, {"-l", "coll"}, 0, "coll/sub/x.zp4:\n07.wav ...", "", ""},
    {"FolderNeedsAnOutputFolder", {}, {"coll"}, 64, "", "unbank: a folder of banks needs -o DIR for their files: coll\n" + HINT, ""},
    {"FolderWithoutBanks", {"none/notes"}, {"-o", "o", "none"}, 1, "", "unbank: no .zp4 file in none\n", "none/notes"},
    // Names in any script, on Windows too, where the console shows them as typed.
    {"NamesInAnyScriptListed", {}, {"-l", "名前/ドラム.zp4"}, 0, "07.wav   mono ...", "", ""},
    {"NamesInAnyScriptTested", {}, {"-t", "名前/ドラム.zp4", "名前/Bässe.zp4"}, 0, "", "名前/ドラム.zp4: 1 of 1 slots read "
     "whole, 0 damaged\n名前/Bässe.zp4: 1 of 1 slots read whole, 0 damaged\n2 banks: 2 slots read whole, 0 damaged; 0 "
     "bank(s) with errors\n", ""},
    {"NamesInAnyScriptWalkedAndWritten", {}, {"-o", "出力", "名前"}, 0, "", "名前/Bässe.zp4: 1 written, 0 skipped, 0 failed; "
     "files in 出力/Bässe\n名前/ドラム.zp4: 1 written, 0 skipped, 0 failed; files in 出力/ドラム\n2 banks: 2 written, 0 "
     "skipped, 0 failed; 0 bank(s) with errors\n", "出力/Bässe/07.wav* 出力/ドラム/07.wav*"},
    // Chosen slots alone are done and counted; a bank without one of them says so and ends with 5.
    {"ChosenSlotsOfSeveralBanks", {}, {"-s", "07", "--slot=00s.wav", "-o", "o", "bank.zp4", "damaged.zp4"}, 5, "",
     "unbank: bank.zp4: no slot 00s.wav in this bank\nbank.zp4: 1 written, 0 skipped, 0 failed; files in o/bank "
     "(ZP-4 file has no contents)\ndamaged.zp4: 2 written, 0 skipped, 0 failed; files in o/damaged\n2 banks: 3 written, "
     "0 skipped, 0 failed; 1 bank(s) with errors\n", "o/bank/07.wav* o/damaged/00s.wav* o/damaged/07.wav*"},
    {"ChosenSlotsListed", {}, {"-l", "-s", "05s,07.wav", "damaged.zp4"}, 5,
     "07.wav   mono          10 frames    0.000 s  data at 0x081080\n", "unbank: damaged.zp4: no slot 05s.wav in this bank\n", ""},
    {"NoSuchSlotName", {}, {"-s", "07,50s", "bank.zp4"}, 64, "", "unbank: no slot is named '50s' (03, 03.wav, 05s, 05s.wav)\n" + HINT, ""},
    {"StdoutNeedsOneSlot", {}, {"-c", "-s", "00,07", "bank.zp4"}, 64, "", "unbank: -c needs one slot named with -s\n" + HINT, ""},
    {"StdoutTakesOneBank", {}, {"-cs07", "coll", "bank.zp4"}, 64, "", "unbank: -c takes one bank\n" + HINT, ""},
    {"StdoutCutShort", {}, {"-c", "-s", "03s", "damaged.zp4"}, 1, "", // it failed within the buffer
     DAMAGED + "03s.wav: Read error; the file on standard output is cut short\n", ""},
    // Flat names carry the bank's path below the folder walked; names shared regardless of case
    // are refused before anything is written.
    {"FlatFolderTakesEveryBank", {}, {"--flat", "-qo", "o", "bank.zp4", "coll"}, 0, "", "", "o/bank-07.wav* o/sub-x-07.wav*"},
    {"FlatNeedsAFolder", {}, {"--flat", "bank.zp4"}, 64, "", "unbank: --flat needs -o DIR\n" + HINT, ""},
    {"FlatNamesCollide", {}, {"--flat", "-o", "o", "bank.zp4", "Sub-X.zp4", "coll"}, 64, "",
     "unbank: banks Sub-X.zp4 and coll/sub/x.zp4 would share file names in o\n" + HINT, ""},
};
// clang-format on

class UnbankTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(UnbankTest, Run) {
    const RunCase& c         = GetParam();
    const std::string folder = make_banks();
    for (const std::string& name : c.before) {
        fs::create_directories(fs::path(join(folder, name)).parent_path());
        plant(join(folder, name));
    }
    ProgramRun run = run_unbank(c.args, folder);
    run.out        = as_host_text(run.out);
    run.err        = as_host_text(run.err);
    EXPECT_EQ(run.status, c.status);
    const bool prefix = c.out.size() > 3 && c.out.substr(c.out.size() - 3) == "...";
    EXPECT_EQ(prefix ? run.out.substr(0, c.out.size() - 3) : run.out,
              prefix ? c.out.substr(0, c.out.size() - 3) : c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(folder_contents(folder), c.after);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, UnbankTest, ::testing::ValuesIn(RUN_CASES),
                         [](const auto& row) { return std::string(row.param.name); });

// Past a file size limit a write fails like a full disk: the slot's file goes.
TEST(UnbankProgram, FileSizeLimitIsAWriteError) {
    const std::string folder    = fresh_folder();
    std::vector<BankSlot> slots = known_slots({"00.wav", "07.wav"});
    slots.insert(slots.begin() + 1, mono_slot(1, 40000));
    write_bank(folder, "bank.zp4", slots);
    const ProgramRun run =
        run_program(unbank({"-qo", "o", "bank.zp4"}, {"prlimit", "--fsize=65536"}), folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "unbank: bank.zp4: 01.wav: Write error: File too large\n");
    EXPECT_EQ(folder_contents(folder), "o/00.wav*");
}

// Polls until the condition holds; false when the program ended first, its status then taken.
bool comes_while_running(const std::function<bool()>& condition, int pid) {
    while (!condition())
        if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
    return true;
}

// Ctrl+C, SIGTERM and SIGHUP (unbank.exe: Ctrl+C, as Wine passes it on) stop the job within
// the slot it writes, here over an earlier file of its name: the slot's temporary file goes,
// the earlier file stays. The slot takes most of the sampler's memory, so the signal comes
// while it is written.
TEST(UnbankProgram, StopSignalsEndWithinTheSlotAndKeepTheEarlierFile) {
    const std::string folder    = fresh_folder();
    std::vector<BankSlot> slots = known_slots({"00.wav"});
    slots.push_back(mono_slot(88, 12000000));
    write_bank(folder, "bank.zp4", slots);
    for (const int stop :
         windows_unbank ? std::vector{SIGINT} : std::vector{SIGINT, SIGTERM, SIGHUP}) {
        fs::remove_all(join(folder, "o"));
        fs::create_directories(join(folder, "o"));
        plant(join(folder, "o/88.wav"));
        const int pid = start_program(unbank({"-qyo", "o", "bank.zp4"}), folder);
        ASSERT_TRUE(comes_while_running([&] { return fs::exists(join(folder, "o/88.tmp")); }, pid));
        kill(pid, stop);
        EXPECT_EQ(wait_program(pid), 6) << stop;
        EXPECT_EQ(folder_contents(folder), "o/00.wav* o/88.wav") << stop;
    }
}

// -c's bytes through a pipe are the file an extraction writes, bytes that a text mode would
// change among them.
TEST(UnbankProgram, StdoutCarriesTheFileThroughAPipe) {
    const std::string folder = make_banks();
    ASSERT_EQ(run_unbank({"-qo", "o", "-s", "00", "damaged.zp4"}, folder).status, 0);
    const Bytes file = read_bytes(join(folder, "o/00.wav"));
    ASSERT_NE(std::find(file.begin(), file.end(), '\n'), file.end());
    Command piped = {"bash", "-c", "set -o pipefail; \"$@\" | cmp - o/00.wav", "bash"};
    for (const std::string& word : unbank({"-c", "-s", "00.wav", "damaged.zp4"}))
        piped.push_back(word);
    const ProgramRun run = run_program(piped, folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
}

// A reader that goes away part way (head) makes a write error of it, named, not a silent end by
// a signal. The slot outgrows the writer's buffer and the pipe's, so that a write meets it.
TEST(UnbankProgram, StdoutReaderGoneIsAWriteError) {
    const std::string folder = fresh_folder();
    write_bank(folder, "bank.zp4", {mono_slot(1, 400000)});
    const ProgramRun run = run_program(
        unbank({"-c", "-s", "01", "bank.zp4"},
               {"bash", "-c", "\"$@\" | head -c 100 >/dev/null; exit ${PIPESTATUS[0]}", "bash"}),
        folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "unbank: bank.zp4: 01.wav: Write error: Broken pipe; the file on standard output is "
              "cut short\n");
}

// Killed at a random moment while it writes (unbank.exe as TerminateProcess would end it,
// through Wine), half the rounds over files of the same names: each name then holds its earlier
// bytes or the whole file, beside at most one temporary file (which a rerun replaces).
TEST(UnbankProgram, KilledAnywhereLeavesEveryNameWholeOrAsItWas) {
    constexpr int ROUNDS        = 20;
    const std::string folder    = fresh_folder();
    std::vector<BankSlot> slots = known_slots({"03s.wav"});
    for (int i = 0; i < 20; ++i)
        slots.push_back(mono_slot(i, 400000));
    write_bank(folder, "bank.zp4", slots);
    using Clock      = std::chrono::steady_clock;
    const auto began = Clock::now();
    ASSERT_EQ(run_unbank({"-qo", "whole", "bank.zp4"}, folder).status, 0);
    // A round that ends before its kill halves the time a later kill may wait, from the first
    // file written on: a busy machine, or Wine, runs slower or faster than the whole run.
    auto bound =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - began).count();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(join(folder, "whole")))
        names.push_back(entry.path().filename().string());
    const auto holds_whole = [&](const std::string& path, const std::string& name) {
        return read_bytes(path) == read_bytes(join(folder, "whole/" + name));
    };
    const unsigned seed = unsigned(began.time_since_epoch().count());
    std::mt19937 random(seed);
    int part_way = 0, cut = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        const std::string out = "o" + std::to_string(round), path = join(folder, out);
        const bool over = round % 2 == 1;
        fs::create_directories(path);
        for (const std::string& name : names)
            if (over) plant(join(path, name));
        const int pid      = start_program(unbank({"-qyo", out, "bank.zp4"}), folder);
        const auto writing = [&] {
            for (const auto& entry : fs::directory_iterator(path))
                if (entry.path().extension() == ".tmp" || !is_planted(entry.path().string()))
                    return true;
            return false;
        };
        if (comes_while_running(writing, pid)) {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % bound));
            kill(pid, SIGKILL);
            wait_program(pid);
        }
        int temporary = 0, whole_files = 0;
        for (const auto& entry : fs::directory_iterator(path)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".tmp")
                ++temporary;
            else if (holds_whole(join(path, name), name))
                ++whole_files;
            else
                cut += !(over && is_planted(join(path, name)));
        }
        part_way += whole_files < int(names.size());
        if (whole_files == int(names.size())) bound = bound / 2 + 1;
        EXPECT_LE(temporary, 1) << "round " << round << ", seed " << seed;
        fs::remove_all(path);
    }
    EXPECT_EQ(cut, 0) << "seed " << seed;
    EXPECT_GE(part_way, ROUNDS / 2) << "too few rounds killed the program while it wrote";
    std::printf("%d rounds, %d killed part way, %d cut files\n", ROUNDS, part_way, cut);
}

// Two runs into one folder, of two banks whose one slot has the same name, the second started
// a few milliseconds after the first as xargs -P2 starts them, with -y or -n: the name then
// holds the whole file of a run that said it wrote it, nothing else is left, and a run that
// did not write says why. The slots are long, so that the runs' writes overlap.
TEST(UnbankProgram, TwoRunsIntoOneFolderLeaveTheWholeFileOfARunThatWroteIt) {
    constexpr int ROUNDS     = 20;
    const std::string folder = fresh_folder();
    BankSlot other           = mono_slot(1, 4000000);
    other.number             = 0;
    write_bank(folder, "a.zp4", {mono_slot(0, 4000000)});
    write_bank(folder, "b.zp4", {other});
    const std::string banks[] = {"a", "b"};
    Bytes whole[2];
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(run_unbank({"-qo", banks[run], banks[run] + ".zp4"}, folder).status, 0);
        whole[run] = read_bytes(join(folder, banks[run] + "/00.wav"));
    }
    const unsigned seed = unsigned(std::chrono::steady_clock::now().time_since_epoch().count());
    std::mt19937 random(seed);
    int overlapped = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        const std::string out = "o" + std::to_string(round);
        int pids[2], status[2];
        for (int run = 0; run < 2; ++run) {
            if (run == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1 + random() % 20));
            pids[run] = start_program(
                unbank({"-q", round % 2 ? "-n" : "-y", "-o", out, banks[run] + ".zp4"}), folder,
                nullptr, "/dev/null", join(folder, banks[run] + ".err"));
        }
        for (int run = 0; run < 2; ++run)
            status[run] = wait_program(pids[run]);
        const std::string where =
            "round " + std::to_string(round) + ", seed " + std::to_string(seed);
        EXPECT_EQ(folder_contents(join(folder, out)), "00.wav?") << where;
        const Bytes found = read_bytes(join(folder, out + "/00.wav"));
        EXPECT_TRUE((status[0] == 0 && found == whole[0]) || (status[1] == 0 && found == whole[1]))
            << where << ": the file is not that of a run that wrote it";
        for (int run = 0; run < 2; ++run) {
            const std::string said = as_host_text(read_text(join(folder, banks[run] + ".err")));
            if (status[run] != 0) {
                EXPECT_EQ(std::to_string(status[run]) + " " + said,
                          "2 unbank: " + banks[run] +
                              ".zp4: 00.wav: Write error: being written by another run\n")
                    << where;
            }
        }
        overlapped += status[0] != 0 || status[1] != 0;
        fs::remove_all(join(folder, out));
    }
    std::printf("%d rounds, %d with one run refused by the other\n", ROUNDS, overlapped);
}

// Reads what the program writes on its terminal into seen until text is there; false once the
// program is gone.
bool read_terminal(int terminal, std::string& seen, const std::string& text) {
    char buffer[256];
    for (pollfd ready{terminal, POLLIN, 0}; seen.find(text) == std::string::npos;) {
        const ssize_t got = poll(&ready, 1, 20000) > 0 ? read(terminal, buffer, sizeof buffer) : 0;
        if (got <= 0) return false;
        seen.append(buffer, size_t(got));
    }
    return true;
}

// -c writes a binary file: a terminal as standard output is refused before any byte of it.
TEST(UnbankProgram, StdoutRefusesATerminal) {
    const std::string folder = make_banks();
    int terminal             = -1;
    const int pid = start_program(unbank({"-c", "-s", "07", "bank.zp4"}), folder, &terminal);
    std::string seen;
    read_terminal(terminal, seen, "\x04 never"); // all it writes, to its end
    EXPECT_EQ(wait_program(pid), 64);
    close(terminal);
    EXPECT_EQ(seen, "unbank: -c writes a WAV file: standard output is a terminal\r\n"
                    "Try 'unbank --help' for more information.\r\n");
}

// On a terminal, the question takes the window's four answers and asks again when it does not
// understand; a progress line follows each slot. Cancel ends the whole run: the bank after it
// is not begun.
TEST(UnbankProgram, TerminalQuestionTakesTheWindowsFourAnswers) {
    const std::string folder = fresh_folder();
    write_bank(folder, "bank.zp4", known_slots({"00.wav", "01.wav", "05.wav", "07.wav"}));
    write_bank(folder, "later.zp4", known_slots({"07.wav"}));
    fs::create_directories(join(folder, "o/bank"));
    for (const char* name : {"o/bank/00.wav", "o/bank/05.wav", "o/bank/07.wav"})
        plant(join(folder, name));
    int terminal  = -1;
    const int pid = start_program(unbank({"-o", "o", "bank.zp4", "later.zp4"}), folder, &terminal);
    std::string seen;
    const auto read_until = [&](const std::string& text) {
        return read_terminal(terminal, seen, text);
    };
    const std::string question = " already exists. Overwrite? [y]es, [a]ll, [n]o, [c]ancel: ";
    for (const auto& [name, answer] : {std::pair{"00.wav", "maybe\n"},
                                       {"\r\n00.wav", "n\n"},
                                       {"05.wav", "y\n"},
                                       {"07.wav", "c\n"}}) {
        ASSERT_TRUE(read_until(name + question)) << seen;
        ASSERT_EQ(write(terminal, answer, strlen(answer)), ssize_t(strlen(answer)));
    }
    read_until("\x04 never"); // all it writes, to its end
    EXPECT_EQ(wait_program(pid), 6);
    close(terminal);
    EXPECT_NE(seen.find("[2/4] 01.wav"), std::string::npos) << seen;
    EXPECT_EQ(folder_contents(folder), "o/bank/00.wav o/bank/01.wav* o/bank/05.wav* o/bank/07.wav");
}

} // namespace
