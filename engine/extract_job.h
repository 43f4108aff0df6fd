// The extraction job and the words it shares with the user interface thread.
#pragma once
#include "job_host.h"
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
extern char output_name[OUTPUT_NAME_BYTES];

extern std::atomic<int32_t> busy_flag;        // 1 from start_job until the worker's last act
extern std::atomic<int32_t> reply_state;      // see Reply
extern std::atomic<int32_t> progress_current; // 100 and 100 before the first job
extern std::atomic<int32_t> progress_total;

// What a job does with a slot whose data cannot be read whole. By default it ends there, as
// the window's jobs do; keep_going reports the slot, deletes its file, goes on with the next
// slot and ends the job with code 1 after the last one.
struct JobOptions {
    bool keep_going = false;
};

// Starts the worker on a copy of bulk_path; busy_flag reads 1 when this returns. Call only
// while busy_flag is 0.
void start_job(JobHost& host, JobOptions options = JobOptions{});

// The worker procedure.
void ExtractJob();
