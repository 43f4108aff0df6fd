// unbank: extracts every used slot of bank files as WAV files, on the console.
#include "bank_check.h"
#include "console_host.h"
#include "extract_job.h"
#include "job_status.h"
#include "options.h"
#include "run_summary.h"
#include "slot_list.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

volatile std::sig_atomic_t interrupted = 0;

// Ctrl+C asks the job to stop the way the window's Abort Convert does, and ends the run.
void on_interrupt(int) {
    interrupted = 1;
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

int32_t extract(const Options& options, BankTally& tally) {
    if (tally.bank.size() >= sizeof bulk_path) {
        std::fprintf(stderr, "unbank: %s: path too long\n", tally.bank.c_str());
        return JOB_READ_ERROR;
    }
    std::snprintf(bulk_path, sizeof bulk_path, "%s", tally.bank.c_str());
    ConsoleHost host(options, tally);
    start_job(host, JobOptions{options.keep_going});
    while (busy_flag.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (host.exit_code() != JOB_DONE && tally.slots == 0) tally.folder.clear(); // nothing begun
    return host.exit_code();
}

// The rows of one bank; with several banks each table is headed by its bank.
int32_t list(const Options& options, const BankTally& tally) {
    if (options.banks.size() > 1) std::printf("%s:\n", tally.bank.c_str());
    const int32_t status = list_slots(tally.bank, stdout);
    std::fflush(stdout); // a failure on stderr comes after the rows before it
    if (status != JOB_DONE) print_failure(tally.bank, status);
    return status;
}

int32_t test(BankTally& tally) {
    const int32_t status = check_bank(tally);
    if (status != JOB_DONE && tally.slots == 0) print_failure(tally.bank, status);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    const int early_exit = parse_options(argc, argv, options);
    if (early_exit >= 0) return early_exit;
    handle_signals();

    std::vector<BankTally> tallies;
    int exit_status = JOB_DONE;
    for (const std::string& bank : options.banks) {
        if (interrupted) break;
        BankTally tally;
        tally.bank   = bank;
        tally.folder = output_folder(options, bank);
        tally.status = options.list   ? list(options, tally)
                       : options.test ? test(tally)
                                      : extract(options, tally);
        tallies.push_back(tally);
        if (exit_status == JOB_DONE) exit_status = tally.status;
        if (tally.status == JOB_CANCELLED) break; // Ctrl+C, or Cancel at a question
    }
    if (!options.quiet && !options.list) print_summary(tallies, options.test, stderr);
    return exit_status;
}
