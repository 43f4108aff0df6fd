// UNBANK.exe as a person meets it: started with and without a path, driven from outside
// through its windows, judged by the files it writes and its exit code.
#include "dialog_watch.h"
#include "resource.h"
#include "test_banks.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>

namespace {

constexpr DWORD EXIT_TIMEOUT_MS = 20000;
constexpr DWORD QUIET_MS        = 500; // how long "nothing appears" is watched
constexpr char NO_DIALOG[]      = "(no dialog)";

// The folder prompt's OK without navigating picks the Desktop: the tests' output folder.
std::string output(const std::string& name) {
    char desktop[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
    return join(desktop, name);
}

// Every file the tests' banks give.
void clean_output_folder() {
    for (const char* name : {"00.wav", "01.wav", "04s.wav", "01s.wav"})
        DeleteFileA(output(name).c_str());
}

// One started copy of the program, found beside this test, with the path in quotes as its
// command line if one is given; ended by force if a test leaves it running, so that it
// cannot pose as the first instance for the next test.
class Program {
  public:
    explicit Program(const std::string& path = "") {
        std::string command = "UNBANK.exe";
        if (!path.empty()) command += " \"" + path + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &started));
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        id_      = started.dwProcessId;
    }
    // The program the shell starts for the file's "open" verb.
    struct OpenedByShell {
        std::string file;
    };
    explicit Program(const OpenedByShell& opened) {
        SHELLEXECUTEINFOA open{};
        open.cbSize = sizeof open;
        open.fMask  = SEE_MASK_NOCLOSEPROCESS;
        open.lpVerb = "open";
        open.lpFile = opened.file.c_str();
        open.nShow  = SW_SHOWNORMAL;
        EXPECT_TRUE(ShellExecuteExA(&open));
        process_ = open.hProcess;
        id_      = process_ ? GetProcessId(process_) : 0;
    }
    ~Program() {
        TerminateProcess(process_, 99); // fails if it has ended
        WaitForSingleObject(process_, EXIT_TIMEOUT_MS);
        CloseHandle(process_);
    }

    // Its main window, found as a second instance finds it: by class and title.
    HWND window() const {
        HWND found  = nullptr;
        DWORD owner = 0;
        wait_until([&] {
            found = FindWindowA("UNBANK", "UNBANK");
            return GetWindowThreadProcessId(found, &owner) && owner == id_;
        });
        return found;
    }

    // Presses the button of the dialog with the caption, after typing the name into it if
    // one is given; returns the dialog's text.
    std::string answer(const char* caption, int button, const std::string& typed = "",
                       DWORD timeout_ms = DIALOG_TIMEOUT_MS) const {
        HWND dialog = wait_for_dialog(id_, caption, timeout_ms);
        if (dialog == nullptr) return NO_DIALOG;
        if (!typed.empty()) type_file_name(dialog, typed);
        const std::string text = read_dialog(dialog).text;
        press(dialog, button);
        return text;
    }

    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD exit_code() const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_, EXIT_TIMEOUT_MS) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_, &code);
        return code;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD id_       = 0;
};

const std::vector<BankSlot> SLOTS = {mono_slot(0, 4000), mono_slot(1, 300), stereo_slot(4, 900)};
const char* const SLOT_FILES[]    = {"00.wav", "01.wav", "04s.wav"};

class UnbankProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clean_output_folder();
        folder_ = fresh_folder("process");
        bank_   = write_bank(folder_, "small bank.zp4", SLOTS); // a blank in the name
    }
    void TearDown() override { clean_output_folder(); }
    std::string folder_, bank_;
};

TEST_F(UnbankProcessTest, OpenDialogAndFolderPromptExtractEverySlot) {
    Program program;
    HWND window = program.window();
    PostMessageA(window, WM_COMMAND, IDM_OPEN, 0);
    ASSERT_NE(program.answer("Open", IDOK, bank_), NO_DIALOG);
    ASSERT_NE(program.answer("Browse for Folder", IDOK), NO_DIALOG);
    EXPECT_EQ(program.answer("UNBANK", IDOK), "Extract done!");
    for (size_t i = 0; i < SLOTS.size(); ++i)
        EXPECT_TRUE(read_bytes(output(SLOT_FILES[i])) == expected_wav(SLOTS[i])) << SLOT_FILES[i];
    EXPECT_TRUE(IsWindow(window)) << "only command-line mode closes after the job";
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(program.exit_code(), 0u);
}

// The first copy sits in the notification area (its command-line file is missing); a second
// start brings it back, drops its own path and ends with 0.
TEST_F(UnbankProcessTest, SecondStartShowsTheFirstAndExitsZero) {
    Program first(bank_ + ".missing");
    HWND window = first.window();
    ASSERT_TRUE(wait_until([&] { return window != nullptr && !IsWindowVisible(window); }));
    EXPECT_EQ(Program(bank_).exit_code(), 0u);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(first.answer(nullptr, IDOK, "", QUIET_MS), NO_DIALOG) << "no job for the path";
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(first.exit_code(), 0u);
}

// Associated, a bank opened from the shell starts the program in the notification area with
// the path on its command line; the job runs from there and the program ends by itself, after
// "Extract done!" or, when the folder prompt is cancelled, without a word.
TEST_F(UnbankProcessTest, BankOpenedThroughTheAssociationIsExtractedAndTheProgramEnds) {
    {
        Program program;
        HWND window = program.window();
        SendMessageA(window, WM_COMMAND, IDM_ASSOCIATE, 0);
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        ASSERT_EQ(program.exit_code(), 0u);
    }
    for (int button : {IDOK, IDCANCEL}) {
        clean_output_folder();
        Program opened(Program::OpenedByShell{bank_});
        HWND window = opened.window();
        EXPECT_TRUE(wait_until([&] { return window != nullptr && !IsWindowVisible(window); }));
        ASSERT_NE(opened.answer("Browse for Folder", button), NO_DIALOG);
        EXPECT_EQ(opened.answer("UNBANK", IDOK, "", button == IDOK ? DIALOG_TIMEOUT_MS : QUIET_MS),
                  button == IDOK ? "Extract done!" : NO_DIALOG);
        EXPECT_EQ(opened.exit_code(), 0u) << "button " << button;
        for (size_t i = 0; i < SLOTS.size(); ++i) {
            if (button == IDOK)
                EXPECT_TRUE(read_bytes(output(SLOT_FILES[i])) == expected_wav(SLOTS[i]));
            else
                EXPECT_FALSE(exists(output(SLOT_FILES[i])));
        }
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".zp4");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QUMA.ZP-4");
}

TEST_F(UnbankProcessTest, FileThatIsNoBankShowsNotZp4File) {
    const std::string notes = join(folder_, "notes.txt");
    write_bytes(notes, {'n', 'o', 't', 'e', 's'});
    Program program(notes);
    EXPECT_EQ(program.answer("UNBANK", IDOK), "Not ZP-4 file");
    EXPECT_EQ(program.exit_code(), 0u);
}

// Yes replaces the file, No keeps it and goes on, Cancel ends the job at once without a box.
TEST_F(UnbankProcessTest, ExistingFileRaisesThePromptAndTheAnswerDecides) {
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    for (int button : {IDC_ANSWER_YES, IDC_ANSWER_NO, IDC_ANSWER_CANCEL}) {
        const bool goes_on = button != IDC_ANSWER_CANCEL;
        clean_output_folder();
        write_bytes(output("00.wav"), old);
        Program program(bank_);
        ASSERT_NE(program.answer("Browse for Folder", IDOK), NO_DIALOG);
        EXPECT_EQ(program.answer("ZP-4 File Converter", button),
                  "00.wav already exists. Overwrite?");
        if (goes_on) {
            EXPECT_EQ(program.answer("UNBANK", IDOK), "Extract done!");
        }
        EXPECT_EQ(program.exit_code(), 0u) << "a box left open, button " << button;
        EXPECT_TRUE(read_bytes(output("00.wav")) ==
                    (button == IDC_ANSWER_YES ? expected_wav(SLOTS[0]) : old));
        EXPECT_EQ(exists(output("01.wav")), goes_on) << "button " << button;
    }
}

// Exit and Abort Convert while a large slot is written: the job stops at its next frame,
// deletes that slot's file and ends without a box (which would keep the program open).
TEST_F(UnbankProcessTest, ExitOrAbortWhileALargeSlotIsWrittenLeavesNoIncompleteFile) {
    // Slot 1 is as large as a bank allows beside slot 0 (a block of 32 bytes holds 32 frames
    // of one channel): long enough to act while it is written.
    const size_t frames     = (MAX_IMAGE_BYTES - FIRST_DATA_OFFSET - 0x10000) / 2;
    const BankSlot first    = mono_slot(0, 1000);
    const std::string large = write_bank(folder_, "large.zp4", {first, stereo_slot(1, frames)});
    for (WPARAM command : {IDM_EXIT, IDM_ABORT}) {
        clean_output_folder();
        Program program(large);
        HWND window = program.window();
        ASSERT_NE(program.answer("Browse for Folder", IDOK), NO_DIALOG);
        ASSERT_TRUE(wait_until([] { return exists(output("01s.wav")); }));
        PostMessageA(window, WM_COMMAND, command, 0);
        EXPECT_EQ(program.exit_code(), 0u) << command;
        EXPECT_FALSE(exists(output("01s.wav"))) << command;
        EXPECT_TRUE(read_bytes(output("00.wav")) == expected_wav(first)) << command;
    }
}

// The Desktop on a disk of 2 MiB: the last slot does not fit, so the box says "Write error",
// its file is removed, the first stays whole, and the program ends as after any box.
TEST_F(UnbankProcessTest, FullDesktopShowsWriteErrorAndKeepsOnlyWholeFiles) {
    if (!is_small_disk(output(""))) GTEST_SKIP() << "the Desktop is no 2 MiB disk (needs root)";
    const BankSlot first = mono_slot(0, 950000); // 464 of the disk's 512 pages of 4 KiB
    Program program(write_bank(folder_, "large.zp4", {first, mono_slot(1, 113248)}));
    ASSERT_NE(program.answer("Browse for Folder", IDOK), NO_DIALOG);
    EXPECT_EQ(program.answer("UNBANK", IDOK), "Write error");
    EXPECT_EQ(program.exit_code(), 0u);
    EXPECT_EQ(names_in(output("")), std::vector<std::string>{"00.wav"});
    EXPECT_TRUE(read_bytes(output("00.wav")) == expected_wav(first));
}

} // namespace
