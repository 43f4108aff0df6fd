#include "extract_job.h"

#include "bulk_file.h"
#include "job_status.h"
#include "slot_writer.h"
#include <cstdio>
#include <cstring>
#include <thread>

char bulk_path[PATH_BYTES];
char output_name[OUTPUT_NAME_BYTES];

std::atomic<int32_t> busy_flag{0};
std::atomic<int32_t> reply_state{REPLY_WRITE};
std::atomic<int32_t> progress_current{100};
std::atomic<int32_t> progress_total{100};

namespace {

// The job's own state, touched by the worker only (start_job fills it before the worker runs).
JobHost* host;
JobOptions job_options;
char job_path[PATH_BYTES];
char output_folder[PATH_BYTES];
char output_path[PATH_BYTES];
SlotInfo slot_table[MAX_SLOTS];

bool file_exists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Asks for the folder and makes sure every output path of this table fits its buffer.
// Returns 0, or the code that ends the job.
int32_t take_output_folder(int count) {
    if (!host->choose_folder(output_folder)) return JOB_CANCELLED;
    output_folder[PATH_BYTES - 1] = '\0';
    size_t length                 = std::strlen(output_folder);
    // A drive or file-system root comes with its separator: drop it, the name adds one.
    if (length > 0 && output_folder[length - 1] == PATH_SEPARATOR) output_folder[--length] = '\0';

    // The names of a kind have one length, and the last slot is stereo if any slot is.
    char longest[OUTPUT_NAME_BYTES];
    format_output_name(slot_table[count - 1], longest);
    return length + 1 + std::strlen(longest) + 1 > PATH_BYTES ? JOB_WRITE_ERROR : JOB_DONE;
}

void advance_progress() {
    ++progress_current;
    host->request_repaint();
}

// Writes every slot of the table in order and reports how the job ended.
void write_slots(std::FILE* bulk, int count) {
    bool yes_to_all = false;
    bool damaged    = false;
    for (int i = 0; i < count; ++i) {
        format_output_name(slot_table[i], output_name);
        std::snprintf(output_path, sizeof output_path, "%s%c%s", output_folder, PATH_SEPARATOR,
                      output_name);
        if (reply_state.load() == REPLY_ABORT) {
            host->report(JOB_CANCELLED);
            return;
        }
        if (!yes_to_all && file_exists(output_path)) {
            host->report(JOB_QUESTION);
            const int32_t answer = reply_state.load();
            if (answer == REPLY_ABORT) {
                host->report(JOB_CANCELLED);
                return;
            }
            if (answer == REPLY_YES_TO_ALL) yes_to_all = true;
            if (answer != REPLY_WRITE && answer != REPLY_YES_TO_ALL) {
                advance_progress(); // skipped, but done with
                continue;
            }
        }
        bool opened          = false;
        const int32_t status = write_slot(bulk, slot_table[i], output_path, opened);
        const bool go_on     = status == JOB_READ_ERROR && job_options.keep_going;
        if (status != JOB_DONE) {
            if (go_on)
                host->report_damaged_slot();
            else
                host->report(status);
            if (opened) std::remove(output_path); // incomplete; an unopened file is untouched
            if (!go_on) return;
            damaged = true;
        }
        advance_progress();
    }
    if (damaged)
        host->report(JOB_READ_ERROR);
    else
        host->report_done();
}

// Everything between opening the bulk file and the end step.
void run_job(std::FILE* bulk) {
    int count      = 0;
    int32_t status = load_bulk_file(bulk, slot_table, count);
    if (status == JOB_DONE) status = take_output_folder(count);
    if (status != JOB_DONE) {
        host->report(status);
        return;
    }
    progress_current = 0;
    progress_total   = count + 1;
    host->request_repaint();
    host->report(JOB_WRITING);
    ++progress_current;
    write_slots(bulk, count);
}

} // namespace

void start_job(JobHost& job_host, JobOptions options) {
    host        = &job_host;
    job_options = options;
    reply_state = REPLY_WRITE;
    busy_flag   = 1;
    std::memcpy(job_path, bulk_path, PATH_BYTES);
    job_path[PATH_BYTES - 1] = '\0';
    std::thread(ExtractJob).detach();
}

void ExtractJob() {
    std::FILE* bulk = std::fopen(job_path, "rb");
    if (bulk)
        run_job(bulk);
    else
        host->report(JOB_READ_ERROR);

    progress_current = progress_total.load();
    host->request_repaint();
    if (bulk) std::fclose(bulk);
    busy_flag = 0;
}
