// unbank: extracts every used slot of bank files as WAV files, on the console.
#include "bank_check.h"
#include "bank_search.h"
#include "console_host.h"
#include "extract_job.h"
#include "options.h"
#include "platform.h"
#include "run_summary.h"
#include "slot_list.h"

#include <cerrno>
#include <cstdio>

namespace {

// Where the job failed: the slot being written, else (a write error before any slot) the
// folder; "" when the bank itself failed.
std::string failure_place(const JobResult& result, const std::string& folder) {
    if (result.failed_slot[0] != '\0') return result.failed_slot;
    return result.status == JOB_WRITE_ERROR ? "folder " + folder : "";
}

JobStatus extract(const Options& options, BankTally& tally) {
    if (tally.bank.size() >= sizeof bulk_path) {
        print_failure(tally.bank, "", JOB_READ_ERROR, ENAMETOOLONG);
        tally.folder.clear(); // nothing begun
        return JOB_READ_ERROR;
    }
    std::snprintf(bulk_path, sizeof bulk_path, "%s", tally.bank.c_str());
    ConsoleHost host(options, tally.bank, tally.folder);
    start_job(host, JobOptions{options.keep_going});
    wait_for_job_end();

    const JobResult& result = job_result;
    tally.slots             = result.slots;
    tally.done              = result.written;
    tally.skipped           = result.skipped;
    tally.failed            = result.failed;
    // A read error that no slot's failure ended is a keep-going job's: it named its damaged
    // slots one by one.
    const bool damage_named =
        result.status == JOB_READ_ERROR && result.failed_slot[0] == '\0' && result.failed > 0;
    if (result.status != JOB_CANCELLED && result.status != JOB_DONE && !damage_named)
        print_failure(tally.bank, failure_place(result, tally.folder), result.status,
                      result.error_number);
    if (result.slots == 0) tally.folder.clear(); // nothing begun
    return result.status;
}

// The rows of one bank; with several banks, or banks found in a folder, each table is headed by
// its bank.
JobStatus list(const Options& options, const BankTally& tally) {
    if (options.banks.size() > 1 || options.banks[0].found_in_folder)
        std::printf("%s:\n", tally.bank.c_str());
    int error_number       = 0;
    const JobStatus status = list_slots(tally.bank, stdout, error_number);
    std::fflush(stdout); // a failure on stderr comes after the rows before it
    if (status != JOB_DONE) print_failure(tally.bank, "", status, error_number);
    return status;
}

// Damaged slots are named as they are found; a bank that cannot be checked at all is named here.
JobStatus test(BankTally& tally) {
    const JobStatus status = check_bank(tally);
    if (status != JOB_DONE && tally.slots == 0)
        print_failure(tally.bank, "", status, tally.error_number);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int early_exit = parse_options(argc, argv, options);
    if (early_exit < 0) early_exit = gather_banks(options);
    if (early_exit < 0 && !options.list && !options.test)
        early_exit = check_output_folders(options);
    if (early_exit >= 0) return early_exit;
    set_up_process();

    std::vector<BankTally> tallies;
    JobStatus exit_status = JOB_DONE;
    for (const Bank& bank : options.banks) {
        if (interrupted()) break;
        BankTally tally;
        tally.bank   = bank.path;
        tally.folder = output_folder(options, bank);
        tally.status = options.list   ? list(options, tally)
                       : options.test ? test(tally)
                                      : extract(options, tally);
        tallies.push_back(tally);
        if (exit_status == JOB_DONE) exit_status = tally.status;
        if (tally.status == JOB_CANCELLED) break; // Ctrl+C, or Cancel at a question
    }
    if (interrupted() && exit_status == JOB_DONE) exit_status = JOB_CANCELLED; // banks not begun
    if (!options.quiet && !options.list) print_summary(tallies, options.test, stderr);
    return exit_status;
}
