#include "console_code_page.h"

// A terminal shows the bytes it is given: the names are the file system's own.
void use_utf8_console() {}
