#include "main_window_fixture.h"

#include "extract_job.h"
#include "job_status.h"
#include "program.h"
#include "window_state.h"

void MainWindowTest::SetUp() {
    GetCurrentDirectoryA(sizeof working_folder_, working_folder_);
    ui          = WindowState{};
    ui.instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(register_main_class(ui.instance));
    window = create_main_window();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

void MainWindowTest::TearDown() {
    // A job started by a test ends before the next test resets the shared words.
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
    // The Open dialog moves the working folder to where it browsed, which would keep that
    // folder from being deleted by the next test.
    SetCurrentDirectoryA(working_folder_);
}

void MainWindowTest::pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool MainWindowTest::pump_until(const std::function<bool()>& condition, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (condition()) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool MainWindowTest::enabled(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}
