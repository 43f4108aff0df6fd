#include "session_end.h"

#include "extract_job.h"
#include "window_state.h"

namespace {

// A worker in the folder prompt has nothing on disk yet and does not see the abort: it is
// not waited for longer than the system gives a program to answer.
constexpr DWORD WAIT_FOR_JOB_MS = 4000;

// Serves the codes the worker sends (it waits for each) until its end step has run.
void wait_for_worker() {
    const DWORD start = GetTickCount();
    while (busy_flag.load() != 0 && GetTickCount() - start < WAIT_FOR_JOB_MS) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// The worker writes no file while it waits for a code: the writer removes what it began
// before the job reports. When this thread handles such a code further down its stack (a box,
// the question), it cannot wait here; the box is ended instead, so that the worker goes on to
// its end, which the session's end then waits for.
void stop_job(HWND window) {
    if (busy_flag.load() == 0) return;
    ui.session_ending = 1;
    reply_state       = REPLY_ABORT;
    if (ui.codes_in_hand == 0) {
        wait_for_worker();
        return;
    }
    if (HWND box = GetWindow(window, GW_ENABLEDPOPUP)) EndDialog(box, IDCANCEL);
}

} // namespace

LRESULT on_query_end_session(HWND window) {
    stop_job(window);
    return TRUE;
}

// A session end that another program refused leaves the window as it was, but the job stays
// stopped.
LRESULT on_end_session(HWND window, WPARAM ending) {
    if (ending)
        stop_job(window);
    else
        ui.session_ending = 0;
    return 0;
}
