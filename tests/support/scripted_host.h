// A user interface for the job that follows a script and records what the job told it.
#pragma once
#include "extract_job.h"
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class ScriptedHost : public JobHost {
  public:
    std::string folder;                      // the prompt's choice; "" dismisses it
    std::vector<int32_t> answers;            // to the questions in turn; No after them
    std::function<void(int32_t)> on_repaint; // called with progress_current

    std::vector<int32_t> codes;         // 0 included, in order of arrival
    std::vector<std::string> questions; // output_name at each question
    std::vector<std::string> damaged;   // output_name at each damaged slot (keep-going jobs)
    std::vector<int32_t> repaints;      // progress_current at each repaint
    int folder_prompts = 0;

    void report(JobStatus code) override {
        codes.push_back(code);
        if (code != JOB_QUESTION) return;
        questions.push_back(output_name);
        reply_state = questions.size() <= answers.size() ? answers[questions.size() - 1] : REPLY_NO;
    }
    void report_done() override { codes.push_back(JOB_DONE); }
    void request_repaint() override {
        repaints.push_back(progress_current);
        if (on_repaint) on_repaint(progress_current);
    }
    JobStatus choose_folder(char chosen[PATH_BYTES]) override {
        ++folder_prompts;
        std::snprintf(chosen, PATH_BYTES, "%s", folder.c_str());
        return folder.empty() ? JOB_CANCELLED : JOB_DONE;
    }
    void report_damaged_slot() override { damaged.push_back(output_name); }
};

// Starts the job on path with the host and waits for its end.
inline void run_job(const std::string& path, ScriptedHost& host, JobOptions options = {}) {
    std::snprintf(bulk_path, sizeof bulk_path, "%s", path.c_str());
    start_job(host, options);
    wait_for_job_end();
}
