// The console as the extraction job's user interface.
#pragma once
#include "job_host.h"
#include "options.h"
#include <atomic>
#include <string>

// "unbank: BANK: Read error" and the like, on stderr.
void print_failure(const std::string& bank, int32_t code);

class ConsoleHost : public JobHost {
  public:
    ConsoleHost(const Options& options, const std::string& folder);

    void report(int32_t code) override;
    void report_done() override;
    void request_repaint() override;
    bool choose_folder(char folder[PATH_BYTES]) override;

    // The job's final status code, or 2 when the output folder could not be made.
    int exit_code() const { return final_code; }

  private:
    int32_t answer_question();
    int32_t ask_terminal();
    void clear_progress();

    const Options& options;
    std::string folder;
    bool show_progress;
    bool progress_shown = false;
    bool folder_failed  = false;
    std::atomic<int> final_code{0};
};
