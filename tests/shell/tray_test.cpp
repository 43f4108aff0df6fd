#include "main_window_fixture.h"
#include "resource.h"
#include "tray.h"
#include <cstddef>

namespace {

HICON icon(WORD id) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

using TrayTest = MainWindowTest;

TEST_F(TrayTest, RecordIsTheFirstVersionWithTheProgramNameAsTip) {
    // The first version ends with a 64-character tip (88 bytes in the 32-bit release).
    EXPECT_EQ(ui.tray_record.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(ui.tray_record.hWnd, window);
    EXPECT_EQ(ui.tray_record.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(ui.tray_record.uCallbackMessage, RegisterWindowMessageA("UNBANK"));
    EXPECT_STREQ(ui.tray_record.szTip, "UNBANK");
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
}

TEST_F(TrayTest, FramesFollowTheirOrderAndTheEndOfAJobRestsTheIcon) {
    const WORD frames[] = {130, 131, 140, 141, 132, 133, 134, 135, 136, 142, 143, 130};
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_EQ(ui.in_tray, 1);
    for (WORD frame : frames) {
        on_animation_tick();
        EXPECT_EQ(ui.tray_record.hIcon, icon(frame));
    }
    SendMessageA(window, WM_USER, JOB_WRITING, 0); // the timer goes on with the next frame
    EXPECT_TRUE(pump_until([] { return ui.tray_record.hIcon == icon(131); }));
    SendMessageA(window, WM_USER, JOB_CANCELLED, 0); // final, and no box
    EXPECT_EQ(ui.tray_record.hIcon, icon(IDI_RESTING));
    EXPECT_FALSE(KillTimer(window, ANIMATION_TIMER));
}

} // namespace
