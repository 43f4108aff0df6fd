// unbank: extracts every used slot of bank files as WAV files, on the console.
#include "bank_check.h"
#include "bank_search.h"
#include "bank_table.h"
#include "console_code_page.h"
#include "console_host.h"
#include "extract_job.h"
#include "json_report.h"
#include "options.h"
#include "platform.h"
#include "run_summary.h"
#include "slot_list.h"
#include "slot_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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
    JobOptions job_options = {};
    job_options.keep_going = options.keep_going;
    job_options.every_slot = options.every_slot;
    std::memcpy(job_options.chosen, options.chosen, sizeof job_options.chosen);
    // A prefix too long for its buffer is cut, but then no path fits and the job writes nothing.
    std::snprintf(job_options.name_prefix, PATH_BYTES, "%s", tally.prefix.c_str());
    start_job(host, job_options);
    wait_for_job_end();

    const JobResult& result = job_result;
    tally.slots             = result.slots;
    tally.done              = result.written;
    tally.skipped           = result.skipped;
    tally.failed            = result.failed;
    std::memcpy(tally.outcomes, result.outcomes, sizeof tally.outcomes);
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
    if (!options.json && (options.banks.size() > 1 || options.banks[0].found_in_folder))
        std::printf("%s:\n", tally.bank.c_str());
    int error_number = 0;
    const JobStatus status =
        list_slots(tally.bank, options, options.json ? nullptr : stdout, error_number);
    std::fflush(stdout); // a failure on stderr comes after the rows before it
    if (status != JOB_DONE) print_failure(tally.bank, "", status, error_number);
    return status;
}

// Damaged slots are named as they are found; a bank that cannot be checked at all is named here.
JobStatus test(const Options& options, BankTally& tally) {
    const JobStatus status = check_bank(options, tally);
    if (status != JOB_DONE && tally.slots == 0)
        print_failure(tally.bank, "", status, tally.error_number);
    return status;
}

// -c: the one chosen slot's file on standard output, which nothing else is written to.
JobStatus to_standard_output(const Options& options, BankTally& tally) {
    OpenBank open;
    JobStatus status = open_bank(tally.bank, open);
    if (status != JOB_DONE) {
        print_failure(tally.bank, "", status, open.error_number);
        return status;
    }
    int chosen = 0;
    while (!slot_chosen(options, open.table[chosen]))
        ++chosen; // the bank uses it: its absence was reported before
    const SlotInfo& slot = open.table[chosen];
    status               = write_slot_to_standard_output(open.stream, slot, reply_state);
    if (status == JOB_READ_ERROR || status == JOB_WRITE_ERROR) {
        char name[OUTPUT_NAME_BYTES];
        format_output_name(slot, name);
        print_failure(tally.bank, name, status, slot_error_number(),
                      "; the file on standard output is cut short");
    }
    tally.slots = 1;
    tally.done  = status == JOB_DONE;
    return status;
}

// Names each slot chosen with --slot that the bank does not use. False when the bank uses none
// of them: there is nothing to do. A bank that cannot be read is left to the run to report.
bool report_missing_slots(const Options& options, BankTally& tally) {
    OpenBank open;
    if (options.every_slot || open_bank(tally.bank, open) != JOB_DONE) return true;
    bool used[MAX_SLOTS] = {};
    for (int i = 0; i < open.count; ++i)
        used[open.table[i].id] = true;
    for (uint32_t id = 0; id < MAX_SLOTS; ++id) {
        if (!options.chosen[id] || used[id]) continue;
        char name[OUTPUT_NAME_BYTES];
        format_output_name(SlotInfo{id, 0, 0, 0, 0}, name);
        std::fprintf(stderr, "unbank: %s: no slot %s in this bank\n", tally.bank.c_str(), name);
        tally.missing.push_back(name);
    }
    return tally.missing.size() <
           size_t(std::count(options.chosen, options.chosen + MAX_SLOTS, true));
}

JobStatus run_bank(const Options& options, BankTally& tally) {
    if (!report_missing_slots(options, tally)) {
        tally.folder.clear(); // nothing begun
        return JOB_EMPTY;
    }
    const JobStatus status = options.list        ? list(options, tally)
                             : options.test      ? test(options, tally)
                             : options.to_stdout ? to_standard_output(options, tally)
                                                 : extract(options, tally);
    // The other chosen slots are done, but the bank did not hold what was asked of it.
    return status == JOB_DONE && !tally.missing.empty() ? JOB_EMPTY : status;
}

} // namespace

int main(int argc, char** argv) {
    use_utf8_console();
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
        tally.prefix = name_prefix(options, bank);
        tally.status = run_bank(options, tally);
        tallies.push_back(tally);
        if (exit_status == JOB_DONE) exit_status = tally.status;
        if (tally.status == JOB_CANCELLED) break; // Ctrl+C, or Cancel at a question
    }
    if (interrupted() && exit_status == JOB_DONE) exit_status = JOB_CANCELLED; // banks not begun
    if (!options.quiet && !options.list && !options.to_stdout)
        print_summary(tallies, options.test, stderr);
    if (options.json) std::fputs(json_report(options, tallies, exit_status).c_str(), stdout);
    return exit_status;
}
