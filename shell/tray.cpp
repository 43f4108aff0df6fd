#include "tray.h"

#include "extract_job.h"
#include "resource.h"
#include "window_state.h"
#include <cstddef>

namespace {

// The first version of the record, which the tray takes: 88 bytes in the 32-bit release,
// up to the end of its 64-character tip.
static_assert(sizeof(void*) != 4 || offsetof(NOTIFYICONDATAA, szTip) + 64 == 88,
              "the tray record of the first version is 88 bytes");

constexpr UINT ANIMATION_PERIOD_MS = 200;

// A two-digit display scrolling a word, one character per frame, then one blank frame.
constexpr WORD FRAMES[] = {
    IDI_FRAME_0, IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4,  IDI_FRAME_5,
    IDI_FRAME_6, IDI_FRAME_7, IDI_FRAME_8, IDI_FRAME_9, IDI_FRAME_10,
};
constexpr int FRAME_COUNT = sizeof FRAMES / sizeof FRAMES[0];

void show_icon(WORD id) {
    ui.tray_record.hIcon = LoadIconA(ui.instance, MAKEINTRESOURCEA(id));
    Shell_NotifyIconA(NIM_MODIFY, &ui.tray_record);
}

// Opens the tray menu at the cursor; its choice arrives as an ordinary WM_COMMAND.
void show_tray_menu(HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(ui.tray_menu, 0, cursor.x, cursor.y, 0, window, nullptr);
    // Without a message behind it the menu may stay open after a click elsewhere.
    PostMessageA(window, WM_NULL, 0, 0);
}

} // namespace

void init_tray(HWND window) {
    ui.tray_message         = RegisterWindowMessageA(PROGRAM_NAME);
    ui.taskbar_created      = RegisterWindowMessageA("TaskbarCreated");
    NOTIFYICONDATAA& record = ui.tray_record;
    record                  = NOTIFYICONDATAA{};
    record.cbSize           = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd             = window;
    record.uID              = 0;
    record.uFlags           = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = ui.tray_message;
    record.hIcon            = LoadIconA(ui.instance, MAKEINTRESOURCEA(IDI_RESTING));
    lstrcpynA(record.szTip, PROGRAM_NAME, sizeof record.szTip);
}

void enter_tray(HWND window) {
    if (ui.in_tray) return;
    ui.in_tray = 1;
    Shell_NotifyIconA(NIM_ADD, &ui.tray_record);
    ShowWindow(window, SW_HIDE);
    if (busy_flag.load() != 0) start_animation(window);
}

void leave_tray(HWND window, bool show) {
    if (!ui.in_tray) {
        // Topmost and back: the window rises to the top without staying there.
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    if (busy_flag.load() != 0) stop_animation(window);
    Shell_NotifyIconA(NIM_DELETE, &ui.tray_record);
    if (show) ShowWindow(window, SW_RESTORE);
    ui.in_tray = 0;
}

void start_animation(HWND window) {
    if (ui.in_tray) SetTimer(window, ANIMATION_TIMER, ANIMATION_PERIOD_MS, nullptr);
}

void stop_animation(HWND window) {
    if (!ui.in_tray) return;
    KillTimer(window, ANIMATION_TIMER);
    show_icon(IDI_RESTING);
}

LRESULT on_animation_tick() {
    const WORD id  = FRAMES[ui.frame_index];
    ui.frame_index = (ui.frame_index + 1) % FRAME_COUNT;
    show_icon(id);
    return 0;
}

LRESULT on_taskbar_created() {
    if (ui.in_tray) Shell_NotifyIconA(NIM_ADD, &ui.tray_record);
    return 0;
}

bool on_tray_message(HWND window, LPARAM mouse_event) {
    SetForegroundWindow(window);
    switch (mouse_event) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: show_tray_menu(window); return true;
    case WM_LBUTTONDBLCLK: leave_tray(window, true); return true;
    }
    return false;
}
