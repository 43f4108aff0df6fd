#include "dialog_watch.h"
#include "dialogs.h"
#include "extract_job.h"
#include "job_status.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "test_banks.h"
#include "test_files.h"
#include "window_state.h"
#include <cstring>

namespace {

// Where desktop centring puts a window of the given size.
POINT centred_corner(const RECT& box) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    return {desktop.right / 2 - width / 2, desktop.bottom / 2 - height / 2};
}

class DialogsTest : public MainWindowTest {
  protected:
    // Opens the dialog with the given command (or job status code 4), lets answer look at it
    // and press a button, and returns what was seen.
    SeenDialog run(UINT message, WPARAM wparam, const DialogWatcher::Answer& answer) {
        DialogWatcher watcher(answer);
        SendMessageA(window, message, wparam, 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        EXPECT_EQ(seen.size(), 1u);
        return seen.empty() ? SeenDialog{} : seen[0];
    }

    SeenDialog ask(const char* name, const DialogWatcher::Answer& answer) {
        std::strcpy(output_name, name);
        return run(WM_USER, JOB_QUESTION, answer);
    }
};

TEST_F(DialogsTest, AboutBoxOpensCentredAndClosesWithOkOrEsc) {
    MoveWindow(window, 0, 0, 200, 100, TRUE); // far from the middle
    for (int button : {IDOK, IDCANCEL}) {
        POINT corner{}, expected{};
        const SeenDialog about = run(WM_COMMAND, IDM_ABOUT, [&](HWND dialog, const SeenDialog&) {
            RECT box;
            GetWindowRect(dialog, &box);
            corner   = {box.left, box.top};
            expected = centred_corner(box);
            return button;
        });
        EXPECT_EQ(about.caption, "About ZP-4 File Conveter");
        EXPECT_NE(about.text.find("ZP-4 file to WAVE Extractor Version 1.0"), std::string::npos);
        EXPECT_EQ(corner.x, expected.x);
        EXPECT_EQ(corner.y, expected.y);
    }
}

TEST_F(DialogsTest, PromptNamesTheFileAndOpensCentredAlsoFromTheNotificationArea) {
    ShowWindow(window, SW_MINIMIZE); // hidden behind its icon
    ASSERT_FALSE(IsWindowVisible(window));
    POINT corner{}, expected{};
    std::string message;
    const SeenDialog prompt = ask("03s.wav", [&](HWND dialog, const SeenDialog&) {
        RECT box;
        GetWindowRect(dialog, &box);
        corner   = {box.left, box.top};
        expected = centred_corner(box);
        message  = child_text(dialog, IDC_MESSAGE);
        return IDC_ANSWER_NO;
    });
    EXPECT_EQ(prompt.caption, "ZP-4 File Converter");
    EXPECT_EQ(message, "03s.wav already exists. Overwrite?");
    EXPECT_EQ(corner.x, expected.x);
    EXPECT_EQ(corner.y, expected.y);
}

struct AnswerCase {
    int button;
    int32_t reply;
};

// The pressed id is the answer: write, yes to all, skip, abort; Esc and the close box skip.
// clang-format off
const AnswerCase ANSWERS[] = {
    {IDC_ANSWER_YES,        REPLY_WRITE},
    {IDC_ANSWER_YES_TO_ALL, REPLY_YES_TO_ALL},
    {IDC_ANSWER_NO,         REPLY_NO},
    {IDC_ANSWER_CANCEL, REPLY_ABORT},
    {IDCANCEL,       2},
};
// clang-format on

TEST_F(DialogsTest, PromptStoresThePressedButtonAsTheReply) {
    for (const AnswerCase& c : ANSWERS) {
        reply_state = REPLY_WRITE + 100;
        ask("07.wav", [&](HWND, const SeenDialog&) { return c.button; });
        EXPECT_EQ(reply_state.load(), c.reply) << "button " << c.button;
    }
}

struct KeyCase {
    WPARAM key;
    int32_t reply;
};

// Enter takes the default button, Yes; Esc skips the file rather than cancelling the job.
const KeyCase KEYS[] = {
    {VK_RETURN, REPLY_WRITE},
    {VK_ESCAPE, IDCANCEL},
};

TEST_F(DialogsTest, PromptAnswersEnterWithYesAndEscWithSkip) {
    for (const KeyCase& c : KEYS) {
        reply_state = REPLY_ABORT;
        DialogWatcher watcher([&](HWND dialog, const SeenDialog&) {
            PostMessageA(GetDlgItem(dialog, IDC_ANSWER_YES), WM_KEYDOWN, c.key, 0);
            wait_until([dialog] { return !IsWindow(dialog); }, DIALOG_TIMEOUT_MS);
            return IDC_ANSWER_CANCEL; // only reached if the key did nothing
        });
        std::strcpy(output_name, "00.wav");
        SendMessageA(window, WM_USER, JOB_QUESTION, 0);
        watcher.stop();
        EXPECT_EQ(reply_state.load(), c.reply) << "key " << c.key;
    }
}

// The Open dialog's controls, as the system's dialog numbers them.
constexpr int FILE_TYPE_LIST = 0x470; // cmb1

using OpenDialogTest = DialogsTest;

std::string list_item(HWND list, int index) {
    char text[128] = "";
    SendMessageA(list, CB_GETLBTEXT, WPARAM(index), LPARAM(text));
    return text;
}

TEST_F(OpenDialogTest, OffersBanksFirstThenAllFiles) {
    std::vector<std::string> types;
    int selected          = -1;
    const SeenDialog open = run(WM_COMMAND, IDM_OPEN, [&](HWND dialog, const SeenDialog&) {
        HWND list = GetDlgItem(dialog, FILE_TYPE_LIST);
        for (LRESULT i = 0; i < SendMessageA(list, CB_GETCOUNT, 0, 0); ++i)
            types.push_back(list_item(list, int(i)));
        selected = int(SendMessageA(list, CB_GETCURSEL, 0, 0));
        return IDCANCEL;
    });
    EXPECT_EQ(open.caption, "Open");
    EXPECT_EQ(types, (std::vector<std::string>{"ZP-4 File (*.zp4)", "All Files (*.*)"}));
    EXPECT_EQ(selected, 0);
}

// Types a name into the Open dialog and presses Open (or Cancel).
SeenDialog choose_file(HWND window, const std::string& typed, int button) {
    DialogWatcher watcher([&](HWND dialog, const SeenDialog&) {
        type_file_name(dialog, typed);
        return button;
    });
    SendMessageA(window, WM_COMMAND, IDM_OPEN, 0);
    const std::vector<SeenDialog> seen = watcher.stop();
    EXPECT_EQ(seen.size(), 1u);
    return seen.empty() ? SeenDialog{} : seen[0];
}

bool extract_request_queued(HWND window) {
    MSG message;
    return PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
           message.wParam == IDM_EXTRACT;
}

TEST_F(OpenDialogTest, ChosenFileBecomesTheBulkPathAndIsRequested) {
    const std::string bank = join(fresh_folder("open"), "bank.zp4");
    write_text(bank, "x");
    choose_file(window, bank, IDOK);
    EXPECT_STRCASEEQ(bulk_path, bank.c_str());
    EXPECT_TRUE(extract_request_queued(window));
}

TEST_F(OpenDialogTest, CancelRequestsNothing) {
    const std::string bank = join(fresh_folder("open"), "bank.zp4");
    write_text(bank, "x");
    choose_file(window, bank, IDCANCEL);
    EXPECT_FALSE(extract_request_queued(window));
}

} // namespace
