#include "console_code_page.h"

#include <cstdlib>
#include <windows.h>

namespace {

UINT output_code_page = 0; // the console's own, to be given back; 0 while nothing was switched
UINT input_code_page  = 0;

// The console outlives the program: cmd and the programs after it read and show text in the
// code pages they set.
void restore_code_pages() {
    if (output_code_page != 0) SetConsoleOutputCP(output_code_page);
    if (input_code_page != 0) SetConsoleCP(input_code_page);
}

// An event that no later handler takes ends the process without its exit handlers.
BOOL WINAPI restore_on_console_event(DWORD) {
    restore_code_pages();
    return FALSE; // the next handler, or the system's, decides what the event does
}

} // namespace

void use_utf8_console() {
    if (GetACP() != CP_UTF8) return; // an older system: its code pages, as before
    output_code_page = GetConsoleOutputCP();
    input_code_page  = GetConsoleCP();
    if (output_code_page == 0 && input_code_page == 0) return; // no console
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    std::atexit(restore_code_pages);
    SetConsoleCtrlHandler(restore_on_console_event, TRUE);
}
