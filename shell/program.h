// Start-up, message loop and the wait for the job's end.
#pragma once
#include <windows.h>

// The whole program: returns the exit code.
int run_program(HINSTANCE instance, const char* command_line, int show);

// Registers the main window class; false when the system refuses it.
bool register_main_class(HINSTANCE instance);

// Loads the progress picture and creates the main window at the picture's size, with its
// tray record and drops accepted. ui.instance must be set.
HWND create_main_window();

// Copies the command line into the bulk-file path without its double-quote characters. A text
// that does not fit leaves the path empty, which the extract request refuses.
void take_command_line(const char* text);
