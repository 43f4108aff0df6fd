#include "dialog_watch.h"
#include "extract_job.h"
#include "job_status.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "window_state.h"
#include <vector>

namespace {

struct Menus {
    bool file_open, file_abort, tray_open, tray_abort;
};

bool operator==(const Menus& a, const Menus& b) {
    return a.file_open == b.file_open && a.file_abort == b.file_abort &&
           a.tray_open == b.tray_open && a.tray_abort == b.tray_abort;
}

std::ostream& operator<<(std::ostream& out, const Menus& m) {
    return out << "file open " << m.file_open << " abort " << m.file_abort << ", tray open "
               << m.tray_open << " abort " << m.tray_abort;
}

constexpr Menus IDLE = {true, false, true, false};
constexpr Menus BUSY = {false, true, false, true};

class StatusDisplayTest : public MainWindowTest {
  protected:
    static Menus menus() {
        return {enabled(ui.file_menu, IDM_OPEN), enabled(ui.file_menu, IDM_ABORT),
                enabled(ui.tray_menu, IDM_OPEN), enabled(ui.tray_menu, IDM_ABORT)};
    }

    LRESULT report(uint32_t code) { return SendMessageA(window, WM_USER, WPARAM(code), 0); }

    // Sends the code with a box expected; returns it, with the menus as they were while open.
    SeenDialog report_with_box(uint32_t code, Menus& while_open) {
        DialogWatcher watcher([&](HWND, const SeenDialog&) {
            while_open = menus();
            return IDOK;
        });
        EXPECT_EQ(report(code), 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        EXPECT_EQ(seen.size(), 1u) << "code " << code;
        return seen.empty() ? SeenDialog{} : seen[0];
    }
};

struct FinalCase {
    uint32_t code;
    const char* text;
    bool warning; // a warning shows its icon, the notice none
    Menus while_open;
};

// The failures show their box before anything changes; the end of a full job first sets the
// menus idle, except the tray's Open..., which waits for the box to close.
// clang-format off
const FinalCase FINAL_CASES[] = {
    {JOB_DONE,        "Extract done!",             false, {true, false, false, false}},
    {JOB_READ_ERROR,  "Read error",                true,  BUSY},
    {JOB_WRITE_ERROR, "Write error",               true,  BUSY},
    {JOB_NOT_BULK,    "Not ZP-4 file",             true,  BUSY},
    {JOB_EMPTY,       "ZP-4 file has no contents", true,  BUSY},
    {8,               "Unknown error",             true,  BUSY},
    {0xFFFFFFFFu,     "Unknown error",             true,  BUSY}, // -1 as a signed code
};
// clang-format on

TEST_F(StatusDisplayTest, WritingSetsTheBusyMenusAndShowsNothing) {
    DialogWatcher watcher;
    EXPECT_EQ(report(JOB_WRITING), 0);
    EXPECT_EQ(menus(), BUSY);
    EXPECT_FALSE(KillTimer(window, 1)) << "no animation outside the notification area";
    EXPECT_TRUE(watcher.stop().empty());
}

TEST_F(StatusDisplayTest, EachFinalCodeShowsItsBoxThenSetsTheMenusIdle) {
    for (const FinalCase& c : FINAL_CASES) {
        report(JOB_WRITING);
        Menus while_open{};
        const SeenDialog box = report_with_box(c.code, while_open);
        EXPECT_EQ(box.caption, "UNBANK") << c.code;
        EXPECT_EQ(box.text, c.text) << c.code;
        EXPECT_EQ(box.icon, c.warning) << c.code;
        EXPECT_EQ(while_open, c.while_open) << c.code;
        EXPECT_EQ(menus(), IDLE) << c.code;
        EXPECT_TRUE(IsWindow(window)) << c.code;
    }
}

TEST_F(StatusDisplayTest, CancelShowsNothingAndSetsTheMenusIdle) {
    report(JOB_WRITING);
    DialogWatcher watcher;
    EXPECT_EQ(report(JOB_CANCELLED), 0);
    EXPECT_TRUE(watcher.stop().empty());
    EXPECT_EQ(menus(), IDLE);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(StatusDisplayTest, AbortConvertWorksWhileAWarningIsOpen) {
    report(JOB_WRITING);
    DialogWatcher watcher([&](HWND, const SeenDialog&) {
        SendMessageA(window, WM_COMMAND, IDM_ABORT, 0);
        return IDOK;
    });
    report(JOB_WRITE_ERROR);
    watcher.stop();
    EXPECT_EQ(reply_state.load(), REPLY_ABORT);
}

TEST_F(StatusDisplayTest, QuestionLeavesTheMenusBusy) {
    report(JOB_WRITING);
    DialogWatcher watcher([](HWND, const SeenDialog&) { return IDC_ANSWER_NO; });
    EXPECT_EQ(report(JOB_QUESTION), 0);
    ASSERT_EQ(watcher.stop().size(), 1u);
    EXPECT_EQ(reply_state.load(), REPLY_NO);
    EXPECT_EQ(menus(), BUSY);
}

using CommandLineStatusTest = StatusDisplayTest;

TEST_F(CommandLineStatusTest, CancelClosesTheProgramWithoutAMessage) {
    ui.command_line_mode = 1;
    DialogWatcher watcher;
    report(JOB_CANCELLED);
    EXPECT_TRUE(watcher.stop().empty());
    EXPECT_FALSE(IsWindow(window));
}

// In command-line mode the window goes once the box has been answered, not before.
void expect_box_then_close(HWND window, uint32_t code) {
    ui.command_line_mode = 1;
    bool open_while_box  = false;
    DialogWatcher watcher([&](HWND, const SeenDialog&) {
        open_while_box = IsWindow(window) != FALSE;
        return IDOK;
    });
    SendMessageA(window, WM_USER, WPARAM(code), 0);
    EXPECT_EQ(watcher.stop().size(), 1u);
    EXPECT_TRUE(open_while_box);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(CommandLineStatusTest, ExtractDoneClosesTheProgramOnceAnswered) {
    expect_box_then_close(window, JOB_DONE);
}

TEST_F(CommandLineStatusTest, FailureClosesTheProgramOnceAnswered) {
    expect_box_then_close(window, JOB_NOT_BULK);
}

TEST_F(CommandLineStatusTest, QuestionAndWritingKeepTheProgramOpen) {
    ui.command_line_mode = 1;
    DialogWatcher watcher([](HWND, const SeenDialog&) { return IDC_ANSWER_YES; });
    report(JOB_WRITING);
    report(JOB_QUESTION);
    EXPECT_EQ(watcher.stop().size(), 1u);
    EXPECT_TRUE(IsWindow(window));
}

} // namespace
