#include "test_banks.h"
#include "unbank_under_test.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Args   = std::vector<std::string>;

const std::vector<uint8_t> untouched = {'k', 'e', 'e', 'p'};

class UnbankTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = fresh_folder(); }

    std::string make_bank(const std::vector<BankSlot>& bank_slots) {
        slots = bank_slots;
        return write_bank(folder, "bank.zp4", slots);
    }

    ProgramRun unbank(const Args& args) { return run_unbank(args, folder); }
    std::string in_folder(const std::string& a, const std::string& b = "") const {
        return b.empty() ? join(folder, a) : join(join(folder, a), b);
    }

    std::string folder;
    std::vector<BankSlot> slots;
};

TEST_F(UnbankTest, ExtractsIntoAFolderNamedAfterTheBank) {
    make_bank({mono_slot(3, 1000), stereo_slot(1, 500)});
    const ProgramRun run = unbank({"bank.zp4"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_bytes(in_folder("bank", "03.wav")), expected_wav(slots[0]));
    EXPECT_EQ(read_bytes(in_folder("bank", "01s.wav")), expected_wav(slots[1]));
    EXPECT_EQ(run.out, "");
}

TEST_F(UnbankTest, OutputFolderIsCreatedWithItsParents) {
    make_bank({mono_slot(0, 10)});
    const ProgramRun run = unbank({"-q", "-o", "a/b/c", "bank.zp4"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_bytes(in_folder("a/b/c", "00.wav")), expected_wav(slots[0]));
    EXPECT_EQ(run.err, "");
}

// The command line as getopt_long programs take it, usage errors as they report them, and
// failures with the system's reason.
TEST_F(UnbankTest, CommandLine) {
    make_bank({mono_slot(0, 10)});
    write_bank(folder, "-dash.zp4", slots);
    write_bytes(in_folder("notes.zp4"), std::vector<uint8_t>(1000, 'x'));
    write_bank(folder, "empty.zp4", {});
    write_bytes(in_folder("file"), untouched);
    fs::create_directories(in_folder("coll/sub"));
    write_bank(in_folder("coll/sub"), "x.zp4", slots);
    fs::create_directories(in_folder("empty"));
    const std::string try_help = "Try 'unbank --help' for more information.\n";

    struct Case {
        Args args;
        int status;
        std::string out_start; // "": nothing on stdout
        std::string err;
        std::string made; // a file that must exist afterwards, or ""
    } cases[] = {
        {{"-qy", "bank.zp4"}, 0, "", "", "bank/00.wav"},
        {{"--output=o1", "-q", "bank.zp4"}, 0, "", "", "o1/00.wav"},
        {{"-qyk", "-oo2", "bank.zp4"}, 0, "", "", "o2/00.wav"},
        {{"bank.zp4", "--qu", "--out", "o3"}, 0, "", "", "o3/00.wav"},
        {{"-qo", "o4", "--", "-dash.zp4"}, 0, "", "", "o4/00.wav"},
        {{"--help"}, 0, "usage: unbank [options] BANK.zp4...\n", "", ""},
        {{"--version"}, 0, "unbank ", "", ""},
        {{}, 64, "", "unbank: no bank given\n" + try_help, ""},
        {{"-qx", "a.zp4"}, 64, "", "unbank: unknown option -x\n" + try_help, ""},
        {{"--loud", "a.zp4"}, 64, "", "unbank: unknown option --loud\n" + try_help, ""},
        {{"--yes=1", "a.zp4"}, 64, "", "unbank: option --yes takes no value\n" + try_help, ""},
        {{"a.zp4", "-o"}, 64, "", "unbank: missing folder after -o\n" + try_help, ""},
        {{"-yn", "a.zp4"}, 64, "", "unbank: -y and -n exclude each other\n" + try_help, ""},
        {{"-t", "-l", "a.zp4"}, 64, "", "unbank: -t and -l exclude each other\n" + try_help, ""},
        {{"-o", "out", "a/x.zp4", "b/x.zp4"},
         64,
         "",
         "unbank: two banks would share the folder out/x\n" + try_help,
         ""},
        // A lone bank's failure is said once; several banks keep their summary.
        {{"missing.zp4"},
         1,
         "",
         "unbank: missing.zp4: Read error: No such file or directory\n",
         ""},
        {{"notes.zp4"}, 3, "", "unbank: notes.zp4: Not ZP-4 file\n", ""},
        {{"empty.zp4"}, 5, "", "unbank: empty.zp4: ZP-4 file has no contents\n", ""},
        {{"-l", "notes.zp4"}, 3, "", "unbank: notes.zp4: Not ZP-4 file\n", ""},
        {{"-o", "file/sub", "bank.zp4"},
         2,
         "",
         "unbank: bank.zp4: folder file/sub: Write error: Not a directory\n",
         ""},
        // A folder of banks comes out mirrored, and only into a folder of its own.
        {{"-qo", "o6", "coll"}, 0, "", "", "o6/sub/x/00.wav"},
        {{"-l", "coll"}, 0, "coll/sub/x.zp4:\n00.wav ", "", ""},
        {{"coll"},
         64,
         "",
         "unbank: a folder of banks needs -o DIR for their files: coll\n" + try_help,
         ""},
        {{"-o", "o7", "empty"}, 1, "", "unbank: no .zp4 file in empty\n", ""},
        {{"-o", "o5", "notes.zp4", "bank.zp4"},
         3,
         "",
         "unbank: notes.zp4: Not ZP-4 file\n"
         "notes.zp4: Not ZP-4 file\n"
         "bank.zp4: 1 written, 0 skipped, 0 failed; files in o5/bank\n"
         "2 banks: 1 written, 0 skipped, 0 failed; 1 bank(s) with errors\n",
         "o5/bank/00.wav"},
    };
    for (const Case& c : cases) {
        const ProgramRun run      = unbank(c.args);
        const std::string context = testing::PrintToString(c.args);
        EXPECT_EQ(run.status, c.status) << context;
        if (c.out_start.empty()) {
            EXPECT_EQ(run.out, "") << context;
        } else {
            EXPECT_EQ(run.out.substr(0, c.out_start.size()), c.out_start) << context;
        }
        EXPECT_EQ(run.err, c.err) << context;
        EXPECT_TRUE(c.made.empty() || exists(in_folder(c.made))) << context << " " << c.made;
    }
    for (const char* bank : {"notes", "missing"}) // no folder for a bank that is not used
        EXPECT_FALSE(fs::exists(in_folder(bank))) << bank;
}

// The files below a folder, as paths relative to it, in name order.
std::vector<std::string> files_below(const std::string& top) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(top))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), top).string());
    std::sort(names.begin(), names.end());
    return names;
}

// unbank.exe and the host's unbank on one collection in subfolders: the same status, messages
// and mirrored tree, every file the same byte for byte. Slots of many blocks take the vector
// decoder where the processor has it.
TEST_F(UnbankTest, WindowsProgramWritesTheHostProgramsFiles) {
    if (!windows_unbank()) GTEST_SKIP() << "UNBANK_EXE names no Windows build";
    const std::vector<BankSlot> long_slots = {mono_slot(0, 40000), stereo_slot(3, 20000)};
    fs::create_directories(in_folder("coll/sub/deeper"));
    write_bank(in_folder("coll"), "a.zp4", long_slots);
    write_bank(in_folder("coll/sub"), "B.ZP4", long_slots);
    write_bank(in_folder("coll/sub/deeper"), "c.zp4", {mono_slot(1, 100)});
    write_bytes(in_folder("coll/sub/notes.zp4"), untouched);
    const ProgramRun host = run_program(UNBANK_PATH, {"-q", "-o", "host", "coll"}, folder);
    const ProgramRun exe  = unbank({"-q", "-o", "exe", "coll"});
    EXPECT_EQ(host.status, 3);
    EXPECT_EQ(exe.status, 3);
    EXPECT_EQ(exe.err, "unbank: coll/sub/notes.zp4: Not ZP-4 file\n");
    EXPECT_EQ(host.err, exe.err);
    const std::vector<std::string> tree = {"a/00.wav", "a/03s.wav", "sub/B/00.wav", "sub/B/03s.wav",
                                           "sub/deeper/c/01.wav"};
    EXPECT_EQ(files_below(in_folder("host")), tree);
    EXPECT_EQ(files_below(in_folder("exe")), tree);
    for (const std::string& name : tree)
        EXPECT_TRUE(read_bytes(in_folder("exe", name)) == read_bytes(in_folder("host", name)))
            << name;
}

// Every match of the pattern's first group, in order.
std::vector<std::string> matches(const std::string& text, const char* pattern) {
    std::vector<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

// The option heads ("-o, --output DIR") of --help and of the page, font escapes taken out.
TEST_F(UnbankTest, HelpMatchesTheManualPage) {
    const std::string help = unbank({"--help"}).out;
    std::string page       = std::regex_replace(read_text(MAN_PAGE), std::regex(R"(\\f[BIR])"), "");
    page                   = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    const std::vector<std::string> heads = matches(help, R"(\n {2,6}(-\S+(?: \S+)*))");
    EXPECT_EQ(heads.size(), 9u) << help;
    EXPECT_EQ(heads, matches(page, R"(\.TP\n(-[^\n]*))"));
    EXPECT_EQ(help.substr(0, help.find('\n')), "usage: unbank [options] BANK.zp4...");
    EXPECT_NE(page.find(".B unbank\n[options] BANK.zp4...\n"), std::string::npos);
}

TEST_F(UnbankTest, ExistingFilesWithoutATerminalAreSkippedAndSaidSo) {
    make_bank({mono_slot(7, 10), mono_slot(8, 10)});
    fs::create_directories(in_folder("bank"));
    write_bytes(in_folder("bank", "07.wav"), untouched);
    const ProgramRun run = unbank({"bank.zp4"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("07.wav exists, skipped (use -y to overwrite)\n"), std::string::npos);
    EXPECT_EQ(read_bytes(in_folder("bank", "07.wav")), untouched);
    EXPECT_EQ(read_bytes(in_folder("bank", "08.wav")), expected_wav(slots[1]));
}

TEST_F(UnbankTest, YesOverwritesAndNoClobberSkipsQuietly) {
    make_bank({mono_slot(7, 10), mono_slot(8, 10)});
    fs::create_directories(in_folder("out"));
    write_bytes(in_folder("out", "07.wav"), untouched);
    write_bytes(in_folder("out", "08.wav"), untouched);

    const ProgramRun keep = unbank({"-n", "-o", "out", "bank.zp4"});
    EXPECT_EQ(keep.status, 0);
    EXPECT_EQ(keep.err, "bank.zp4: 0 written, 2 skipped, 0 failed; files in out\n");
    EXPECT_EQ(read_bytes(in_folder("out", "07.wav")), untouched);

    const ProgramRun replace = unbank({"--yes", "-o", "out", "bank.zp4"});
    EXPECT_EQ(replace.status, 0);
    EXPECT_EQ(read_bytes(in_folder("out", "07.wav")), expected_wav(slots[0]));
    EXPECT_EQ(read_bytes(in_folder("out", "08.wav")), expected_wav(slots[1]));
}

TEST_F(UnbankTest, ListPrintsOneRowPerUsedSlotAndWritesNothing) {
    make_bank({mono_slot(0, 32000), mono_slot(12, 48), stereo_slot(5, 16000)});
    const ProgramRun run = unbank({"--list", "bank.zp4"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "00.wav   mono       32000 frames    1.000 s  data at 0x080fc0\n"
                       "12.wav   mono          48 frames    0.002 s  data at 0x088cc0\n"
                       "05s.wav  stereo     16000 frames    0.500 s  data at 0x088d00\n");
    EXPECT_FALSE(fs::exists(in_folder("bank")));
}

// A reader this project did not write must take the files as they are.
TEST_F(UnbankTest, PythonsWaveModuleReadsTheFiles) {
    make_bank({mono_slot(0, 1234), stereo_slot(0, 999)});
    ASSERT_EQ(unbank({"-q", "-o", "out", "bank.zp4"}).status, 0);
    const std::string script = in_folder("check.py");
    std::ofstream(script) << "import sys, wave\n"
                             "for name in sys.argv[1:]:\n"
                             "    with wave.open(name) as w:\n"
                             "        print(name, w.getnchannels(), w.getsampwidth(),\n"
                             "              w.getframerate(), w.getnframes(),\n"
                             "              len(w.readframes(w.getnframes())))\n";
    const ProgramRun run =
        run_program("/usr/bin/env", {"python3", script, "out/00.wav", "out/00s.wav"}, folder);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "out/00.wav 1 2 32000 1234 2468\nout/00s.wav 2 2 32000 999 3996\n");
}

TEST_F(UnbankTest, InterruptStopsWithinTheSlotAndRemovesItsFile) {
    make_bank({mono_slot(0, 100), mono_slot(1, 6000000)});
    const int pid            = start_unbank({"-q", "-o", "out", "bank.zp4"}, folder);
    const std::string target = in_folder("out", "01.wav");
    std::error_code error;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((fs::file_size(target, error) <= 4096 || error) &&
           std::chrono::steady_clock::now() < give_up) {
    }
    kill(pid, SIGINT);
    EXPECT_EQ(wait_program(pid), 6);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(read_bytes(in_folder("out", "00.wav")), expected_wav(slots[0]));
}

// On a terminal: the question with its four answers, and the progress line.
class TerminalSession {
  public:
    TerminalSession(const std::string& folder, const Args& args) {
        std::vector<char*> argv{const_cast<char*>(UNBANK_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        pid = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid == 0) {
            if (chdir(folder.c_str()) != 0) _exit(126);
            execv(UNBANK_PATH, argv.data());
            _exit(127);
        }
    }

    // Reads until text appears or the program ends; true when it appeared.
    bool read_until(const std::string& text) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            pollfd ready{terminal, POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t got = read(terminal, buffer, sizeof buffer);
            if (got <= 0) return false;
            seen.append(buffer, size_t(got));
        }
        return true;
    }

    void type(const std::string& text) {
        ASSERT_EQ(write(terminal, text.data(), text.size()), ssize_t(text.size()));
    }

    int finish() {
        read_until("\x04never");
        int status = 0;
        waitpid(pid, &status, 0);
        close(terminal);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string seen;

  private:
    int terminal = -1;
    pid_t pid    = -1;
};

TEST_F(UnbankTest, TerminalQuestionTakesTheWindowsFourAnswers) {
    make_bank({mono_slot(1, 10), mono_slot(2, 10), mono_slot(3, 10), mono_slot(4, 10)});
    fs::create_directories(in_folder("out"));
    for (const char* name : {"01.wav", "02.wav", "04.wav"})
        write_bytes(in_folder("out", name), untouched);

    TerminalSession session(folder, {"-o", "out", "bank.zp4"});
    ASSERT_TRUE(
        session.read_until("01.wav already exists. Overwrite? [y]es, [a]ll, [n]o, [c]ancel: "));
    session.type("maybe\n"); // not an answer: asked again
    ASSERT_TRUE(session.read_until("\r\n01.wav already exists."));
    session.type("n\n");
    ASSERT_TRUE(session.read_until("02.wav already exists. Overwrite?"));
    session.type("y\n");
    ASSERT_TRUE(session.read_until("04.wav already exists. Overwrite?"));
    session.type("c\n");
    EXPECT_EQ(session.finish(), 6);
    EXPECT_NE(session.seen.find("[3/4] 03.wav"), std::string::npos); // progress line
    EXPECT_EQ(read_bytes(in_folder("out", "01.wav")), untouched);
    EXPECT_EQ(read_bytes(in_folder("out", "02.wav")), expected_wav(slots[1]));
    EXPECT_EQ(read_bytes(in_folder("out", "03.wav")), expected_wav(slots[2]));
    EXPECT_EQ(read_bytes(in_folder("out", "04.wav")), untouched);
}

} // namespace
