// The end of the user's session while a job runs: Windows may end the process as soon as the
// window has answered, so the job must be stopped and its end step run first.
#pragma once
#include <windows.h>

// WM_QUERYENDSESSION: the session may end (TRUE), once the job has been stopped.
LRESULT on_query_end_session(HWND window);
// WM_ENDSESSION: when the session does end, a job still running is stopped the same way.
LRESULT on_end_session(HWND window, WPARAM ending);
