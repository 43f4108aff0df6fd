#include "status_display.h"

#include "dialogs.h"
#include "job_status.h"
#include "resource.h"
#include "tray.h"
#include "window_state.h"
#include <cstdarg>
#include <cstdio>

namespace {

constexpr UINT NOTICE_BOX    = MB_OK | MB_SETFOREGROUND;
constexpr UINT WARNING_BOX   = MB_OK | MB_ICONWARNING;
constexpr int BOX_TEXT_BYTES = 256;

void set_item(UINT command, bool enabled) {
    const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(ui.file_menu, command, state);
    EnableMenuItem(ui.tray_menu, command, state);
}

// Busy: Open... greyed and Abort Convert enabled on both menus; idle: the reverse.
void set_busy_menus(bool busy) {
    set_item(IDM_OPEN, !busy);
    set_item(IDM_ABORT, busy);
}

// Every final code ends here; in command-line mode the program then closes.
void common_ending(HWND window) {
    stop_animation(window);
    set_busy_menus(false);
    if (ui.command_line_mode) DestroyWindow(window);
}

// The tray's Open... stays greyed while the box is open, so no new job starts from there.
void finish_done(HWND window) {
    stop_animation(window);
    set_busy_menus(false);
    EnableMenuItem(ui.tray_menu, IDM_OPEN, MF_BYCOMMAND | MF_GRAYED);
    show_box(window, PROGRAM_NAME, NOTICE_BOX, "%s", job_status_text(JOB_DONE));
    common_ending(window);
}

} // namespace

void show_box(HWND owner, const char* caption, UINT flags, const char* format, ...) {
    char text[BOX_TEXT_BYTES];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    MessageBoxA(owner, text, caption, flags);
}

LRESULT on_job_status(HWND window, uint32_t code) {
    switch (code) {
    case JOB_DONE: finish_done(window); break;
    case JOB_QUESTION:
        SetForegroundWindow(window);
        ask_overwrite(window);
        break;
    case JOB_CANCELLED: common_ending(window); break;
    case JOB_WRITING:
        start_animation(window);
        set_busy_menus(true);
        break;
    default: // the failures, and codes that are not defined
        show_box(window, PROGRAM_NAME, WARNING_BOX, "%s", job_status_text(code));
        common_ending(window);
    }
    return 0;
}
