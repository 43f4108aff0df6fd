#include "slot_list.h"

#include "bulk_file.h"
#include "extract_job.h"
#include "job_status.h"
#include "slot_writer.h"

int list_slots(const char* bank, std::FILE* out) {
    std::FILE* stream = std::fopen(bank, "rb");
    if (!stream) return JOB_READ_ERROR;
    static SlotInfo table[MAX_SLOTS];
    int count            = 0;
    const int32_t status = load_bulk_file(stream, table, count);
    std::fclose(stream);
    if (status != JOB_DONE) return status;

    for (int i = 0; i < count; ++i) {
        const SlotInfo& slot = table[i];
        const bool stereo    = is_stereo(slot);
        const int64_t frames = stereo ? slot.total_samples / 2 : slot.total_samples;
        char name[OUTPUT_NAME_BYTES];
        format_output_name(slot, name);
        std::fprintf(out, "%-8s %-6s %9lld frames %8.3f s  data at 0x%06x\n", name,
                     stereo ? "stereo" : "mono", (long long)frames, double(frames) / SAMPLE_RATE,
                     unsigned(slot.data_offset));
    }
    return JOB_DONE;
}
