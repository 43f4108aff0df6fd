#include "program.h"

#include "extract_job.h"
#include "job_status.h"
#include "main_window.h"
#include "resource.h"
#include "tray.h"
#include "window_state.h"

namespace {

// Outer size for a client area of half the picture's width and its full height.
SIZE main_window_size(HBITMAP picture) {
    BITMAP bitmap;
    GetObjectA(picture, sizeof bitmap, &bitmap);
    SIZE size;
    size.cx = bitmap.bmWidth / 2 + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXDLGFRAME) +
              GetSystemMetrics(SM_CXBORDER);
    size.cy = bitmap.bmHeight + GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYDLGFRAME) +
              GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION) +
              GetSystemMetrics(SM_CYMENU);
    return size;
}

int run_message_loop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}

// A job may still be between its last report and its end step: let it finish (an abort
// stops a slot in progress at its next frame). Never called inside the window procedure,
// where the worker may be blocked in the very message being handled.
void end_job() {
    if (busy_flag.load() != 0) reply_state = REPLY_ABORT;
    wait_for_job_end();
}

} // namespace

bool register_main_class(HINSTANCE instance) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc   = main_window_proc;
    window_class.hInstance     = instance;
    window_class.hIcon         = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    window_class.hCursor       = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = HBRUSH(GetStockObject(GRAY_BRUSH));
    window_class.lpszMenuName  = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    window_class.lpszClassName = PROGRAM_NAME;
    return RegisterClassA(&window_class) != 0;
}

HWND create_main_window() {
    ui.progress_picture = LoadBitmapA(ui.instance, MAKEINTRESOURCEA(IDB_PROGRESS));
    const SIZE size     = main_window_size(ui.progress_picture);
    HWND window         = CreateWindowExA(
                0, PROGRAM_NAME, PROGRAM_NAME, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, ui.instance, nullptr);
    init_tray(window);
    DragAcceptFiles(window, TRUE);
    return window;
}

void take_command_line(const char* text) {
    int length = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"') continue;
        if (length == PATH_BYTES - 1) {
            length = 0; // too long for any path: refuse it rather than cut it
            break;
        }
        bulk_path[length++] = *c;
    }
    bulk_path[length] = '\0';
}

int run_program(HINSTANCE instance, const char* command_line, int show) {
    ui.instance  = instance;
    HWND running = FindWindowA(PROGRAM_NAME, PROGRAM_NAME);
    if (running) {
        SendMessageA(running, WM_COMMAND, IDM_SHOW, 0); // returns once it has shown itself
        return 0;
    }
    if (!register_main_class(instance)) return 0;
    HWND window = create_main_window();
    if (command_line[0] != '\0') {
        take_command_line(command_line);
        ui.command_line_mode = 1;
        PostMessageA(window, WM_COMMAND, IDM_EXTRACT, 0);
        show = SW_MINIMIZE; // the minimise moves the program into the notification area
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    const int exit_code = run_message_loop();
    end_job();
    return exit_code;
}
