#include "slot_list.h"

#include "bank_table.h"

JobStatus list_slots(const std::string& bank, const Options& options, std::FILE* out,
                     int& error_number) {
    OpenBank open;
    const JobStatus status = open_bank(bank, open);
    error_number           = open.error_number;
    if (status != JOB_DONE) return status;

    for (int i = 0; i < open.count; ++i) {
        const SlotInfo& slot = open.table[i];
        if (!out || !slot_chosen(options, slot)) continue;
        const bool stereo     = is_stereo(slot);
        const uint32_t frames = slot_frames(slot);
        char name[OUTPUT_NAME_BYTES];
        format_output_name(slot, name);
        const int64_t offset = slot.data_offset;
        std::fprintf(out, "%-8s %-6s %9lu frames %8.3f s  data at %s0x%06llx", name,
                     stereo ? "stereo" : "mono", (unsigned long)frames,
                     double(frames) / SAMPLE_RATE, offset < 0 ? "-" : "",
                     (unsigned long long)(offset < 0 ? -offset : offset));
        const char* damage = slot_damage(slot, open.size);
        if (damage) std::fprintf(out, "  damaged: %s", damage);
        std::fputc('\n', out);
    }
    return JOB_DONE;
}
