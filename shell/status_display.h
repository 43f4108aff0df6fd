// What the window does with each job status code.
#pragma once
#include <cstdint>
#include <windows.h>

// Handles one code from the job (WM_USER); always returns 0 to the sender.
LRESULT on_job_status(HWND window, uint32_t code);

// Formats into a 256-byte text and shows it in a box with one OK button.
void show_box(HWND owner, const char* caption, UINT flags, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
