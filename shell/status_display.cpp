#include "status_display.h"

#include "dialogs.h"
#include "job_status.h"
#include "main_window.h"
#include "tray.h"
#include "window_state.h"

namespace {

constexpr UINT NOTICE_BOX  = MB_OK | MB_SETFOREGROUND;
constexpr UINT WARNING_BOX = MB_OK | MB_ICONWARNING;

// Every box has the program's name as its caption and one OK button.
void show_box(HWND owner, UINT flags, const char* text) {
    MessageBoxA(owner, text, PROGRAM_NAME, flags);
}

void set_busy_menus(bool busy) {
    ui.busy = busy;
    update_menus();
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
    ui.notice_open = 1;
    set_busy_menus(false);
    show_box(window, NOTICE_BOX, job_status_text(JOB_DONE));
    ui.notice_open = 0;
    common_ending(window);
}

void show_job_status(HWND window, uint32_t code) {
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
        show_box(window, WARNING_BOX, job_status_text(code));
        common_ending(window);
    }
}

} // namespace

// While the session ends a question has no one to answer it: the reply state keeps the abort
// the session's end wrote, and the job's last code ends it without a box.
LRESULT on_job_status(HWND window, uint32_t code) {
    ++ui.codes_in_hand;
    if (!ui.session_ending)
        show_job_status(window, code);
    else if (code != JOB_QUESTION && code != JOB_WRITING)
        common_ending(window);
    --ui.codes_in_hand;
    return 0;
}
