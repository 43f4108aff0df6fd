#include "run_program.h"

#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// In the child: the standard streams unless on a terminal, the folder, then the program.
[[noreturn]] void exec_in(const Command& command, const std::string& folder, const char* out,
                          const char* err) {
    if (out) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err, O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    }
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execvp(argv[0], argv.data());
    _exit(127);
}

} // namespace

int wait_program(int pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int start_program(const Command& command, const std::string& folder, int* terminal) {
    const pid_t pid = terminal ? forkpty(terminal, nullptr, nullptr, nullptr) : fork();
    if (pid == 0) exec_in(command, folder, terminal ? nullptr : "/dev/null", "/dev/null");
    return pid;
}

ProgramRun run_program(const Command& command, const std::string& folder) {
    const std::string out = folder + "/.stdout", err = folder + "/.stderr";
    const pid_t pid = fork();
    if (pid == 0) exec_in(command, folder, out.c_str(), err.c_str());
    ProgramRun run{wait_program(pid), read_text(out), read_text(err)};
    unlink(out.c_str());
    unlink(err.c_str());
    return run;
}

std::string read_text(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}
