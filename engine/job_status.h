// Job status codes: the extraction job's only messages to its user interface.
#pragma once
#include <cstdint>

enum JobStatus : int32_t {
    JOB_DONE        = 0, // every slot processed (posted, the job does not wait)
    JOB_READ_ERROR  = 1, // bulk file cannot be opened, read or seeked
    JOB_WRITE_ERROR = 2, // an output file cannot be created or written
    JOB_NOT_BULK    = 3, // a header test failed
    JOB_QUESTION    = 4, // the current output file exists: answer in the reply state
    JOB_EMPTY       = 5, // the bulk file holds no used slot
    JOB_CANCELLED   = 6, // folder prompt dismissed, or aborted
    JOB_WRITING     = 7, // folder chosen, the first slot is next
};

// Reply state values; any other value skips the slot in question.
enum Reply : int32_t {
    REPLY_WRITE      = 1,
    REPLY_YES_TO_ALL = 3,
    REPLY_NO         = 7,
    REPLY_ABORT      = 1015,
};

// The user's text for a status code: "Extract done!", "Read error", ...; "" for the codes
// that show no text of their own (4, 6, 7), "Unknown error" for codes above 7.
const char* job_status_text(uint32_t code);
