// The extraction job's host on Windows: the main window.
#pragma once
#include "job_host.h"
#include <windows.h>

// The job's status codes reach the window as this message, the code in wParam and 0 in lParam.
constexpr UINT WM_JOB_STATUS = WM_USER;

// The host that reports to the given window. Call only while no job runs: the one host
// object serves every job.
JobHost& host_for(HWND window);
