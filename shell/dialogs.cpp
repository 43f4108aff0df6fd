#include "dialogs.h"

#include "extract_job.h"
#include "resource.h"
#include "window_state.h"
#include <commdlg.h>
#include <cstddef>
#include <cstdio>

namespace {

// The Open record's first version: 76 bytes in the 32-bit release, up to its last pointer.
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the Open dialog record of the first version is 76 bytes");

// The prompt's buttons give the reply-state values the job reads, and its Cancel is the Abort
// Convert command.
static_assert(IDC_ANSWER_YES == REPLY_WRITE && IDC_ANSWER_YES_TO_ALL == REPLY_YES_TO_ALL &&
                  IDC_ANSWER_NO == REPLY_NO && IDC_ANSWER_CANCEL == REPLY_ABORT &&
                  IDM_ABORT == REPLY_ABORT,
              "the overwrite prompt's button ids are the reply values");

constexpr int FILTER_BYTES         = 256;
constexpr int PROMPT_TEXT_BYTES    = 256;
constexpr char INITIAL_FILE_NAME[] = "*.zp4";
constexpr char DEFAULT_EXTENSION[] = "zp4";

char filter[FILTER_BYTES]; // "name|pattern|..." from the string table, '|' turned into NUL

INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: centre_on_desktop(dialog); return TRUE;
    case WM_COMMAND:
        if (wparam != IDOK && wparam != IDCANCEL) return FALSE;
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

// Every command ends the prompt: its id is the answer (Esc and the close box give IDCANCEL,
// which the job takes as "skip").
INT_PTR CALLBACK prompt_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        centre_on_desktop(dialog);
        char text[PROMPT_TEXT_BYTES];
        std::snprintf(text, sizeof text, "%s already exists. Overwrite?", output_name);
        SetDlgItemTextA(dialog, IDC_MESSAGE, text);
        return TRUE;
    }
    case WM_COMMAND:
        reply_state = int32_t(wparam);
        EndDialog(dialog, INT_PTR(wparam));
        return TRUE;
    }
    return FALSE;
}

// The trailing '|' becomes the first of the two NULs that close the list.
void load_filter() {
    LoadStringA(ui.instance, IDS_OPEN_FILTER, filter, FILTER_BYTES);
    for (char* c = filter; *c != '\0'; ++c)
        if (*c == '|') *c = '\0';
}

} // namespace

void centre_on_desktop(HWND dialog) {
    RECT desktop;
    RECT box;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &box);
    const int width  = box.right - box.left;
    const int height = box.bottom - box.top;
    MoveWindow(dialog, desktop.right / 2 - width / 2, desktop.bottom / 2 - height / 2, width,
               height, FALSE);
}

void show_about_box(HWND owner) {
    DialogBoxParamA(ui.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, about_proc, 0);
}

void ask_overwrite(HWND owner) {
    DialogBoxParamA(ui.instance, MAKEINTRESOURCEA(IDD_OVERWRITE), owner, prompt_proc, 0);
}

bool run_open_dialog(HWND owner) {
    OPENFILENAMEA record{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner   = owner;
    load_filter();
    lstrcpyA(bulk_path, INITIAL_FILE_NAME);
    record.lpstrFilter  = filter;
    record.nFilterIndex = 0;
    record.lpstrFile    = bulk_path;
    record.nMaxFile     = PATH_BYTES;
    record.Flags        = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    record.lpstrDefExt  = DEFAULT_EXTENSION;
    return GetOpenFileNameA(&record) != 0;
}
