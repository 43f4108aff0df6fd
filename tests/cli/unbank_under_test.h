// The unbank under test: the host build's, or the Windows build's unbank.exe that the
// environment variable UNBANK_EXE names, run through Wine. Its arguments then take backslashes
// and its output comes back with '/' and "\n", so that one table of expectations serves the
// three programs.
#pragma once
#include "run_program.h"

ProgramRun run_unbank(const std::vector<std::string>& args, const std::string& folder);
int start_unbank(const std::vector<std::string>& args, const std::string& folder);

// The Windows unbank.exe under test, nullptr when it is the host's.
const char* windows_unbank();
