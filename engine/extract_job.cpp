#include "extract_job.h"

#include "bulk_file.h"
#include "slot_writer.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

char bulk_path[PATH_BYTES];
char output_name[PATH_BYTES];

std::atomic<int32_t> busy_flag{0};
std::atomic<int32_t> reply_state{REPLY_WRITE};
std::atomic<int32_t> progress_current{100};
std::atomic<int32_t> progress_total{100};

JobResult job_result;

namespace {

// The job's own state, touched by the worker only (start_job fills it before the worker runs).
JobHost* host;
JobOptions job_options;
char job_path[PATH_BYTES];
char output_folder[PATH_BYTES];
char output_path[PATH_BYTES];
SlotInfo slot_table[MAX_SLOTS];

// The worker's thread, joined by wait_for_job_end or by the next start_job, never detached as
// it starts: MinGW's POSIX thread layer now and then loses a thread detached while it starts
// (seen under Wine: the job never ran and the busy flag stayed set). A program may end without
// waiting for its last job (the window's tests do): the thread is then let go, since a thread
// object still joinable at the end would stop the program.
struct WorkerThread {
    std::thread thread;
    ~WorkerThread() {
        if (thread.joinable()) thread.detach();
    }
} worker;

bool file_exists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// The job's final code: into the record, then to the user interface. Only a read or write
// error keeps the system's reason.
void finish(JobStatus status, int error_number = 0) {
    job_result.status = status;
    if (status == JOB_READ_ERROR || status == JOB_WRITE_ERROR)
        job_result.error_number = error_number;
    if (status == JOB_DONE)
        host->report_done();
    else
        host->report(status);
}

// Drops the slots the job was not asked for from the table, keeping its order.
int keep_chosen_slots(int count) {
    if (job_options.every_slot) return count;
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (job_options.chosen[slot_table[i].id]) slot_table[kept++] = slot_table[i];
    return kept;
}

// Names the slot's file in output_name (the prefix, then the slot's own name) and its path in
// output_path. Returns the length the whole path needs: PATH_BYTES or more when it does not fit.
int name_slot(const SlotInfo& slot) {
    char own[OUTPUT_NAME_BYTES];
    format_output_name(slot, own);
    const int name =
        std::snprintf(output_name, sizeof output_name, "%s%s", job_options.name_prefix, own);
    const int path = std::snprintf(output_path, sizeof output_path, "%s%c%s", output_folder,
                                   PATH_SEPARATOR, output_name);
    return name < int(sizeof output_name) ? path : PATH_BYTES; // a name cut short fits nowhere
}

// Asks for the folder and makes sure every output path of this table fits its buffer.
// Returns 0, or the code that ends the job with errno saying why.
JobStatus take_output_folder(int count) {
    const JobStatus chosen = host->choose_folder(output_folder);
    if (chosen != JOB_DONE) return chosen;
    output_folder[PATH_BYTES - 1] = '\0';
    size_t length                 = std::strlen(output_folder);
    // A drive or file-system root comes with its separator: drop it, the name adds one.
    if (length > 0 && output_folder[length - 1] == PATH_SEPARATOR) output_folder[--length] = '\0';

    // The names of a kind have one length, and the last slot is stereo if any slot is.
    if (name_slot(slot_table[count - 1]) < PATH_BYTES) return JOB_DONE;
    errno = ENAMETOOLONG;
    return JOB_WRITE_ERROR;
}

void advance_progress() {
    ++progress_current;
    host->request_repaint();
}

// Writes every slot of the table in order and reports how the job ended.
void write_slots(std::FILE* bulk, int count) {
    bool yes_to_all = false;
    for (int i = 0; i < count; ++i) {
        name_slot(slot_table[i]);
        if (reply_state.load() == REPLY_ABORT) {
            finish(JOB_CANCELLED);
            return;
        }
        if (!yes_to_all && file_exists(output_path)) {
            host->report(JOB_QUESTION);
            const int32_t answer = reply_state.load();
            if (answer == REPLY_ABORT) {
                finish(JOB_CANCELLED);
                return;
            }
            if (answer == REPLY_YES_TO_ALL) yes_to_all = true;
            if (answer != REPLY_WRITE && answer != REPLY_YES_TO_ALL) {
                ++job_result.skipped;
                job_result.outcomes[slot_table[i].id] = SLOT_SKIPPED;
                advance_progress(); // skipped, but done with
                continue;
            }
        }
        const JobStatus status = write_slot(bulk, slot_table[i], output_path, reply_state);
        if (status == JOB_DONE) {
            ++job_result.written;
            job_result.outcomes[slot_table[i].id] = SLOT_WRITTEN;
        } else {
            if (status != JOB_CANCELLED) ++job_result.failed;
            if (status != JOB_CANCELLED) job_result.outcomes[slot_table[i].id] = SLOT_FAILED;
            if (status != JOB_READ_ERROR || !job_options.keep_going) {
                if (status != JOB_CANCELLED)
                    std::memcpy(job_result.failed_slot, output_name, PATH_BYTES);
                finish(status, slot_error_number());
                return;
            }
            host->report_damaged_slot();
        }
        advance_progress();
    }
    // A keep-going job names its damaged slots one by one; its end says only that there were.
    finish(job_result.failed > 0 ? JOB_READ_ERROR : JOB_DONE);
}

// Everything between opening the bulk file and the end step.
void run_job(std::FILE* bulk) {
    int count        = 0;
    JobStatus status = load_bulk_file(bulk, slot_table, count);
    if (status == JOB_DONE && (count = keep_chosen_slots(count)) == 0) status = JOB_EMPTY;
    if (status == JOB_DONE) status = take_output_folder(count);
    if (status != JOB_DONE) {
        finish(status, errno);
        return;
    }
    job_result.slots = count;
    progress_current = 0;
    progress_total   = count + 1;
    host->request_repaint();
    host->report(JOB_WRITING);
    ++progress_current;
    write_slots(bulk, count);
}

// What start_job does before the worker runs: the job's host, options and copy of the path.
void prepare_job(JobHost& job_host, JobOptions options) {
    host        = &job_host;
    job_options = options;
    reply_state = REPLY_WRITE;
    busy_flag   = 1;
    std::memcpy(job_path, bulk_path, PATH_BYTES);
    job_path[PATH_BYTES - 1] = '\0';
}

} // namespace

void start_job(JobHost& job_host, JobOptions options) {
    if (worker.thread.joinable()) worker.thread.join(); // it has cleared the busy flag
    prepare_job(job_host, options);
    worker.thread = std::thread(ExtractJob);
}

void run_job_on_calling_thread(JobHost& job_host, JobOptions options) {
    prepare_job(job_host, options);
    ExtractJob();
}

void wait_for_job_end() {
    if (worker.thread.joinable()) worker.thread.join();
}

void ExtractJob() {
    job_result      = JobResult{};
    std::FILE* bulk = std::fopen(job_path, "rb");
    if (bulk)
        run_job(bulk);
    else
        finish(JOB_READ_ERROR, errno);

    progress_current = progress_total.load();
    host->request_repaint();
    if (bulk) std::fclose(bulk);
    busy_flag = 0;
}
