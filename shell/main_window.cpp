#include "main_window.h"

#include "association.h"
#include "dialogs.h"
#include "extract_job.h"
#include "job_status.h"
#include "resource.h"
#include "session_end.h"
#include "status_display.h"
#include "tray.h"
#include "window_host.h"
#include "window_state.h"

namespace {

// Commands ------------------------------------------------------------------------------------

// A path that is a directory, is missing or cannot be examined is refused silently, as is any
// request while a job runs.
void on_extract(HWND window) {
    if (ui.command_line_mode) enter_tray(window);
    const DWORD directory = GetFileAttributesA(bulk_path) & FILE_ATTRIBUTE_DIRECTORY;
    if (directory == 0 && busy_flag.load() == 0) start_job(host_for(window));
}

void on_show(HWND window) {
    leave_tray(window, true);
}

void on_abort(HWND) {
    reply_state = REPLY_ABORT;
}

void on_associate(HWND) {
    associate();
}

void on_dissociate(HWND) {
    dissociate();
}

void on_open(HWND window) {
    if (run_open_dialog(window)) PostMessageA(window, WM_COMMAND, IDM_EXTRACT, 0);
}

void on_about(HWND window) {
    show_about_box(window);
}

// A running job is told to stop; the program entry waits for it after the message loop.
void on_exit(HWND window) {
    if (busy_flag.load() != 0) reply_state = REPLY_ABORT;
    DestroyWindow(window);
}

struct Command {
    WPARAM id;
    void (*run)(HWND window);
};

// clang-format off
const Command COMMANDS[] = {
    {IDM_EXTRACT,    on_extract},
    {IDM_SHOW,       on_show},
    {IDM_ABORT,      on_abort},
    {IDM_ASSOCIATE,  on_associate},
    {IDM_DISSOCIATE, on_dissociate},
    {IDM_OPEN,       on_open},
    {IDM_ABOUT,      on_about},
    {IDM_EXIT,       on_exit},
};
// clang-format on

// Messages ------------------------------------------------------------------------------------

LRESULT on_create(HWND window) {
    ui.window     = window;
    ui.tray_menu  = GetSubMenu(LoadMenuA(ui.instance, MAKEINTRESOURCEA(IDR_TRAY_MENU)), 0);
    ui.file_menu  = GetSubMenu(GetMenu(window), 0);
    ui.associated = is_associated();
    update_menus();
    return 0;
}

// Command-line mode must not leave its icon behind; neither does a window closed from the tray.
LRESULT on_destroy(HWND window) {
    if (ui.command_line_mode || ui.in_tray) leave_tray(window, false);
    PostQuitMessage(0);
    return 0;
}

LRESULT on_size(HWND window, WPARAM kind) {
    if (kind == SIZE_MINIMIZED) enter_tray(window);
    return 0;
}

// The right half (filled logo) everywhere, then the left half (outline) over the top rows.
LRESULT on_paint(HWND window) {
    PAINTSTRUCT paint;
    HDC target      = BeginPaint(window, &paint);
    HDC source      = CreateCompatibleDC(target);
    HGDIOBJ earlier = SelectObject(source, ui.progress_picture);
    BITMAP picture;
    GetObjectA(ui.progress_picture, sizeof picture, &picture);
    const int half = picture.bmWidth / 2;
    const int rows = outline_rows(picture.bmHeight, progress_current, progress_total);
    BitBlt(target, 0, 0, half, picture.bmHeight, source, half, 0, SRCCOPY);
    BitBlt(target, 0, 0, half, rows, source, 0, 0, SRCCOPY);
    SelectObject(source, earlier);
    DeleteDC(source);
    EndPaint(window, &paint);
    return 0;
}

// Refused silently while a job runs.
LRESULT on_close(HWND window) {
    if (busy_flag.load() != 0) return 1;
    DestroyWindow(window);
    return 0;
}

// The whole wParam is compared, so only menu commands (high word 0) match; others do nothing.
LRESULT on_command(HWND window, WPARAM id) {
    for (const Command& command : COMMANDS) {
        if (command.id == id) {
            command.run(window);
            break;
        }
    }
    return 0;
}

LRESULT on_drop_files(HWND window, HDROP drop) {
    DragQueryFileA(drop, 0, bulk_path, PATH_BYTES);
    DragFinish(drop);
    PostMessageA(window, WM_COMMAND, IDM_EXTRACT, 0);
    return 0;
}

} // namespace

int outline_rows(int height, int current, int total) {
    return height * current / total;
}

void update_menus() {
    struct Item {
        HMENU menu;
        UINT command;
        bool enabled;
    };
    // clang-format off
    const Item items[] = {
        {ui.file_menu, IDM_OPEN,       !ui.busy},
        {ui.tray_menu, IDM_OPEN,       !ui.busy && !ui.notice_open},
        {ui.file_menu, IDM_ABORT,      ui.busy != 0},
        {ui.tray_menu, IDM_ABORT,      ui.busy != 0},
        {ui.file_menu, IDM_ASSOCIATE,  !ui.associated},
        {ui.file_menu, IDM_DISSOCIATE, ui.associated != 0},
    };
    // clang-format on
    for (const Item& item : items)
        EnableMenuItem(item.menu, item.command,
                       MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Registered numbers are not constants, so they come before the switch; 0 is no message.
    if (ui.tray_message != 0 && message == ui.tray_message && on_tray_message(window, lparam))
        return 0;
    if (ui.taskbar_created != 0 && message == ui.taskbar_created) return on_taskbar_created();
    // clang-format off
    switch (message) {
    case WM_CREATE:          return on_create(window);
    case WM_DESTROY:         return on_destroy(window);
    case WM_SIZE:            return on_size(window, wparam);
    case WM_PAINT:           return on_paint(window);
    case WM_CLOSE:           return on_close(window);
    case WM_COMMAND:         return on_command(window, wparam);
    case WM_TIMER:           if (wparam == ANIMATION_TIMER) return on_animation_tick(); break;
    case WM_DROPFILES:       return on_drop_files(window, HDROP(wparam));
    case WM_JOB_STATUS:      return on_job_status(window, uint32_t(wparam));
    case WM_QUERYENDSESSION: return on_query_end_session(window);
    case WM_ENDSESSION:      return on_end_session(window, wparam);
    }
    // clang-format on
    return DefWindowProcA(window, message, wparam, lparam);
}
