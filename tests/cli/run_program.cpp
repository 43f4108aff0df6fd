#include "run_program.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> argv_of(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int spawn(const std::string& program, const std::vector<std::string>& args,
          const std::string& folder, const std::string& out_path, const std::string& err_path) {
    std::vector<char*> argv = argv_of(program, args);
    const pid_t pid         = fork();
    if (pid != 0) return pid;
    const int in  = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (chdir(folder.c_str()) != 0) _exit(126);
    execv(program.c_str(), argv.data());
    _exit(127);
}

} // namespace

int wait_program(int pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int start_program(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder) {
    return spawn(program, args, folder, "/dev/null", "/dev/null");
}

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& folder) {
    const std::string out = folder + "/.stdout", err = folder + "/.stderr";
    const int pid = spawn(program, args, folder, out, err);
    ProgramRun run{wait_program(pid), read_text(out), read_text(err)};
    unlink(out.c_str());
    unlink(err.c_str());
    return run;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
