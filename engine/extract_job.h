// The extraction job and the words it shares with the user interface thread.
#pragma once
#include "job_host.h"
#include "job_status.h"
#include "slot_info.h"
#include <atomic>
#include <cstdint>

#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// Written by the user interface thread only; start_job copies it for the job.
extern char bulk_path[PATH_BYTES];
// The current output file's name without its folder, written by the worker.
extern char output_name[PATH_BYTES];

extern std::atomic<int32_t> busy_flag;        // 1 from start_job until the worker's last act
extern std::atomic<int32_t> reply_state;      // see Reply
extern std::atomic<int32_t> progress_current; // 100 and 100 before the first job
extern std::atomic<int32_t> progress_total;

// What became of one slot in the last job; a slot the job did not get to stays SLOT_NOT_REACHED.
enum SlotOutcome : uint8_t { SLOT_NOT_REACHED, SLOT_WRITTEN, SLOT_SKIPPED, SLOT_FAILED };

// What became of the last job, kept by the worker as it goes. Read it once the job has ended
// (wait_for_job_end); the window goes by the codes alone.
struct JobResult {
    int32_t slots;    // used slots of the bank; 0 when the job ended before writing began
    int32_t written;  // slots written whole
    int32_t skipped;  // slots whose file existed and was kept
    int32_t failed;   // slots not written whole: damaged, or failed while written
    JobStatus status; // the final code: 0, 1, 2, 3, 5 or 6
    int error_number; // the system's reason for a code 1 or 2 (an errno value), 0 where none
    char failed_slot[PATH_BYTES];    // the file whose failure ended the job, "" for none
    SlotOutcome outcomes[MAX_SLOTS]; // by slot id
};

extern JobResult job_result;

// What a job does with a slot whose data cannot be read whole. By default it ends there, as
// the window's jobs do; keep_going reports the slot, writes no file for it, goes on with the next
// slot and ends the job with code 1 after the last one. Unless every_slot, only the slots
// whose ids are chosen are the job's: the others are left out of its count and its progress.
// Each file's name is name_prefix followed by the slot's own name.
struct JobOptions {
    bool keep_going              = false;
    bool every_slot              = true;
    bool chosen[MAX_SLOTS]       = {};
    char name_prefix[PATH_BYTES] = "";
};

// Starts the worker on a copy of bulk_path; busy_flag reads 1 when this returns. Call only
// while busy_flag is 0.
void start_job(JobHost& host, JobOptions options = JobOptions{});

// Does what start_job does, then runs the job on the calling thread and returns when it has
// ended: for a host that cannot start threads (a page's worker without shared memory).
void run_job_on_calling_thread(JobHost& host, JobOptions options = JobOptions{});

// Returns once the job started last has ended, at once when it already has. Call it from the
// thread that starts jobs, never while the worker waits for that thread (a report).
void wait_for_job_end();

// The worker procedure.
void ExtractJob();
