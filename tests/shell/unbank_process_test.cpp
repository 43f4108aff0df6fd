// UNBANK.exe as a person meets it: started with and without a path, driven from outside
// through its windows, judged by the files it writes and its exit code.
#include "dialog_watch.h"
#include "resource.h"
#include "test_banks.h"
#include "test_files.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>

namespace {

constexpr DWORD START_TIMEOUT_MS = 10000;
constexpr DWORD EXIT_TIMEOUT_MS  = 20000;
constexpr DWORD QUIET_MS         = 500; // how long "nothing appears" is watched

std::string program_beside_this_test() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string program = path;
    return program.substr(0, program.find_last_of('\\') + 1) + "UNBANK.exe";
}

std::string desktop_folder() {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
    return path;
}

// The folder prompt's OK without navigating picks the Desktop: the tests' output folder.
std::string clean_output_folder() {
    const std::string desktop = desktop_folder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((desktop + "\\*.wav").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((desktop + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return desktop;
}

std::string output(const std::string& name) {
    return join(desktop_folder(), name);
}

LONGLONG file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// One started copy of the program; ended by force if a test leaves it running, so that it
// cannot pose as the first instance for the next test.
class Program {
  public:
    explicit Program(const std::string& arguments) {
        std::string command = "\"" + program_beside_this_test() + "\"";
        if (!arguments.empty()) command += " " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_   = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, &startup, &process_);
    }

    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, EXIT_TIMEOUT_MS);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    Program(const Program&)            = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return started_ != FALSE; }
    DWORD id() const { return process_.dwProcessId; }

    // Its main window, found as a second instance finds it: by class and title.
    HWND window() const {
        HWND found = nullptr;
        wait_until(
            [&] {
                found       = FindWindowA("UNBANK", "UNBANK");
                DWORD owner = 0;
                if (found) GetWindowThreadProcessId(found, &owner);
                return found != nullptr && owner == id();
            },
            START_TIMEOUT_MS);
        return found;
    }

    HWND dialog(const char* caption) const { return wait_for_dialog(id(), caption); }

    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD exit_code(DWORD timeout_ms = EXIT_TIMEOUT_MS) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // True when no dialog of the program shows up for a while.
    bool stays_quiet() const {
        return !wait_until([&] { return find_dialog(id()) != nullptr; }, QUIET_MS);
    }

  private:
    PROCESS_INFORMATION process_{};
    BOOL started_ = FALSE;
};

std::string in_quotes(const std::string& path) {
    return "\"" + path + "\"";
}

class UnbankProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clean_output_folder();
        bank_ = write_bank(fresh_folder("process"), "small bank.zp4", slots_); // a blank in it
    }

    void TearDown() override { clean_output_folder(); }

    // File, Open..., the bank's path typed into the dialog, Open.
    void open_bank(const Program& program, HWND window) const {
        PostMessageA(window, WM_COMMAND, IDM_OPEN, 0);
        HWND open = program.dialog("Open");
        ASSERT_NE(open, nullptr);
        type_file_name(open, bank_);
        press(open, IDOK);
    }

    // Answers the folder prompt with OK: the Desktop.
    static void choose_desktop(const Program& program) {
        HWND prompt = program.dialog("Browse for Folder");
        ASSERT_NE(prompt, nullptr);
        press(prompt, IDOK);
    }

    static void expect_box(const Program& program, const char* text) {
        HWND box = program.dialog("UNBANK");
        ASSERT_NE(box, nullptr) << "expected " << text;
        EXPECT_EQ(static_texts(box), text);
        press(box, IDOK);
    }

    const std::vector<BankSlot> slots_ = {mono_slot(0, 4000), mono_slot(1, 300),
                                          stereo_slot(4, 900)};
    std::string bank_;
};

TEST_F(UnbankProcessTest, StartsWithItsWindowAndExitEndsItWithZero) {
    Program program("");
    ASSERT_TRUE(program.started());
    HWND window = program.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(wait_until([&] { return IsWindowVisible(window) != FALSE; }, START_TIMEOUT_MS));
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(program.exit_code(), 0u);
}

// The first copy sits in the notification area (its command-line file is missing); a second
// start brings it back, drops its own path and ends with 0.
TEST_F(UnbankProcessTest, SecondStartShowsTheFirstAndExitsZero) {
    Program first(in_quotes(bank_ + ".missing"));
    HWND window = first.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(window); }, START_TIMEOUT_MS));

    Program second(in_quotes(bank_));
    EXPECT_EQ(second.exit_code(), 0u);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(first.stays_quiet()) << "the second path must not start a job";
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(first.exit_code(), 0u);
}

TEST_F(UnbankProcessTest, OpenDialogExtractsEverySlotIntoTheChosenFolder) {
    Program program("");
    HWND window = program.window();
    ASSERT_NE(window, nullptr);
    open_bank(program, window);
    choose_desktop(program);
    expect_box(program, "Extract done!");
    for (const BankSlot& slot : slots_)
        EXPECT_TRUE(read_bytes(output(output_file_name(slot))) == expected_wav(slot))
            << output_file_name(slot);
    EXPECT_TRUE(IsWindow(window)) << "only command-line mode closes after the job";
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(program.exit_code(), 0u);
}

TEST_F(UnbankProcessTest, FileThatIsNoBankShowsNotZp4FileAndClosesInCommandLineMode) {
    const std::string notes = join(fresh_folder("process"), "notes.txt");
    write_text(notes, "shopping list");
    Program program(in_quotes(notes));
    expect_box(program, "Not ZP-4 file");
    EXPECT_EQ(program.exit_code(), 0u);
}

struct OverwriteCase {
    int button;
    bool replaced;  // 00.wav holds the slot afterwards
    bool completes; // "Extract done!" follows; otherwise the job is cancelled silently
};

// clang-format off
const OverwriteCase OVERWRITES[] = {
    {IDC_ANSWER_YES,        true,  true},
    {IDC_ANSWER_NO,         false, true},
    {IDC_ANSWER_CANCEL, false, false},
};
// clang-format on

TEST_F(UnbankProcessTest, ExistingFileRaisesThePromptAndTheAnswerDecides) {
    for (const OverwriteCase& c : OVERWRITES) {
        clean_output_folder();
        write_text(output("00.wav"), "keep me");
        Program program(in_quotes(bank_));
        choose_desktop(program);
        HWND prompt = program.dialog("ZP-4 File Converter");
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(child_text(prompt, IDC_MESSAGE), "00.wav already exists. Overwrite?");
        press(prompt, c.button);
        if (c.completes) expect_box(program, "Extract done!");
        EXPECT_EQ(program.exit_code(), 0u) << "button " << c.button;
        EXPECT_EQ(read_text(output("00.wav")) == "keep me", !c.replaced) << "button " << c.button;
        EXPECT_EQ(exists(output("01.wav")), c.completes) << "button " << c.button;
    }
}

TEST_F(UnbankProcessTest, YesToAllAsksOnceAndReplacesEveryFile) {
    write_text(output("00.wav"), "keep me");
    write_text(output("04s.wav"), "keep me");
    Program program(in_quotes(bank_));
    choose_desktop(program);
    HWND prompt = program.dialog("ZP-4 File Converter");
    ASSERT_NE(prompt, nullptr);
    press(prompt, IDC_ANSWER_YES_TO_ALL);
    expect_box(program, "Extract done!");
    EXPECT_EQ(program.exit_code(), 0u);
    EXPECT_NE(read_text(output("00.wav")), "keep me");
    EXPECT_NE(read_text(output("04s.wav")), "keep me");
}

// A bank whose second slot is as large as a bank allows: long enough to act while it is
// written.
class LargeSlotTest : public UnbankProcessTest {
  protected:
    void SetUp() override {
        clean_output_folder();
        bank_ = write_bank(fresh_folder("process"), "large.zp4",
                           {mono_slot(0, 1000), stereo_slot(1, largest_slot_frames(2))});
    }

    // Waits until the large slot's file is being written.
    static bool writing_large_slot() {
        return wait_until([] { return file_size(output("01s.wav")) > 44; }, EXIT_TIMEOUT_MS);
    }
};

TEST_F(LargeSlotTest, ExitWhileASlotIsWrittenLeavesNoIncompleteFile) {
    Program program(in_quotes(bank_));
    HWND window = program.window();
    ASSERT_NE(window, nullptr);
    choose_desktop(program);
    ASSERT_TRUE(writing_large_slot());
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(program.exit_code(), 0u);
    EXPECT_FALSE(exists(output("01s.wav")));
    EXPECT_EQ(file_size(output("00.wav")), 44 + 2 * 1000);
}

TEST_F(LargeSlotTest, CloseIsRefusedDuringAJobAndAbortConvertStopsIt) {
    Program program("");
    HWND window = program.window();
    ASSERT_NE(window, nullptr);
    open_bank(program, window);
    choose_desktop(program);
    ASSERT_TRUE(writing_large_slot());

    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1) << "close must be refused";
    PostMessageA(window, WM_COMMAND, IDM_ABORT, 0);
    EXPECT_TRUE(wait_until([] { return !exists(output("01s.wav")); }, EXIT_TIMEOUT_MS));
    EXPECT_TRUE(program.stays_quiet()) << "an abort shows nothing";
    EXPECT_EQ(file_size(output("00.wav")), 44 + 2 * 1000);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.exit_code(), 0u);
}

} // namespace
