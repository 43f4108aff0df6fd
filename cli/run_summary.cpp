#include "run_summary.h"

namespace {

int not_reached(const BankTally& bank) {
    return bank.slots - bank.done - bank.skipped - bank.failed;
}

bool began(const BankTally& bank, bool test) {
    return test ? bank.slots > 0 : !bank.folder.empty();
}

void print_bank(const BankTally& bank, bool test, std::FILE* out) {
    const char* name = bank.bank.c_str();
    if (!began(bank, test)) {
        std::fprintf(out, "%s: %s\n", name, status_text(bank.status));
        return;
    }
    if (test)
        std::fprintf(out, "%s: %d of %d slots read whole, %d damaged", name, bank.done, bank.slots,
                     bank.failed);
    else
        std::fprintf(out, "%s: %d written, %d skipped, %d failed", name, bank.done, bank.skipped,
                     bank.failed);
    if (not_reached(bank) > 0) std::fprintf(out, ", %d not reached", not_reached(bank));
    if (!test) std::fprintf(out, "; files in %s", bank.folder.c_str());
    if (bank.status != JOB_DONE) std::fprintf(out, " (%s)", status_text(bank.status));
    std::fputc('\n', out);
}

} // namespace

const char* status_text(JobStatus status) {
    if (status == JOB_DONE) return "done";
    return status == JOB_CANCELLED ? "cancelled" : job_status_text(uint32_t(status));
}

RunTotals add_up(const std::vector<BankTally>& banks) {
    RunTotals total;
    for (const BankTally& bank : banks) {
        total.done += bank.done;
        total.skipped += bank.skipped;
        total.failed += bank.failed;
        total.failed_banks += bank.status != JOB_DONE;
    }
    return total;
}

void print_summary(const std::vector<BankTally>& banks, bool test, std::FILE* out) {
    const bool reported = banks.size() == 1 && !began(banks[0], test) &&
                          banks[0].status != JOB_CANCELLED; // a cancel has no failure line
    if (reported) return;
    for (const BankTally& bank : banks)
        print_bank(bank, test, out);
    if (banks.size() < 2) return;
    const RunTotals total = add_up(banks);
    if (test)
        std::fprintf(out, "%zu banks: %d slots read whole, %d damaged", banks.size(), total.done,
                     total.failed);
    else
        std::fprintf(out, "%zu banks: %d written, %d skipped, %d failed", banks.size(), total.done,
                     total.skipped, total.failed);
    std::fprintf(out, "; %d bank(s) with errors\n", total.failed_banks);
}
