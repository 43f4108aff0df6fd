// Runs a command as a process, the way a user's shell would. A command is a program and its
// words, such as a program of the build, or a runner and the program it runs.
#pragma once
#include <string>
#include <vector>

using Command = std::vector<std::string>;

struct ProgramRun {
    int status; // exit status, or 128 + signal
    std::string out, err;
};

// Runs the command in folder, stdin reading from /dev/null (no terminal).
ProgramRun run_program(const Command& command, const std::string& folder);
// Starts it without waiting; returns its process id. Its output goes to /dev/null, or all its
// streams to a terminal, whose other side terminal receives.
int start_program(const Command& command, const std::string& folder, int* terminal = nullptr);
int wait_program(int pid);
std::string read_text(const std::string& path);
