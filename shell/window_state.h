// The window side's state: one instance per process, touched by the main thread only.
#pragma once
#include <windows.h>

#include <shellapi.h> // needs windows.h first

constexpr char PROGRAM_NAME[] = "UNBANK"; // class, title, tray message, tip, box caption

struct WindowState {
    HINSTANCE instance;       // for every resource load
    HWND window;              // the main window
    HMENU file_menu;          // submenu 0 of the main menu
    HMENU tray_menu;          // submenu 0 of the tray menu resource
    HBITMAP progress_picture; // outline on the left half, filled logo on the right
    int command_line_mode;    // 1 when the command line held a path; never cleared

    // What the menus show; update_menus applies it.
    int busy;        // a job is writing: Open... greyed, Abort Convert enabled
    int notice_open; // "Extract done!" is open: the tray's Open... stays greyed meanwhile
    int associated;  // the program handles ".zp4" files: Associate greyed, Dissociate enabled

    // While the session ends, no code shows a box or asks; codes_in_hand counts the codes this
    // thread is handling, the worker waiting for each of them.
    int session_ending;
    int codes_in_hand;

    UINT tray_message;           // registered under the program name
    UINT taskbar_created;        // the shell's notice that its notification area is new
    NOTIFYICONDATAA tray_record; // filled once, right after the window exists
    int in_tray;                 // 1 while the icon is shown and the window hidden
    int frame_index;             // next animation frame; never reset
};

extern WindowState ui;
