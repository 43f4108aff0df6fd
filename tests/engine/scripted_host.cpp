#include "scripted_host.h"

#include "extract_job.h"
#include "job_status.h"
#include <cstdio>

void ScriptedHost::report(JobStatus code) {
    codes.push_back(code);
    if (code == JOB_WRITING) {
        total_at_start   = progress_total;
        current_at_start = progress_current;
    }
    if (code != JOB_QUESTION) return;
    questions.push_back(output_name);
    const size_t asked = questions.size() - 1;
    reply_state        = asked < answers.size() ? answers[asked] : REPLY_NO;
}

void ScriptedHost::report_done() {
    codes.push_back(JOB_DONE);
}

void ScriptedHost::request_repaint() {
    repaints.push_back(progress_current);
    if (on_repaint) on_repaint(progress_current);
}

JobStatus ScriptedHost::choose_folder(char chosen[PATH_BYTES]) {
    ++folder_prompts;
    if (on_folder_prompt) on_folder_prompt();
    std::snprintf(chosen, PATH_BYTES, "%s", folder.c_str());
    return folder_given ? JOB_DONE : JOB_CANCELLED;
}

void ScriptedHost::report_damaged_slot() {
    damaged.push_back(output_name);
}

void run_job(const std::string& path, ScriptedHost& host, JobOptions options) {
    std::snprintf(bulk_path, sizeof bulk_path, "%s", path.c_str());
    start_job(host, options);
    wait_for_job_end();
}
