// The program's real main window, created in the test process by the program's own start-up
// code, and everything taken down again after each test.
#pragma once
#include "dialog_watch.h"
#include "extract_job.h"
#include "program.h"
#include "resource.h"
#include "window_host.h"
#include "window_state.h"
#include <gtest/gtest.h>

// Enabled or greyed, as the menu shows the command.
inline bool enabled(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

// The icon as a user sees it: 16 by 16 pixels.
inline std::vector<uint32_t> picture(HICON icon) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits     = nullptr;
    HDC dc         = CreateCompatibleDC(nullptr);
    HBITMAP dib    = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, dib);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits),
                                       static_cast<uint32_t*>(bits) + 256);
    DeleteDC(dc);
    DeleteObject(dib);
    return pixels;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".zp4"); // the window reads the association at its start
        ui.instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(register_main_class(ui.instance));
        ShowWindow(window = create_main_window(), SW_SHOWNORMAL);
    }

    void TearDown() override {
        reply_state = REPLY_ABORT; // a job a test started ends before the next test
        pump_until([] { return busy_flag.load() == 0; });
        DestroyWindow(window);
        MSG quit; // it would end the next test's first modal loop at once
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        UnregisterClassA("UNBANK", ui.instance);
        ui               = WindowState{};
        reply_state      = REPLY_WRITE;
        progress_current = progress_total = 100;
    }

    // Dispatches what is queued for this thread, as the message loop would, until the
    // condition holds; false when the time ran out.
    static bool pump_until(const std::function<bool()>& condition) {
        return wait_until([&] {
            for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageA(&message);
            return condition();
        });
    }

    HWND window = nullptr;
};
