// unbank: extracts every used slot of a bank file as a WAV file, on the console.
#include "console_host.h"
#include "extract_job.h"
#include "job_status.h"
#include "options.h"
#include "slot_list.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

// Ctrl+C asks the job to stop the way the window's Abort Convert does.
void on_interrupt(int) {
    reply_state.store(REPLY_ABORT);
}

void handle_signals() {
    struct sigaction action = {};
    action.sa_handler       = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // Past a file size limit a write should fail like a full disk, so the job removes the
    // file; the signal's default would kill the program and leave the file half written.
    std::signal(SIGXFSZ, SIG_IGN);
}

int extract(const Options& options) {
    if (options.bank.size() >= sizeof bulk_path) {
        std::fprintf(stderr, "unbank: %s: path too long\n", options.bank.c_str());
        return JOB_READ_ERROR;
    }
    std::snprintf(bulk_path, sizeof bulk_path, "%s", options.bank.c_str());
    const std::string folder =
        options.output.empty() ? default_output_folder(options.bank) : options.output;
    ConsoleHost host(options, folder);
    handle_signals();
    start_job(host);
    while (busy_flag.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return host.exit_code();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    const int early_exit = parse_options(argc, argv, options);
    if (early_exit >= 0) return early_exit;
    if (!options.list) return extract(options);
    const int status = list_slots(options.bank.c_str(), stdout);
    if (status != JOB_DONE) print_failure(options.bank, status);
    return status;
}
