// Resource and command ids. The numbers are fixed by the program's design: menus, dialogs
// and the reply state share the command ids.
#pragma once

// Menus
#define IDR_MAIN_MENU 128
#define IDR_TRAY_MENU 129

// Commands (WM_COMMAND wParam)
#define IDM_EXTRACT    103  // posted by the window to itself
#define IDM_SHOW       104  // sent by a second instance
#define IDM_ABORT      1015 // Abort Convert; also the prompt's Cancel and the abort reply
#define IDM_ASSOCIATE  40010
#define IDM_DISSOCIATE 40011
#define IDM_OPEN       57601
#define IDM_ABOUT      57664
#define IDM_EXIT       57665

// Dialogs
#define IDD_ABOUT     100
#define IDD_OVERWRITE 121

// Controls of the overwrite prompt; the button ids are the reply-state answers
#define IDC_ANSWER_YES        1
#define IDC_ANSWER_YES_TO_ALL 3
#define IDC_ANSWER_NO         7
#define IDC_MESSAGE           1011
#define IDC_ANSWER_CANCEL     1015

// Strings
#define IDS_OPEN_FILTER 128

// Bitmaps
#define IDB_PROGRESS 119

// Icons
#define IDI_PROGRAM  128
#define IDI_DOCUMENT 129
#define IDI_FRAME_0  130
#define IDI_FRAME_1  131
#define IDI_FRAME_4  132
#define IDI_FRAME_5  133
#define IDI_FRAME_6  134
#define IDI_FRAME_7  135
#define IDI_FRAME_8  136
#define IDI_FRAME_2  140
#define IDI_FRAME_3  141
#define IDI_FRAME_9  142
#define IDI_FRAME_10 143
#define IDI_RESTING  144
