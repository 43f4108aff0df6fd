#include "main_window_fixture.h"
#include "resource.h"
#include <cstring>
#include <string>
#include <vector>

namespace {

using DialogsTest = MainWindowTest;

struct CentredCase {
    UINT message;
    WPARAM wparam;
    const char* caption;
    const char* text; // among its static texts
};

// clang-format off
const CentredCase CENTRED_CASES[] = {
    {WM_JOB_STATUS, JOB_QUESTION, "ZP-4 File Converter",      "03s.wav already exists. Overwrite?"},
    {WM_COMMAND,    IDM_ABOUT,    "About ZP-4 File Conveter", "ZP-4 file to WAVE Extractor Version 1.0"},
};
// clang-format on

TEST_F(DialogsTest, PromptAndAboutBoxOpenCentredOnTheDesktop) {
    MoveWindow(window, 0, 0, 200, 100, TRUE); // far from the middle
    std::strcpy(output_name, "03s.wav");
    for (const CentredCase& c : CENTRED_CASES) {
        RECT desktop, box{};
        GetWindowRect(GetDesktopWindow(), &desktop);
        DialogWatcher watcher([&](HWND dialog) {
            GetWindowRect(dialog, &box);
            return IDCANCEL;
        });
        SendMessageA(window, c.message, c.wparam, 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        ASSERT_EQ(seen.size(), 1u) << c.caption;
        EXPECT_EQ(seen[0].caption, c.caption);
        EXPECT_NE(seen[0].text.find(c.text), std::string::npos) << seen[0].text;
        EXPECT_EQ(box.left, desktop.right / 2 - (box.right - box.left) / 2) << c.caption;
        EXPECT_EQ(box.top, desktop.bottom / 2 - (box.bottom - box.top) / 2) << c.caption;
    }
}

struct AnswerCase {
    int button; // pressed, or 0 for the key
    WPARAM key;
    int32_t reply;
};

// The pressed id is the answer. Enter takes the default button, Yes; Esc gives IDCANCEL (2),
// which skips the file rather than cancelling the job.
// clang-format off
const AnswerCase ANSWER_CASES[] = {
    {IDC_ANSWER_YES,        0,         REPLY_WRITE},
    {IDC_ANSWER_YES_TO_ALL, 0,         REPLY_YES_TO_ALL},
    {IDC_ANSWER_NO,         0,         REPLY_NO},
    {IDC_ANSWER_CANCEL,     0,         REPLY_ABORT},
    {0,                     VK_RETURN, REPLY_WRITE},
    {0,                     VK_ESCAPE, 2},
};
// clang-format on

TEST_F(DialogsTest, PromptStoresTheAnswerAsTheReply) {
    std::strcpy(output_name, "00.wav");
    for (const AnswerCase& c : ANSWER_CASES) {
        reply_state = 0;
        DialogWatcher watcher([&](HWND dialog) {
            if (c.key == 0) return c.button;
            PostMessageA(GetDlgItem(dialog, IDC_ANSWER_YES), WM_KEYDOWN, c.key, 0);
            wait_until([dialog] { return !IsWindow(dialog); });
            return 0; // the reply if the key did nothing
        });
        SendMessageA(window, WM_JOB_STATUS, JOB_QUESTION, 0);
        EXPECT_EQ(watcher.stop().size(), 1u);
        EXPECT_EQ(reply_state.load(), c.reply) << "button " << c.button << ", key " << c.key;
    }
}

TEST_F(DialogsTest, OpenDialogOffersBanksFirstThenAllFiles) {
    std::string types; // the list's items, then the one shown
    DialogWatcher watcher([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, 0x470); // cmb1
        char type[128];
        for (WPARAM i = 0; SendMessageA(list, CB_GETLBTEXT, i, LPARAM(type)) > 0; ++i)
            types += std::string(type) + "|";
        types += window_text(list);
        return IDCANCEL;
    });
    SendMessageA(window, WM_COMMAND, IDM_OPEN, 0);
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Open");
    EXPECT_EQ(types, "ZP-4 File (*.zp4)|All Files (*.*)|ZP-4 File (*.zp4)");
}

} // namespace
