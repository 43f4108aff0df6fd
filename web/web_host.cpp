// The page's engine, run inside its Web Worker: lists a bank and extracts it into a folder of
// the in-memory file system on the worker's own thread, and tells the worker's script through
// the hooks it sets on the module (onSlotRow, onProgress, onDamagedSlot).
#include "bank_table.h"
#include "extract_job.h"
#include <cstdio>
#include <emscripten.h>

// clang-format off
EM_JS(void, page_slot_row, (const char* name, int stereo, uint32_t frames, const char* damage), {
    Module.onSlotRow(UTF8ToString(name), stereo !== 0, frames >>> 0, damage ? UTF8ToString(damage) : "");
});
EM_JS(void, page_progress, (int current, int total), {
    Module.onProgress(current, total);
});
EM_JS(void, page_damaged_slot, (const char* name), {
    Module.onDamagedSlot(UTF8ToString(name));
});
// clang-format on

namespace {

// Nothing to ask: every extraction goes into a fresh folder, so no output file exists, and the
// final code is read from the job's record.
class PageHost : public JobHost {
  public:
    explicit PageHost(const char* folder_) : folder(folder_) {}

    void report(JobStatus) override {}
    void report_done() override {}
    void request_repaint() override { page_progress(progress_current, progress_total); }
    JobStatus choose_folder(char chosen[PATH_BYTES]) override {
        std::snprintf(chosen, PATH_BYTES, "%s", folder);
        return JOB_DONE;
    }
    void report_damaged_slot() override { page_damaged_slot(output_name); }

  private:
    const char* folder;
};

} // namespace

extern "C" {

// The bank's slot table row by row, as unbank --list gives it: JOB_DONE, or the code that says
// why there is none (JOB_READ_ERROR, JOB_NOT_BULK or JOB_EMPTY).
EMSCRIPTEN_KEEPALIVE int list_bank(const char* path) {
    OpenBank bank;
    const JobStatus status = open_bank(path, bank);
    if (status != JOB_DONE) return status;
    for (int i = 0; i < bank.count; ++i) {
        const SlotInfo& slot = bank.table[i];
        char name[OUTPUT_NAME_BYTES];
        format_output_name(slot, name);
        page_slot_row(name, is_stereo(slot), slot_frames(slot), slot_damage(slot, bank.size));
    }
    return JOB_DONE;
}

// Writes the bank's slots into folder, an existing empty folder, going on past damaged slots as
// unbank --keep-going does; returns the job's final code.
EMSCRIPTEN_KEEPALIVE int extract_bank(const char* path, const char* folder) {
    std::snprintf(bulk_path, sizeof bulk_path, "%s", path);
    PageHost host(folder);
    run_job_on_calling_thread(host, JobOptions{true});
    return job_result.status;
}

EMSCRIPTEN_KEEPALIVE const char* status_text(int code) {
    return job_status_text(uint32_t(code));
}

} // extern "C"
