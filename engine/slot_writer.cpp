#include "slot_writer.h"

#include "batch_decoder.h"
#include "output_file.h"
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

// A run of blocks is decoded at once and written as one piece; the reply state is still read
// before every frame.
constexpr size_t RUN_BLOCKS        = 256;
constexpr size_t RUN_FRAMES        = RUN_BLOCKS * BLOCK_SAMPLES;
constexpr size_t READ_WINDOW_BYTES = 1 << 18;

// One output file at a time: the worker writes one slot after another.
OutputFile output;
int16_t left_samples[RUN_FRAMES];
int16_t right_samples[RUN_FRAMES];
uint8_t frame_bytes[RUN_FRAMES * 4];

// A piece of the bulk file held in memory, so that runs of blocks, and a stereo slot's left
// and right blocks, are read in large pieces with a seek only when a window runs out.
struct ReadWindow {
    int64_t start;
    size_t length;
    uint8_t data[READ_WINDOW_BYTES];
};

ReadWindow left_window;
ReadWindow right_window;

int error_number; // why the current slot failed; 0 where the system gave no reason

// Points blocks at up to wanted whole blocks from file offset position and returns how many
// the file holds there: fewer than wanted only where the file ends or fails. A window that runs
// out is refilled with no more than the ahead blocks the slot still needs from there, so the
// last piece of a slot does not drag in a whole window of the next one.
size_t read_blocks(std::FILE* bulk, ReadWindow& window, int64_t position, size_t wanted,
                   uint64_t ahead, const uint8_t*& blocks) {
    if (position < 0 || position > LONG_MAX - int64_t(READ_WINDOW_BYTES)) return 0;
    const int64_t end = window.start + int64_t(window.length);
    if (position < window.start || position + int64_t(wanted * BLOCK_BYTES) > end) {
        window.length = 0;
        if (std::fseek(bulk, long(position), SEEK_SET) != 0) {
            error_number = errno;
            return 0;
        }
        const uint64_t needed = ahead * BLOCK_BYTES;
        const size_t length   = needed < READ_WINDOW_BYTES ? size_t(needed) : READ_WINDOW_BYTES;
        window.start          = position;
        window.length         = std::fread(window.data, 1, length, bulk);
        if (window.length < length && std::ferror(bulk)) error_number = errno;
    }
    blocks                 = window.data + (position - window.start);
    const size_t available = size_t(window.start + int64_t(window.length) - position) / BLOCK_BYTES;
    return available < wanted ? available : wanted;
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

// Lays out the frames of whole decoded blocks as little-endian bytes. Whole blocks, 32 frames
// at a time, give the compiler loops it can vectorise.
void lay_out_frames(size_t blocks, bool stereo) {
    for (size_t b = 0; b < blocks; ++b) {
        const int16_t* left  = left_samples + b * BLOCK_SAMPLES;
        const int16_t* right = right_samples + b * BLOCK_SAMPLES;
        if (stereo) {
            uint8_t* frames = frame_bytes + b * BLOCK_SAMPLES * 4;
            for (int i = 0; i < BLOCK_SAMPLES; ++i) {
                put_le16(frames + 4 * i, uint16_t(left[i]));
                put_le16(frames + 4 * i + 2, uint16_t(right[i]));
            }
        } else {
            uint8_t* frames = frame_bytes + b * BLOCK_SAMPLES * 2;
            for (int i = 0; i < BLOCK_SAMPLES; ++i)
                put_le16(frames + 2 * i, uint16_t(left[i]));
        }
    }
}

// How many of n frames may be written: the reply state is read before each frame, and the
// first read that finds the abort value stops there. Unrolled, the reads cost next to nothing.
size_t frames_before_abort(size_t n, const std::atomic<int32_t>& reply) {
    size_t k = 0;
#pragma GCC unroll 8
    for (; k < n; ++k)
        if (reply.load(std::memory_order_relaxed) == REPLY_ABORT) break;
    return k;
}

// Writes the first n frames of the decoded run, reading the reply state before each: an abort
// leaves only the frames before it in the file.
JobStatus write_frames(size_t n, size_t blocks, bool stereo, const std::atomic<int32_t>& reply) {
    lay_out_frames(blocks, stereo);
    const size_t frame_size = stereo ? 4 : 2;
    const size_t allowed    = frames_before_abort(n, reply);
    const size_t bytes      = allowed * frame_size;
    const bool written      = output_write(output, frame_bytes, bytes);
    if (allowed < n) return JOB_CANCELLED;
    return written ? JOB_DONE : JOB_WRITE_ERROR;
}

// Reads and decodes the slot a run of blocks at a time and hands each run to
// take(frames, blocks): the frames due from it, and how many whole blocks it holds. Stops at
// the first code other than 0, from take or from the bulk file (1), which comes after the
// frames of every block read whole.
template <class Take> JobStatus decode_slot(std::FILE* bulk, const SlotInfo& slot, Take take) {
    const bool stereo = is_stereo(slot);
    error_number      = 0;
    forget(left_window);
    forget(right_window);
    uint64_t frames_left = slot_frames(slot);
    int64_t position     = slot.data_offset;
    do {
        const uint64_t blocks_left = channel_blocks(frames_left);
        const size_t wanted        = blocks_left < RUN_BLOCKS ? size_t(blocks_left) : RUN_BLOCKS;
        const uint8_t* left_blocks = nullptr;
        size_t blocks = read_blocks(bulk, left_window, position, wanted, blocks_left, left_blocks);
        decode_blocks(left_blocks, blocks, left_samples);
        if (stereo) {
            const uint8_t* right_blocks = nullptr;
            const size_t right = read_blocks(bulk, right_window, position + slot.right_distance,
                                             blocks, blocks_left, right_blocks);
            decode_blocks(right_blocks, right, right_samples);
            blocks = right;
        }
        position += int64_t(blocks * BLOCK_BYTES);

        const uint64_t whole   = uint64_t(blocks) * BLOCK_SAMPLES;
        const size_t n         = size_t(frames_left < whole ? frames_left : whole);
        const JobStatus status = take(n, blocks);
        if (status != JOB_DONE) return status;
        if (blocks < wanted) return JOB_READ_ERROR;
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

namespace {

// The header and the frames into the open output, which takes its name when the slot is
// whole and is discarded otherwise.
JobStatus write_into_output(std::FILE* bulk, const SlotInfo& slot,
                            const std::atomic<int32_t>& reply) {
    const bool stereo  = is_stereo(slot);
    const int channels = stereo ? 2 : 1;
    uint8_t header[WAV_HEADER_BYTES];
    make_wav_header(slot.total_samples, channels, header);
    auto write_run = [&](size_t frames, size_t blocks) {
        return write_frames(frames, blocks, stereo, reply);
    };
    const JobStatus status = output_write(output, header, sizeof header)
                                 ? decode_slot(bulk, slot, write_run)
                                 : JOB_WRITE_ERROR;
    // A slot counts as written only when the system has taken every byte and the name.
    if (status == JOB_DONE) return output_commit(output) ? JOB_DONE : JOB_WRITE_ERROR;
    output_discard(output);
    return status;
}

} // namespace

JobStatus write_slot(std::FILE* bulk, const SlotInfo& slot, const char* out_path,
                     const std::atomic<int32_t>& reply) {
    const JobStatus status =
        output_create(output, out_path) ? write_into_output(bulk, slot, reply) : JOB_WRITE_ERROR;
    if (status == JOB_WRITE_ERROR) error_number = output.error; // the output keeps the first
    return status;
}

JobStatus write_slot_to_standard_output(std::FILE* bulk, const SlotInfo& slot,
                                        const std::atomic<int32_t>& reply) {
    output_attach_standard_output(output);
    const JobStatus status = write_into_output(bulk, slot, reply);
    if (status == JOB_WRITE_ERROR) error_number = output.error;
    return status;
}

JobStatus check_slot(std::FILE* bulk, const SlotInfo& slot, const std::atomic<int32_t>& reply,
                     uint32_t& frames_read) {
    frames_read    = 0;
    auto count_run = [&](size_t frames, size_t) {
        if (reply.load(std::memory_order_relaxed) == REPLY_ABORT) return JOB_CANCELLED;
        frames_read += uint32_t(frames);
        return JOB_DONE;
    };
    return decode_slot(bulk, slot, count_run);
}

int slot_error_number() {
    return error_number;
}
