#include "main_window_fixture.h"
#include "tray.h"

namespace {

// Wine's own notification area holds one child window per icon.
int icons_in_tray() {
    int icons = 0;
    for (HWND child = GetWindow(FindWindowA("__winex11_standalone_tray", nullptr), GW_CHILD); child;
         child      = GetWindow(child, GW_HWNDNEXT))
        ++icons;
    return icons;
}

// Minimised while a job runs, the window hides behind an icon on which a word scrolls through a
// display of two cells: what the right cell (columns 9 to 15) shows in one frame, the left cell
// (columns 0 to 6) shows in the next. A double-click brings the window back and the icon
// rests; minimised again, the word goes on where it stopped. The job's end shows the resting
// icon. A restarted shell, which forgets the icon, gets it back.
TEST_F(MainWindowTest, TrayIconScrollsAWordWhileAJobRuns) {
    const HICON resting = LoadIconA(ui.instance, MAKEINTRESOURCEA(IDI_RESTING));
    auto animating = [&] { return KillTimer(window, ANIMATION_TIMER) != FALSE; }; // and stops it
    busy_flag      = 1;
    SendMessageA(window, WM_JOB_STATUS, JOB_WRITING, 0);
    EXPECT_FALSE(animating()) << "the shown window does not animate";
    std::vector<HICON> frames;
    for (size_t wanted : {3, 6}) {
        ShowWindow(window, SW_MINIMIZE);
        EXPECT_EQ(icons_in_tray(), 1);
        EXPECT_FALSE(IsWindowVisible(window));
        HICON last = ui.tray_record.hIcon;
        pump_until([&] {
            if (ui.tray_record.hIcon != last) frames.push_back(last = ui.tray_record.hIcon);
            return frames.size() == wanted;
        });
        SendMessageA(window, ui.tray_message, 0, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window));
        EXPECT_EQ(icons_in_tray(), 0);
        EXPECT_EQ(ui.tray_record.hIcon, resting);
        EXPECT_FALSE(animating());
    }
    ASSERT_EQ(frames.size(), 6u);
    for (size_t i = 1; i < frames.size(); ++i) {
        const std::vector<uint32_t> from = picture(frames[i - 1]), to = picture(frames[i]);
        for (int pixel = 0; pixel < 256; ++pixel)
            ASSERT_TRUE(pixel % 16 > 6 || from[pixel + 9] == to[pixel]) << "frame " << i;
        EXPECT_NE(from, to) << "frame " << i;
    }
    ShowWindow(window, SW_MINIMIZE);
    Shell_NotifyIconA(NIM_DELETE, &ui.tray_record);
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(icons_in_tray(), 1);
    SendMessageA(window, WM_JOB_STATUS, JOB_CANCELLED, 0);
    busy_flag = 0;
    EXPECT_EQ(ui.tray_record.hIcon, resting);
    EXPECT_FALSE(animating());
}

} // namespace
