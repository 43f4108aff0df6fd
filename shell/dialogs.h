// The About box, the overwrite prompt and the Open dialog; all modal on the main thread.
#pragma once
#include <windows.h>

void show_about_box(HWND owner);

// Asks whether the job's current output file may be replaced; the pressed button's id goes
// into the reply state.
void ask_overwrite(HWND owner);

// Lets the user pick a bulk file into the bulk-file path; true when one was chosen.
bool run_open_dialog(HWND owner);

// Moves a dialog to the middle of the desktop, whatever its owner's position.
void centre_on_desktop(HWND dialog);
