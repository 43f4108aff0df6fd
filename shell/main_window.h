// The main window's procedure: the shell's single dispatcher.
#pragma once
#include <windows.h>

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Rows of the picture, from the top, that show the outline for the given progress.
int outline_rows(int height, int current, int total);

// Greys or enables every item that changes, on both menus, from the state in ui.
void update_menus();
