// Runs a program of the build as a process, the way a user's shell would.
#pragma once
#include <string>
#include <vector>

struct ProgramRun {
    int status; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs program with args in folder; stdin reads from /dev/null (not a terminal).
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& folder);

// Starts program without waiting; returns its process id. Output goes to /dev/null.
int start_program(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder);
int wait_program(int pid);

std::string read_text(const std::string& path);
