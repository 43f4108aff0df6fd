// The page's engine, run inside its Web Workers: lists a bank, reads it (every slot decoded and
// the peaks of its waveform kept) and makes its WAV files again, on the worker's own thread.
// The files are written into memory (system_file_memory.cpp), into a buffer this host owns, and
// the worker's script copies each one from there through the hooks it sets on the module
// (onSlotRow, onProgress, onDamagedSlot, onPeaks, onSpan, onFile).
#include "bank_table.h"
#include "batch_decoder.h"
#include "bulk_file.h"
#include "extract_job.h"
#include "memory_file.h"
#include "slot_writer.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
EM_JS(void, page_peaks, (const char* name, const float* peaks, int count), {
    Module.onPeaks(UTF8ToString(name), HEAPF32.slice(peaks >> 2, (peaks >> 2) + count));
});
EM_JS(void, page_span, (double from, double to), {
    Module.onSpan(from, to);
});
EM_JS(void, page_file, (const char* name, const uint8_t* bytes, size_t length), {
    Module.onFile(UTF8ToString(name), HEAPU8.subarray(bytes, bytes + length));
});
// clang-format on

namespace {

constexpr int PEAK_COLUMNS    = 120; // the width of a slot's waveform picture
constexpr int WAV_CHANNELS_AT = 22;  // in make_wav_header's header
constexpr char FOLDER[]       = "/page";

// What a job of this host does with each file it writes: reading a bank keeps the peaks of its
// waveform only, making its files hands each one to the page.
enum class Keep { PEAKS, FILES };
Keep keeping;

uint8_t* file_buffer; // the file being written, grown to the largest file so far
size_t file_capacity;

// Nothing to ask: no file is kept under a name, so none exists; the final code is read from
// the job's record.
class PageHost : public JobHost {
  public:
    void report(JobStatus) override {}
    void report_done() override {}
    void request_repaint() override { page_progress(progress_current, progress_total); }
    JobStatus choose_folder(char chosen[PATH_BYTES]) override {
        std::snprintf(chosen, PATH_BYTES, "%s", FOLDER);
        return JOB_DONE;
    }
    void report_damaged_slot() override { page_damaged_slot(output_name); }
};

// The loudest sample in each column of the waveform picture, 0 to 1, the channels together.
// WebAssembly is little-endian, as the file is: a sample is loaded as it lies, and the loop over
// a column becomes vector code.
void find_peaks(const uint8_t* wav, size_t length, float peaks[PEAK_COLUMNS]) {
    const size_t channels = size_t(wav[WAV_CHANNELS_AT]) | size_t(wav[WAV_CHANNELS_AT + 1]) << 8;
    const uint8_t* data   = wav + WAV_HEADER_BYTES;
    const size_t frames   = (length - WAV_HEADER_BYTES) / (2 * channels);
    const size_t per      = frames > PEAK_COLUMNS ? (frames + PEAK_COLUMNS - 1) / PEAK_COLUMNS : 1;
    for (size_t column = 0; column < PEAK_COLUMNS; ++column) {
        const size_t end = (column + 1) * per < frames ? (column + 1) * per : frames;
        int16_t high = 0, low = 0;
        for (size_t i = column * per * channels; i < end * channels; ++i) {
            int16_t sample;
            std::memcpy(&sample, data + 2 * i, sizeof sample);
            high = sample > high ? sample : high;
            low  = sample < low ? sample : low;
        }
        peaks[column] = float(-low > high ? -low : high) / 32768.0f;
    }
}

int64_t slot_bytes(const SlotInfo& slot) {
    return slot_extent(slot).length * (is_stereo(slot) ? 2 : 1);
}

// Which of parts the slot at place in the table belongs to: counted through the table, the
// bytes before it fall in that part of them all. A bank laid out in table order has each
// part's slots together in the file.
int part_of(const OpenBank& bank, int place, int parts) {
    int64_t before = 0, total = 0;
    for (int i = 0; i < bank.count; ++i) {
        if (i < place) before += slot_bytes(bank.table[i]);
        total += slot_bytes(bank.table[i]);
    }
    return int(before * parts / total);
}

// The job on the bank at path for the slots that chosen(bank, place in the table) picks, going
// on past damaged slots as unbank --keep-going does. Returns the job's final code.
template <class Choose> int run_job(const char* path, Keep keep, Choose chosen) {
    OpenBank bank;
    const JobStatus status = open_bank(path, bank);
    if (status != JOB_DONE) return status;
    JobOptions options;
    options.keep_going = true;
    options.every_slot = false;
    for (int i = 0; i < bank.count; ++i)
        options.chosen[bank.table[i].id] = chosen(bank, i);
    keeping = keep;
    std::snprintf(bulk_path, sizeof bulk_path, "%s", path);
    PageHost host;
    run_job_on_calling_thread(host, options);
    return job_result.status;
}

} // namespace

uint8_t* memory_file_room(size_t size) {
    if (size <= file_capacity) return file_buffer;
    const size_t wanted = size > 2 * file_capacity ? size : 2 * file_capacity;
    void* grown         = std::realloc(file_buffer, wanted);
    if (!grown) return nullptr;
    file_buffer   = static_cast<uint8_t*>(grown);
    file_capacity = wanted;
    return file_buffer;
}

void memory_file_kept(const char* path, size_t length) {
    const char* name = std::strrchr(path, '/') + 1;
    if (keeping == Keep::FILES) {
        page_file(name, file_buffer, length);
        return;
    }
    float peaks[PEAK_COLUMNS];
    find_peaks(file_buffer, length, peaks);
    page_peaks(name, peaks, PEAK_COLUMNS);
}

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

// The bytes of the file that the slots of the part-th of parts lie in, beside the directory:
// from the first of their blocks to the end of the last, handed to the page (onSpan). A worker
// reads only those, and the directory, to read its part.
EMSCRIPTEN_KEEPALIVE int part_span(const char* path, int part, int parts) {
    OpenBank bank;
    const JobStatus status = open_bank(path, bank);
    if (status != JOB_DONE) return status;
    int64_t from = bank.size, to = 0;
    for (int i = 0; i < bank.count; ++i) {
        if (part_of(bank, i, parts) != part) continue;
        const auto [left, right, length] = slot_extent(bank.table[i]);
        for (const int64_t start : {left, right}) {
            from = std::min(from, std::max<int64_t>(start, 0));
            to   = std::max(to, std::min(start + length, bank.size));
        }
    }
    page_span(double(from), double(std::max(from, to)));
    return JOB_DONE;
}

// Decodes every slot of the part-th of parts, handing the page each one's peaks and each
// damaged slot's name: workers side by side read a bank in parts. JOB_EMPTY when the part holds
// no slot.
EMSCRIPTEN_KEEPALIVE int read_bank(const char* path, int part, int parts) {
    return run_job(path, Keep::PEAKS, [=](const OpenBank& bank, int place) {
        return part_of(bank, place, parts) == part;
    });
}

// Makes the WAV file of the slot named slot, handing it to the page when it is whole.
EMSCRIPTEN_KEEPALIVE int make_file(const char* path, const char* slot) {
    return run_job(path, Keep::FILES, [=](const OpenBank& bank, int place) {
        char name[OUTPUT_NAME_BYTES];
        format_output_name(bank.table[place], name);
        return std::strcmp(name, slot) == 0;
    });
}

// The bytes from the start of the file to the end of the directory.
EMSCRIPTEN_KEEPALIVE int directory_end() {
    return int(DIRECTORY_END);
}

// Decodes 400 runs of blocks of nothing when the worker starts: the browser compiles the
// decoder's optimised code once it has run a while, and it then has by the time a bank comes.
EMSCRIPTEN_KEEPALIVE void warm_up() {
    static uint8_t blocks[256 * BLOCK_BYTES];
    static int16_t samples[256 * BLOCK_SAMPLES];
    for (int run = 0; run < 400; ++run)
        decode_blocks(blocks, 256, samples);
}

EMSCRIPTEN_KEEPALIVE const char* status_text(int code) {
    return job_status_text(uint32_t(code));
}

} // extern "C"
