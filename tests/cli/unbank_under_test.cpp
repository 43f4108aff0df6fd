#include "unbank_under_test.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The program to start, with args made its arguments.
std::string unbank_command(std::vector<std::string>& args) {
    if (!windows_unbank()) return UNBANK_PATH;
    for (std::string& arg : args)
        std::replace(arg.begin(), arg.end(), '/', '\\');
    args.insert(args.begin(), windows_unbank());
    return WINE_RUN;
}

std::string as_host_text(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

} // namespace

const char* windows_unbank() {
    return std::getenv("UNBANK_EXE");
}

ProgramRun run_unbank(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> command_args = args;
    const std::string program             = unbank_command(command_args);
    ProgramRun run                        = run_program(program, command_args, folder);
    if (windows_unbank()) {
        run.out = as_host_text(run.out);
        run.err = as_host_text(run.err);
    }
    return run;
}

int start_unbank(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> command_args = args;
    const std::string program             = unbank_command(command_args);
    return start_program(program, command_args, folder);
}
