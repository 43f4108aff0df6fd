// UNBANK.exe as a person meets it, for what only a process shows: the whole road from File >
// Open to "Extract done!", a second start, and a start with a file from the shell. Names are
// UTF-8 here and go to the system through its wide calls, so that this program, which has no
// manifest of its own, can hand over names in any script.
#include "dialog_watch.h"
#include "resource.h"
#include "test_banks.h"
#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

std::wstring wide(const std::string& text) {
    std::wstring converted(text.size(), L'\0');
    converted.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()),
                                                converted.data(), int(converted.size()))));
    return converted;
}

// Starts a program of the build (the tests run in its folder) with arguments, or the program
// the shell's "open" verb names for a file; ended by force at the end of the test if need be.
struct Started {
    explicit Started(const std::string& file, const std::string& arguments = "") {
        const std::wstring wide_file = wide(file), wide_arguments = wide(arguments);
        SHELLEXECUTEINFOW start{};
        start.cbSize       = sizeof start;
        start.fMask        = SEE_MASK_NOCLOSEPROCESS;
        start.lpFile       = wide_file.c_str();
        start.lpParameters = wide_arguments.c_str();
        start.nShow        = SW_SHOWNORMAL;
        EXPECT_TRUE(ShellExecuteExW(&start)) << file;
        process = start.hProcess;
    }
    ~Started() {
        TerminateProcess(process, 99);
        CloseHandle(process);
    }
    DWORD exit_code() const { // STILL_ACTIVE when it does not end in time
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process, &code);
        return code;
    }
    // Presses the button of the dialog with the caption, after typing name into the Open
    // dialog's name field if one is given; returns the dialog's text, "(none)" if none came.
    std::string answer(const char* caption, int button, const char* name = nullptr) const {
        HWND dialog = wait_for_dialog(GetProcessId(process), caption);
        if (dialog == nullptr) return "(none)";
        HWND field = GetDlgItem(dialog, 0x47C),
             combo = FindWindowExA(field, nullptr, "ComboBox", nullptr);
        if (name)
            SetWindowTextA(FindWindowExA(combo ? combo : field, nullptr, "Edit", nullptr), name);
        const std::string text = read_dialog(dialog).text;
        PostMessageA(dialog, WM_COMMAND, WPARAM(button), 0);
        return text;
    }
    HANDLE process;
};

// The main window, as a second start finds it: by class and title.
HWND main_window() {
    HWND window = nullptr;
    wait_until([&] { return (window = FindWindowA("UNBANK", "UNBANK")) != nullptr; });
    return window;
}

// The folder prompt's OK without navigating picks the Desktop.
std::string desktop(const char* name = "") {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
    return join(path, name);
}

void clear_desktop() {
    for (const char* name : {"07.wav", "00s.wav", "00.wav", "00.tmp", "01.wav", "01.tmp"})
        DeleteFileA(desktop(name).c_str());
}

class UnbankProcessTest : public ::testing::Test {
  protected:
    // No file-type keys to begin with: keys an earlier run left (one stopped half way, or with a
    // planted fault) would keep Dissociate from removing the type's key.
    void SetUp() override {
        clear_desktop();
        for (const char* name : {".zp4", "QUMA.ZP-4"})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, name);
    }
    const std::string folder = fresh_folder();
    const std::string bank   = write_bank(folder, "a bank.zp4", known_slots({"07.wav", "00s.wav"}));
};

// The program where an installer puts it, in a folder with blanks. File > Open, the folder
// prompt, the overwrite prompt and "Extract done!", and the window stays. A second start brings
// it back from the notification area, drops its own path and ends with 0. Associated, a bank
// named in Japanese opened from the shell is extracted from the notification area and the
// program ends by itself: silently when the folder prompt is cancelled, else after the box.
TEST_F(UnbankProcessTest, OpenSecondStartAndTheAssociation) {
    const std::string program = folder + "\\Program Files\\UNBANK.exe";
    const std::string drums   = folder + u8"\\ドラム.zp4";
    ASSERT_TRUE(CreateDirectoryA((folder + "\\Program Files").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA("UNBANK.exe", program.c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(wide(bank).c_str(), wide(drums).c_str(), TRUE));
    plant(desktop("07.wav"));
    Started first(program);
    HWND window = main_window();
    PostMessageA(window, WM_COMMAND, IDM_OPEN, 0);
    ASSERT_NE(first.answer("Open", IDOK, bank.c_str()), "(none)");
    ASSERT_NE(first.answer("Browse for Folder", IDOK), "(none)");
    EXPECT_EQ(first.answer("ZP-4 File Converter", IDC_ANSWER_YES),
              "07.wav already exists. Overwrite?");
    EXPECT_EQ(first.answer("UNBANK", IDOK), "Extract done!");
    EXPECT_EQ(folder_contents(desktop()), "00s.wav* 07.wav*");
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(Started(program, "\"" + bank + "\"").exit_code(), 0u);
    EXPECT_TRUE(IsWindowVisible(window));
    SendMessageA(window, WM_COMMAND, IDM_ASSOCIATE, 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(first.exit_code(), 0u);
    for (const int button : {IDCANCEL, IDOK}) {
        clear_desktop();
        Started opened(drums);
        EXPECT_TRUE(wait_until([] { return !IsWindowVisible(main_window()); }));
        ASSERT_NE(opened.answer("Browse for Folder", button), "(none)");
        if (button == IDOK) {
            EXPECT_EQ(opened.answer("UNBANK", IDOK), "Extract done!");
        }
        EXPECT_EQ(opened.exit_code(), 0u);
        EXPECT_EQ(folder_contents(desktop()), button == IDOK ? "00s.wav* 07.wav*" : "");
    }
}

// Started with a bank of two long slots over an earlier 00.wav: Abort Convert while that file
// is replaced keeps it as it was. Started again, the session ends while the second slot is
// written: the window answers only once the job has stopped and its end step has run, so
// that the system, which may end the process from then on, finds the first file whole and no
// temporary file; the program then ends by itself.
TEST_F(UnbankProcessTest, AbortAndTheSessionsEndLeaveEveryFileWholeOrAsItWas) {
    const std::string large =
        write_bank(fresh_folder(), "large.zp4", {mono_slot(0, 7000000), mono_slot(1, 7000000)});
    const auto writing = [](const char* name) {
        return wait_until(
            [=] { return GetFileAttributesA(desktop(name).c_str()) != INVALID_FILE_ATTRIBUTES; });
    };
    plant(desktop("00.wav"));
    Started aborted("UNBANK.exe", "\"" + large + "\"");
    ASSERT_NE(aborted.answer("Browse for Folder", IDOK), "(none)");
    ASSERT_NE(aborted.answer("ZP-4 File Converter", IDC_ANSWER_YES), "(none)");
    ASSERT_TRUE(writing("00.tmp"));
    PostMessageA(main_window(), WM_COMMAND, IDM_ABORT, 0);
    EXPECT_EQ(aborted.exit_code(), 0u);
    EXPECT_EQ(folder_contents(desktop()), "00.wav");

    clear_desktop();
    Started ended("UNBANK.exe", "\"" + large + "\"");
    ASSERT_NE(ended.answer("Browse for Folder", IDOK), "(none)");
    ASSERT_TRUE(writing("01.tmp"));
    EXPECT_EQ(SendMessageA(main_window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageA(main_window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(folder_contents(desktop()), "00.wav?");
    EXPECT_EQ(read_bytes(desktop("00.wav")).size(), 44u + 2 * 7000000);
    EXPECT_EQ(ended.exit_code(), 0u);
}

} // namespace
