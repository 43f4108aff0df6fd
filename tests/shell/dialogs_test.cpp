#include "main_window_fixture.h"
#include <cstring>

namespace {

// Both dialogs as a person answers them: a button found by its label and pressed, a key, the
// close box. The prompt names the file and leaves its answer in the reply state: Enter takes
// the default, Yes; Esc and the close box give IDCANCEL (2), which skips the file rather than
// cancelling the job. The About box closes every way and answers nothing.
TEST_F(MainWindowTest, DialogsDoWhatTheirLabelsAndKeysSay) {
    std::strcpy(output_name, "03s.wav");
    // clang-format off
    const struct {
        bool about;
        const char* label; // the button to press, or nullptr for the key
        WPARAM key;        // or 0 for the close box
        int32_t reply;
    } cases[] = {
        {false, "&Yes", 0, REPLY_WRITE},          {false, "Yes to &All", 0, REPLY_YES_TO_ALL},
        {false, "&No", 0, REPLY_NO},              {false, "&Cancel", 0, REPLY_ABORT},
        {false, nullptr, VK_RETURN, REPLY_WRITE}, {false, nullptr, VK_ESCAPE, 2},
        {false, nullptr, 0, 2},                   {true, "OK", 0, 0},
        {true, nullptr, VK_ESCAPE, 0},            {true, nullptr, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        reply_state = 0;
        bool closed = false;
        DialogWatcher watcher([&](HWND dialog) {
            if (c.label)
                PostMessageA(FindWindowExA(dialog, nullptr, "Button", c.label), BM_CLICK, 0, 0);
            else if (c.key)
                PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, c.key, 0);
            else
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            closed = wait_until([&] { return !IsWindow(dialog); });
            return closed ? 0 : IDOK; // one left open is closed, so that the test goes on
        });
        if (c.about)
            SendMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
        else
            SendMessageA(window, WM_JOB_STATUS, JOB_QUESTION, 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        const char* how                    = c.label ? c.label : c.key ? "key" : "close box";
        ASSERT_EQ(seen.size(), 1u) << how;
        EXPECT_EQ(c.about ? seen[0].caption : seen[0].caption + ": " + seen[0].text,
                  c.about ? "About ZP-4 File Conveter"
                          : "ZP-4 File Converter: 03s.wav already exists. Overwrite?");
        EXPECT_TRUE(closed) << how;
        EXPECT_EQ(reply_state.load(), c.reply) << how << " " << c.key;
    }
}

} // namespace
