// The notification-area icon, its menu and the busy animation.
#pragma once
#include <windows.h>

constexpr UINT_PTR ANIMATION_TIMER = 1;

// Registers the tray message and fills the tray record for the new main window.
void init_tray(HWND window);

// Hides the window behind an icon; animates at once if a job runs.
void enter_tray(HWND window);

// Removes the icon, restoring the window if asked; a window that is not in the notification
// area only rises to the front.
void leave_tray(HWND window, bool show);

// Both act only while the program sits in the notification area.
void start_animation(HWND window);
void stop_animation(HWND window);

// The animation timer: shows the next frame. Returns 0 for the window procedure.
LRESULT on_animation_tick();

// A restarted shell has lost every icon: the program's comes back if it sits there.
LRESULT on_taskbar_created();

// The tray message: false when the mouse event is left to the ordinary dispatch.
bool on_tray_message(HWND window, LPARAM mouse_event);
