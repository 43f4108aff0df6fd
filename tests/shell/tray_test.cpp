#include "main_window_fixture.h"
#include "resource.h"
#include "tray.h"
#include <cstddef>
#include <thread>
#include <vector>

namespace {

HICON icon(WORD id) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

WORD icon_id(HICON shown) {
    for (WORD id = IDI_PROGRAM; id <= IDI_RESTING; ++id)
        if (icon(id) == shown) return id;
    return 0;
}

// Wine's own notification area holds one child window per icon.
int icons_in_tray() {
    HWND tray  = FindWindowA("__winex11_standalone_tray", nullptr);
    int icons  = 0;
    HWND child = tray ? GetWindow(tray, GW_CHILD) : nullptr;
    for (; child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        ++icons;
    return icons;
}

// Whether the animation timer was running; stops it if it was.
bool timer_ran(HWND window) {
    return KillTimer(window, ANIMATION_TIMER) != FALSE;
}

class TrayTest : public MainWindowTest {
  protected:
    void send_tray(LPARAM mouse_event) { SendMessageA(window, ui.tray_message, 0, mouse_event); }

    // The icons the record takes while the messages are dispatched, each change once.
    std::vector<WORD> frames_shown(size_t count) {
        std::vector<WORD> seen;
        HICON last = ui.tray_record.hIcon;
        pump_until([&] {
            if (ui.tray_record.hIcon != last) seen.push_back(icon_id(last = ui.tray_record.hIcon));
            return seen.size() == count;
        });
        return seen;
    }

    bool shown() const { return IsWindowVisible(window) && !IsIconic(window); }
};

TEST_F(TrayTest, RecordIsTheFirstVersionWithTheProgramNameAsTip) {
    // The first version ends with a 64-character tip (88 bytes in the 32-bit release).
    EXPECT_EQ(ui.tray_record.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(ui.tray_record.hWnd, window);
    EXPECT_EQ(ui.tray_record.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(ui.tray_record.uCallbackMessage, RegisterWindowMessageA("UNBANK"));
    EXPECT_STREQ(ui.tray_record.szTip, "UNBANK");
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
}

TEST_F(TrayTest, MinimiseHidesTheWindowBehindTheIconUntilADoubleClick) {
    const UINT taskbar_created = RegisterWindowMessageA("TaskbarCreated");
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(icons_in_tray(), 1);
    EXPECT_FALSE(timer_ran(window)) << "no animation while idle";
    send_tray(WM_MOUSEMOVE);
    EXPECT_FALSE(IsWindowVisible(window));

    // A restarted shell forgets the icon; its announcement brings it back.
    Shell_NotifyIconA(NIM_DELETE, &ui.tray_record);
    SendMessageA(window, taskbar_created, 0, 0);
    EXPECT_EQ(icons_in_tray(), 1);

    send_tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(shown());
    EXPECT_EQ(icons_in_tray(), 0);
    SendMessageA(window, taskbar_created, 0, 0);
    SendMessageA(window, WM_COMMAND, IDM_SHOW, 0); // a second start: only raises it
    EXPECT_TRUE(shown());
    EXPECT_EQ(icons_in_tray(), 0);
}

TEST_F(TrayTest, AnimationRunsInTheTrayWhileAJobRunsAndGoesOnWhereItStopped) {
    busy_flag = 1; // as the job sets it
    SendMessageA(window, WM_JOB_STATUS, JOB_WRITING, 0);
    EXPECT_FALSE(timer_ran(window)) << "the shown window does not animate";

    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(frames_shown(3), (std::vector<WORD>{130, 131, 140}));
    send_tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(shown());
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
    EXPECT_FALSE(timer_ran(window));

    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(frames_shown(2), (std::vector<WORD>{141, 132}));
    SendMessageA(window, WM_JOB_STATUS, JOB_CANCELLED, 0); // final, and without a box
    busy_flag = 0;
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
    EXPECT_FALSE(timer_ran(window));
    EXPECT_EQ(icons_in_tray(), 1);
}

TEST_F(TrayTest, FrameTableRunsInItsOrderAndStartsAgain) {
    const WORD frames[] = {130, 131, 140, 141, 132, 133, 134, 135, 136, 142, 143, 130};
    ShowWindow(window, SW_MINIMIZE);
    for (WORD frame : frames) {
        on_animation_tick();
        EXPECT_EQ(ui.tray_record.hIcon, icon(frame));
    }
}

// The menu opens with its corner at the cursor; Escape closes it, and Exit there ends the
// program (the choice arrives as a posted command).
TEST_F(TrayTest, ButtonPressOpensTheTrayMenuAtTheCursor) {
    ShowWindow(window, SW_MINIMIZE);
    SetCursorPos(300, 200);
    for (LPARAM press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        const WPARAM choice = press == WM_LBUTTONDOWN ? VK_ESCAPE : 'x';
        RECT opened{};
        std::thread chooser([&] {
            HWND menu = nullptr;
            wait_until([&] {
                menu = FindWindowA("#32768", nullptr);
                return menu != nullptr && IsWindowVisible(menu);
            });
            GetWindowRect(menu, &opened);
            PostMessageA(menu, choice == VK_ESCAPE ? WM_KEYDOWN : WM_CHAR, choice, 0);
        });
        send_tray(press); // returns when the menu has closed
        chooser.join();
        EXPECT_EQ(opened.left, 300) << press;
        EXPECT_EQ(opened.top, 200) << press;
    }
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); })) << "Exit chosen";
}

} // namespace
