// What the window does with each job status code.
#pragma once
#include <cstdint>
#include <windows.h>

// Handles one code from the job (WM_JOB_STATUS); always returns 0 to the sender.
LRESULT on_job_status(HWND window, uint32_t code);
