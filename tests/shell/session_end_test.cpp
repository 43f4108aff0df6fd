#include "main_window_fixture.h"
#include <cstring>
#include <thread>

namespace {

// A session's end stopped a job, then another program refused it: the boxes and the question
// come back, so that the next job asks before it writes over a file and says how it ended.
TEST_F(MainWindowTest, ARefusedSessionEndBringsTheBoxesAndTheQuestionBack) {
    busy_flag = 1;
    std::thread worker([] { // the stopped job's end step
        Sleep(50);
        busy_flag = 0;
    });
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    worker.join();
    SendMessageA(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    std::strcpy(output_name, "07.wav");
    DialogWatcher watcher([](HWND) { return IDC_ANSWER_NO; });
    SendMessageA(window, WM_JOB_STATUS, JOB_QUESTION, 0);
    SendMessageA(window, WM_JOB_STATUS, JOB_WRITE_ERROR, 0);
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "07.wav already exists. Overwrite?");
    EXPECT_EQ(seen[1].text, "Write error");
    EXPECT_EQ(reply_state.load(), REPLY_NO);
}

} // namespace
