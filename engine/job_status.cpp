#include "job_status.h"

namespace {

// What the user reads for each code; a cancel, a question and the start show no text.
const char* const status_texts[] = {
    /* 0 JOB_DONE        */ "Extract done!",
    /* 1 JOB_READ_ERROR  */ "Read error",
    /* 2 JOB_WRITE_ERROR */ "Write error",
    /* 3 JOB_NOT_BULK    */ "Not ZP-4 file",
    /* 4 JOB_QUESTION    */ "",
    /* 5 JOB_EMPTY       */ "ZP-4 file has no contents",
    /* 6 JOB_CANCELLED   */ "",
    /* 7 JOB_WRITING     */ "",
};

} // namespace

const char* job_status_text(uint32_t code) {
    return code < sizeof status_texts / sizeof status_texts[0] ? status_texts[code]
                                                               : "Unknown error";
}
