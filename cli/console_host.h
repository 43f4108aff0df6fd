// The console as the extraction job's user interface.
#pragma once
#include "job_host.h"
#include "options.h"
#include "run_summary.h"
#include <atomic>
#include <string>

// "unbank: BANK: Read error" and the like, on stderr, followed by strerror(error) if not 0.
void print_failure(const std::string& bank, int32_t code, int error = 0);

// Runs the job for one bank; tally names the bank and its folder, and the host counts into it.
class ConsoleHost : public JobHost {
  public:
    ConsoleHost(const Options& options, BankTally& tally);

    void report(int32_t code) override;
    void report_done() override;
    void request_repaint() override;
    bool choose_folder(char folder[PATH_BYTES]) override;
    void report_damaged_slot() override;

    // The job's final status code, or 2 when the output folder could not be made. Read it,
    // and the tally, once the job has cleared the busy flag.
    int exit_code() const { return final_code; }

  private:
    int32_t answer_question();
    int32_t ask_terminal();
    void clear_progress();
    void finish(int32_t code);

    const Options& options;
    BankTally& tally;
    bool show_progress;
    bool progress_shown = false;
    bool folder_failed  = false;
    bool writing        = false; // from code 7 until the job's final code
    int processed       = 0;     // slots written, skipped or damaged so far
    std::atomic<int> final_code{0};
};
