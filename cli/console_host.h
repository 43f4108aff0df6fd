// The console as the extraction job's user interface.
#pragma once
#include "job_host.h"
#include "options.h"
#include <string>

// "unbank: BANK: Read error" and the like on stderr: where names the slot's file or the folder
// the failure happened in ("" for the bank itself), and the system's reason follows the
// program's own text when there is one; after ends the line.
void print_failure(const std::string& bank, const std::string& where, JobStatus code,
                   int error_number, const char* after = "");

// Answers the job for one bank: the questions, the progress line and the damaged slots on the
// terminal, the folder by making it. What became of the bank is the job's record.
class ConsoleHost : public JobHost {
  public:
    ConsoleHost(const Options& options, const std::string& bank, const std::string& folder);

    void report(JobStatus code) override;
    void report_done() override;
    void request_repaint() override;
    JobStatus choose_folder(char folder[PATH_BYTES]) override;
    void report_damaged_slot() override;

  private:
    int32_t answer_question();
    int32_t ask_terminal();
    void clear_progress();

    const Options& options;
    const std::string& bank;
    const std::string& folder;
    bool show_progress;
    int progress_width = 0;     // characters of the progress line on the console, 0: none
    bool writing       = false; // from code 7 until the job's final code
};
