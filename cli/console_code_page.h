// The console's code pages, for the console programs unbank and mkbank. On Windows their
// manifest makes UTF-8 the code page of the system calls they make, so the console must read and
// show UTF-8 too for names in any script to print as typed. Elsewhere nothing changes.
#pragma once

// Switches the console's output and input code pages to UTF-8 for the rest of the run, when the
// system speaks UTF-8 to the program (Windows 10 version 1903 and later); the console gets its
// own back when the program ends, by its exit or by a console event. Call it first in main, so
// that every handler of console events registered later is asked before it.
void use_utf8_console();
