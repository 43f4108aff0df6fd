#include "dialog_watch.h"
#include "extract_job.h"
#include "job_status.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "tray.h"
#include "window_state.h"
#include <cstddef>
#include <thread>

namespace {

HICON icon(WORD id) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

// A shown menu is a top-level window of class "#32768".
HWND find_open_menu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

class TrayTest : public MainWindowTest {
  protected:
    void minimise() {
        ShowWindow(window, SW_MINIMIZE);
        ASSERT_EQ(ui.in_tray, 1);
    }

    LRESULT tray_event(UINT mouse_event) {
        return SendMessageA(window, ui.tray_message, 0, LPARAM(mouse_event));
    }

    // The animation timer, observed without touching it: a tick shows a frame.
    static bool animating() { return ui.tray_record.hIcon != icon(IDI_RESTING); }
};

TEST_F(TrayTest, TrayRecordIsTheFirstVersionWithTheProgramNameAsTip) {
    // The first version ends with a 64-character tip (88 bytes in the 32-bit release).
    EXPECT_EQ(ui.tray_record.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(ui.tray_record.hWnd, window);
    EXPECT_EQ(ui.tray_record.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(ui.tray_record.uCallbackMessage, RegisterWindowMessageA("UNBANK"));
    EXPECT_STREQ(ui.tray_record.szTip, "UNBANK");
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
}

TEST_F(TrayTest, MinimiseWhileIdleShowsTheRestingIconWithoutAnimation) {
    minimise();
    EXPECT_FALSE(IsWindowVisible(window));
    pump_until([] { return false; }, 300);
    EXPECT_FALSE(animating());
}

TEST_F(TrayTest, FramesFollowTheTableAndAFinalCodeRestsTheIcon) {
    const WORD frames[] = {130, 131, 140, 141, 132, 133, 134, 135, 136, 142, 143, 130};
    minimise();
    for (WORD frame : frames) {
        on_animation_tick();
        EXPECT_EQ(ui.tray_record.hIcon, icon(frame));
    }
    SendMessageA(window, WM_USER, JOB_CANCELLED, 0); // final, and no box
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
    EXPECT_FALSE(KillTimer(window, ANIMATION_TIMER));
}

TEST_F(TrayTest, WritingCodeAnimatesWithinAFewTicks) {
    minimise();
    SendMessageA(window, WM_USER, JOB_WRITING, 0);
    EXPECT_TRUE(pump_until(animating, 1000));
    SendMessageA(window, WM_USER, JOB_CANCELLED, 0);
    EXPECT_FALSE(animating());
}

TEST_F(TrayTest, MinimiseDuringAJobAnimatesAndDoubleClickStopsIt) {
    busy_flag = 1;
    minimise();
    EXPECT_TRUE(pump_until(animating, 1000));
    EXPECT_EQ(tray_event(WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(ui.in_tray, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(animating());
    EXPECT_FALSE(KillTimer(window, ANIMATION_TIMER));
    busy_flag = 0;
}

TEST_F(TrayTest, ShowRequestRestoresTheWindowFromTheNotificationArea) {
    minimise();
    SendMessageA(window, WM_COMMAND, IDM_SHOW, 0);
    EXPECT_EQ(ui.in_tray, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    SendMessageA(window, WM_COMMAND, IDM_SHOW, 0); // shown already: only rises
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(TrayTest, ButtonDownOpensTheTrayMenuAtTheCursor) {
    minimise();
    for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SetCursorPos(300, 200);
        RECT shown{};
        HMENU shown_menu = nullptr;
        std::thread closer([&] {
            HWND menu = nullptr;
            wait_until([&] { return (menu = find_open_menu()) != nullptr; }, DIALOG_TIMEOUT_MS);
            if (menu == nullptr) return;
            GetWindowRect(menu, &shown);
            shown_menu = HMENU(SendMessageA(menu, MN_GETHMENU, 0, 0));
            PostMessageA(window, WM_CANCELMODE, 0, 0);
        });
        EXPECT_EQ(tray_event(button), 0);
        closer.join();
        EXPECT_EQ(shown_menu, ui.tray_menu);
        EXPECT_EQ(shown.left, 300);
        EXPECT_EQ(shown.top, 200);
        MSG behind;
        EXPECT_TRUE(PeekMessageA(&behind, window, WM_NULL, WM_NULL, PM_REMOVE))
            << "a message must follow the menu";
    }
}

TEST_F(TrayTest, ClosingFromTheNotificationAreaRemovesTheIcon) {
    minimise();
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ui.in_tray, 0);
}

TEST_F(TrayTest, CommandLineExtractRequestEntersTheNotificationArea) {
    ui.command_line_mode = 1;
    SendMessageA(window, WM_COMMAND, IDM_EXTRACT, 0); // the empty path is refused
    EXPECT_EQ(ui.in_tray, 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(busy_flag.load(), 0);
}

} // namespace
