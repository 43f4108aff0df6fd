#include "bank_check.h"

#include "bank_table.h"
#include "extract_job.h"
#include "slot_writer.h"

JobStatus check_bank(const Options& options, BankTally& tally) {
    OpenBank open;
    const JobStatus status = open_bank(tally.bank, open);
    tally.error_number     = open.error_number;
    if (status != JOB_DONE) return status;
    for (int i = 0; i < open.count; ++i) {
        const SlotInfo& slot = open.table[i];
        if (!slot_chosen(options, slot)) continue;
        ++tally.slots;
        uint32_t& frames_read  = tally.frames_read[slot.id];
        const JobStatus result = check_slot(open.stream, slot, reply_state, frames_read);
        if (result == JOB_CANCELLED) return result;
        if (result == JOB_DONE) {
            ++tally.done;
            continue;
        }
        ++tally.failed;
        char name[OUTPUT_NAME_BYTES];
        format_output_name(slot, name);
        std::fprintf(stderr, "unbank: %s: %s cannot be read whole: %lu of %lu frames readable\n",
                     tally.bank.c_str(), name, (unsigned long)frames_read,
                     (unsigned long)slot_frames(slot));
    }
    return tally.failed > 0 ? JOB_READ_ERROR : JOB_DONE;
}
