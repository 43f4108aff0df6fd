// The closing summary of a run: what became of each bank's slots.
#pragma once
#include "extract_job.h"
#include "job_status.h"
#include <cstdio>
#include <string>
#include <vector>

struct BankTally {
    std::string bank;
    JobStatus status = JOB_DONE;          // the bank's job status code
    int error_number = 0;                 // the system's reason for a code 1 or 2, 0 where none
    std::string folder;                   // where its files went; empty when no slot was begun
    int slots   = 0;                      // used slots of the bank
    int done    = 0;                      // written, or read whole by a test
    int skipped = 0;                      // kept because the file existed
    int failed  = 0;                      // not written, or not read whole
    std::string prefix;                   // --flat: what comes before each of its file names
    std::vector<std::string> missing;     // slots chosen with --slot that it does not use
    uint32_t frames_read[MAX_SLOTS] = {}; // -t: frames read of each slot, by id
    SlotOutcome outcomes[MAX_SLOTS] = {}; // extraction: by slot id
};

struct RunTotals {
    int done = 0, skipped = 0, failed = 0;
    int failed_banks = 0; // banks whose status is not 0
};

RunTotals add_up(const std::vector<BankTally>& banks);

// A bank's status for the user: "done", "cancelled", or the status code's text.
const char* status_text(JobStatus status);

// One line per bank, and a total line when there are several. A lone bank that never got to
// its slots has no line: its failure has just been reported.
void print_summary(const std::vector<BankTally>& banks, bool test, std::FILE* out);
