// The extraction job's host on Windows: the main window.
#pragma once
#include "job_host.h"
#include <windows.h>

// The host that reports to the given window. Call only while no job runs: the one host
// object serves every job.
JobHost& host_for(HWND window);
