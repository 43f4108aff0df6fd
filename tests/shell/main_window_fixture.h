// Creates the program's real main window in the test process through the program's own
// start-up code, and takes everything down again after each test.
#pragma once
#include "dialog_watch.h"
#include "extract_job.h"
#include "job_status.h"
#include "program.h"
#include "window_host.h"
#include "window_state.h"
#include <gtest/gtest.h>

constexpr int PICTURE_HALF   = 129; // the progress picture, bitmap 119, is 258 by 41
constexpr int PICTURE_HEIGHT = 41;

// Enabled or greyed, as the menu shows the command.
inline bool enabled(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The window reads the file-type association when it is created: start without one.
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".zp4");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "QUMA.ZP-4");
        ui.instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(register_main_class(ui.instance));
        window = create_main_window();
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }

    void TearDown() override {
        // A job started by a test ends before the shared words are reset for the next test.
        reply_state = REPLY_ABORT;
        pump_until([] { return busy_flag.load() == 0; });
        if (IsWindow(window)) DestroyWindow(window);
        // The quit message would end the next test's first modal loop at once.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        UnregisterClassA("UNBANK", ui.instance);
        DeleteObject(ui.progress_picture);
        ui               = WindowState{};
        bulk_path[0]     = '\0';
        reply_state      = REPLY_WRITE;
        progress_current = 100;
        progress_total   = 100;
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
