// Runs a command as a process, the way a user's shell would. A command is a program and its
// words, such as a program of the build, or a runner and the program it runs.
#pragma once
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using Command = std::vector<std::string>;

struct ProgramRun {
    int status; // exit status, or 128 + signal
    std::string out, err;
};

inline std::string read_text(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Starts the command in folder without waiting and returns its process id: its output to the
// files named (stdin reading from /dev/null), or with terminal, all its streams on a terminal
// whose other side terminal receives.
inline int start_program(const Command& command, const std::string& folder, int* terminal = nullptr,
                         const std::string& out = "/dev/null",
                         const std::string& err = "/dev/null") {
    const pid_t pid = terminal ? forkpty(terminal, nullptr, nullptr, nullptr) : fork();
    if (pid != 0) return pid;
    if (!terminal) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    }
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execvp(argv[0], argv.data());
    _exit(127);
}

inline int wait_program(int pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs the command in folder and returns what it said.
inline ProgramRun run_program(const Command& command, const std::string& folder) {
    const std::string out = folder + "/.stdout", err = folder + "/.stderr";
    const int status = wait_program(start_program(command, folder, nullptr, out, err));
    ProgramRun run{status, read_text(out), read_text(err)};
    unlink(out.c_str());
    unlink(err.c_str());
    return run;
}
