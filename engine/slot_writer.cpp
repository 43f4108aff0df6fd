#include "slot_writer.h"

#include "codec_state.h"
#include "decoder.h"
#include "extract_job.h"
#include "job_status.h"
#include <climits>
#include <cstring>

namespace {

constexpr size_t OUTPUT_BUFFER_BYTES = 1 << 17;
constexpr size_t READ_WINDOW_BYTES   = 1 << 16;

// One output stream at a time: the worker writes one slot after another.
char output_buffer[OUTPUT_BUFFER_BYTES];

// A piece of the bulk file held in memory, so that a stereo slot's alternating left and
// right blocks cost no seek each.
struct ReadWindow {
    int64_t start;
    size_t length;
    uint8_t data[READ_WINDOW_BYTES];
};

ReadWindow left_window;
ReadWindow right_window;

// Copies the 32-byte block at file offset position; false when the file cannot deliver it.
bool read_block(std::FILE* bulk, ReadWindow& window, int64_t position, uint8_t block[BLOCK_BYTES]) {
    if (position < 0 || position > LONG_MAX - int64_t(READ_WINDOW_BYTES)) return false;
    const int64_t end = window.start + int64_t(window.length);
    if (position < window.start || position + BLOCK_BYTES > end) {
        if (std::fseek(bulk, long(position), SEEK_SET) != 0) return false;
        window.start  = position;
        window.length = std::fread(window.data, 1, READ_WINDOW_BYTES, bulk);
        if (window.length < size_t(BLOCK_BYTES)) return false;
    }
    std::memcpy(block, window.data + (position - window.start), BLOCK_BYTES);
    return true;
}

void forget(ReadWindow& window) {
    window.start  = 0;
    window.length = 0;
}

void put_le16(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

void put_le32(uint8_t* out, uint32_t value) {
    put_le16(out, value);
    put_le16(out + 2, value >> 16);
}

int32_t close_with(std::FILE* out, int32_t status) {
    const bool closed = std::fclose(out) == 0;
    return status == JOB_DONE && !closed ? JOB_WRITE_ERROR : status;
}

// Reads and decodes the slot's blocks in order and hands each block step's frames to
// take(left, right, n); stops at the first code other than 0, from the bulk file (1) or take.
template <class Take> int32_t decode_slot(std::FILE* bulk, const SlotInfo& slot, Take take) {
    const bool stereo = is_stereo(slot);
    forget(left_window);
    forget(right_window);
    // A negative total (end address below start) counts as a huge length: the file runs out.
    uint32_t frames_left = uint32_t(stereo ? slot.total_samples / 2 : slot.total_samples);
    int64_t position     = slot.data_offset;
    CodecState left_state, right_state;
    uint8_t block[BLOCK_BYTES];
    int16_t left[BLOCK_SAMPLES], right[BLOCK_SAMPLES];

    do {
        const uint32_t n = frames_left < uint32_t(BLOCK_SAMPLES) ? frames_left : BLOCK_SAMPLES;
        if (!read_block(bulk, left_window, position, block)) return JOB_READ_ERROR;
        decode_block(block, left, left_state);
        if (stereo) {
            if (!read_block(bulk, right_window, position + slot.right_distance, block))
                return JOB_READ_ERROR;
            decode_block(block, right, right_state);
        }
        position += BLOCK_BYTES;
        const int32_t status = take(left, right, n);
        if (status != JOB_DONE) return status;
        frames_left -= n;
    } while (frames_left > 0);
    return JOB_DONE;
}

} // namespace

void make_wav_header(int32_t total_samples, int channels, uint8_t header[WAV_HEADER_BYTES]) {
    const uint32_t data_bytes = uint32_t(total_samples) * 2;
    std::memcpy(header, "RIFF", 4);
    put_le32(header + 4, data_bytes + 36); // the rest of the header after this field, plus data
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put_le32(header + 16, 16);
    put_le16(header + 20, 1); // PCM
    put_le16(header + 22, uint32_t(channels));
    put_le32(header + 24, SAMPLE_RATE);
    put_le32(header + 28, uint32_t(SAMPLE_RATE) * 2 * uint32_t(channels));
    put_le16(header + 32, 2 * uint32_t(channels));
    put_le16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    put_le32(header + 40, data_bytes);
}

int32_t write_slot(std::FILE* bulk, const SlotInfo& slot, const char* out_path, bool& opened) {
    const bool stereo  = is_stereo(slot);
    const int channels = stereo ? 2 : 1;

    std::FILE* out = std::fopen(out_path, "wb");
    opened         = out != nullptr;
    if (!out) return JOB_WRITE_ERROR;
    std::setvbuf(out, output_buffer, _IOFBF, sizeof output_buffer);

    uint8_t header[WAV_HEADER_BYTES];
    make_wav_header(slot.total_samples, channels, header);
    if (std::fwrite(header, 1, sizeof header, out) != sizeof header)
        return close_with(out, JOB_WRITE_ERROR);

    uint8_t frames[BLOCK_SAMPLES * 4];
    auto write_frames = [&](const int16_t* left, const int16_t* right, uint32_t n) -> int32_t {
        size_t used = 0;
        for (uint32_t k = 0; k < n; ++k) {
            if (reply_state.load(std::memory_order_relaxed) == REPLY_ABORT) {
                std::fwrite(frames, 1, used, out);
                return JOB_CANCELLED;
            }
            put_le16(frames + used, uint16_t(left[k]));
            used += 2;
            if (stereo) {
                put_le16(frames + used, uint16_t(right[k]));
                used += 2;
            }
        }
        return std::fwrite(frames, 1, used, out) == used ? JOB_DONE : JOB_WRITE_ERROR;
    };
    return close_with(out, decode_slot(bulk, slot, write_frames));
}

int32_t check_slot(std::FILE* bulk, const SlotInfo& slot, uint32_t& frames_read) {
    frames_read       = 0;
    auto count_frames = [&](const int16_t*, const int16_t*, uint32_t n) -> int32_t {
        if (reply_state.load(std::memory_order_relaxed) == REPLY_ABORT) return JOB_CANCELLED;
        frames_read += n;
        return JOB_DONE;
    };
    return decode_slot(bulk, slot, count_frames);
}
