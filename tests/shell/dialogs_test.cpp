#include "main_window_fixture.h"
#include <cstring>

namespace {

// The prompt names the file; the pressed id is the answer. Enter takes the default, Yes; Esc
// gives IDCANCEL (2), which skips the file rather than cancelling the job.
TEST_F(MainWindowTest, PromptStoresTheAnswerAsTheReply) {
    std::strcpy(output_name, "03s.wav");
    const struct {
        int button; // or 0 for the key
        WPARAM key;
        int32_t reply;
    } cases[] = {
        {IDC_ANSWER_YES, 0, REPLY_WRITE}, {IDC_ANSWER_YES_TO_ALL, 0, REPLY_YES_TO_ALL},
        {IDC_ANSWER_NO, 0, REPLY_NO},     {IDC_ANSWER_CANCEL, 0, REPLY_ABORT},
        {0, VK_RETURN, REPLY_WRITE},      {0, VK_ESCAPE, 2},
    };
    for (const auto& c : cases) {
        reply_state = 0;
        DialogWatcher watcher([&](HWND dialog) {
            if (c.key) PostMessageA(GetDlgItem(dialog, IDC_ANSWER_YES), WM_KEYDOWN, c.key, 0);
            wait_until([&] { return !c.key || !IsWindow(dialog); });
            return c.button; // when a key ended the prompt, this goes nowhere
        });
        SendMessageA(window, WM_JOB_STATUS, JOB_QUESTION, 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption + ": " + seen[0].text,
                  "ZP-4 File Converter: 03s.wav already exists. Overwrite?");
        EXPECT_EQ(reply_state.load(), c.reply) << c.button << " " << c.key;
    }
}

} // namespace
