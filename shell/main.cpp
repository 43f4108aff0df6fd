// Program entry: the runtime hands over the text behind the program's name and the show
// command from the start-up record (else SW_SHOWDEFAULT).
#include "program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    return run_program(instance, command_line, show);
}
