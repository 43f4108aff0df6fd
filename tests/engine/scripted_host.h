// A user interface for the job that follows a script: the folder to give, the answers to
// questions, and what to do when a repaint is asked for. It records what the job told it.
#pragma once
#include "extract_job.h"
#include "job_host.h"
#include <functional>
#include <string>
#include <vector>

class ScriptedHost : public JobHost {
  public:
    // Script
    bool folder_given = true;
    std::string folder;
    std::vector<int32_t> answers;            // one per question, in order
    std::function<void(int32_t)> on_repaint; // called with progress_current
    std::function<void()> on_folder_prompt;

    // Record
    std::vector<int32_t> codes;         // 0 included, in order of arrival
    std::vector<std::string> questions; // output_name at each question
    std::vector<std::string> damaged;   // output_name at each damaged slot (keep-going jobs)
    std::vector<int32_t> repaints;      // progress_current at each repaint
    int32_t total_at_start   = -1;      // progress_total when code 7 came
    int32_t current_at_start = -1;
    int folder_prompts       = 0;

    void report(JobStatus code) override;
    void report_done() override;
    void request_repaint() override;
    JobStatus choose_folder(char folder[PATH_BYTES]) override;
    void report_damaged_slot() override;
};

// Starts the job on path with the host and waits for its end.
void run_job(const std::string& path, ScriptedHost& host, JobOptions options = JobOptions{});
