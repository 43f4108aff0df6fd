// Windows only: the handler set_up_process gives the console for its events (Ctrl+C,
// Ctrl+Break, the console's close, logoff and shutdown), named so that its tests can call it
// with the events a test cannot make the system send.
#pragma once
#include <windows.h>

BOOL WINAPI on_console_event(DWORD event);
