#include "slot_writer.h"

#include "batch_decoder.h"
#include "extract_job.h"
#include "job_status.h"
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// A run of blocks is decoded at once and written as one piece; the reply state is still read
// before every frame.
constexpr size_t RUN_BLOCKS          = 256;
constexpr size_t RUN_FRAMES          = RUN_BLOCKS * BLOCK_SAMPLES;
constexpr size_t BATCH_RUNS          = 8;
constexpr size_t BATCH_BYTES         = BATCH_RUNS * RUN_FRAMES * 4;
constexpr size_t OUTPUT_BUFFER_BYTES = 1 << 18;
constexpr size_t READ_WINDOW_BYTES   = 1 << 18;

// One output stream at a time: the worker writes one slot after another. While it writes a
// batch of runs from one of the two frame buffers, the slot's decoding thread fills the other.
char output_buffer[OUTPUT_BUFFER_BYTES];
int16_t left_samples[RUN_FRAMES];
int16_t right_samples[RUN_FRAMES];
uint8_t frame_buffers[2][BATCH_BYTES];

// A piece of the bulk file held in memory, so that runs of blocks, and a stereo slot's left
// and right blocks, are read in large pieces with a seek only when a window runs out.
struct ReadWindow {
    int64_t start;
    size_t length;
    uint8_t data[READ_WINDOW_BYTES];
};

ReadWindow left_window;
ReadWindow right_window;

// Points blocks at up to wanted whole blocks from file offset position and returns how many
// the file holds there: fewer than wanted only where the file ends or fails.
size_t read_blocks(std::FILE* bulk, ReadWindow& window, int64_t position, size_t wanted,
                   const uint8_t*& blocks) {
    if (position < 0 || position > LONG_MAX - int64_t(READ_WINDOW_BYTES)) return 0;
    const int64_t end = window.start + int64_t(window.length);
    if (position < window.start || position + int64_t(wanted * BLOCK_BYTES) > end) {
        window.length = 0;
        if (std::fseek(bulk, long(position), SEEK_SET) != 0) return 0;
        window.start  = position;
        window.length = std::fread(window.data, 1, READ_WINDOW_BYTES, bulk);
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

int32_t close_with(std::FILE* out, int32_t status) {
    const bool closed = std::fclose(out) == 0;
    return status == JOB_DONE && !closed ? JOB_WRITE_ERROR : status;
}

// Lays out the frames of whole decoded blocks as little-endian bytes. Whole blocks, 32 frames
// at a time, give the compiler loops it can vectorise.
void lay_out_frames(size_t blocks, bool stereo, uint8_t* frame_bytes) {
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
size_t frames_before_abort(size_t n) {
    size_t k = 0;
#pragma GCC unroll 8
    for (; k < n; ++k)
        if (reply_state.load(std::memory_order_relaxed) == REPLY_ABORT) break;
    return k;
}

// Writes the first n laid-out frames of a run, reading the reply state before each: an abort
// leaves only the frames before it in the file.
int32_t write_frames(std::FILE* out, const uint8_t* frame_bytes, size_t n, bool stereo) {
    const size_t frame_size = stereo ? 4 : 2;
    const size_t allowed    = frames_before_abort(n);
    const size_t bytes      = allowed * frame_size;
    const bool written      = std::fwrite(frame_bytes, 1, bytes, out) == bytes;
    if (allowed < n) return JOB_CANCELLED;
    return written ? JOB_DONE : JOB_WRITE_ERROR;
}

// Reads and decodes the slot a run of blocks at a time and hands each run to
// take(frames, blocks): the frames due from it, and how many whole blocks it holds. Stops at
// the first code other than 0, from take or from the bulk file (1), which comes after the
// frames of every block read whole.
template <class Take> int32_t decode_slot(std::FILE* bulk, const SlotInfo& slot, Take take) {
    const bool stereo = is_stereo(slot);
    forget(left_window);
    forget(right_window);
    // A negative total (end address below start) counts as a huge length: the file runs out.
    uint64_t frames_left = uint32_t(stereo ? slot.total_samples / 2 : slot.total_samples);
    int64_t position     = slot.data_offset;
    do {
        // Even a slot of no frames has its one block read.
        const uint64_t blocks_left =
            frames_left == 0 ? 1 : (frames_left + BLOCK_SAMPLES - 1) / BLOCK_SAMPLES;
        const size_t wanted        = blocks_left < RUN_BLOCKS ? size_t(blocks_left) : RUN_BLOCKS;
        const uint8_t* left_blocks = nullptr;
        size_t blocks              = read_blocks(bulk, left_window, position, wanted, left_blocks);
        decode_blocks(left_blocks, blocks, left_samples);
        if (stereo) {
            const uint8_t* right_blocks = nullptr;
            const size_t right = read_blocks(bulk, right_window, position + slot.right_distance,
                                             blocks, right_blocks);
            decode_blocks(right_blocks, right, right_samples);
            blocks = right;
        }
        position += int64_t(blocks * BLOCK_BYTES);

        const uint64_t whole = uint64_t(blocks) * BLOCK_SAMPLES;
        const size_t n       = size_t(frames_left < whole ? frames_left : whole);
        const int32_t status = take(n, blocks);
        if (status != JOB_DONE) return status;
        if (blocks < wanted) return JOB_READ_ERROR;
        frames_left -= n;
    } while (frames_left > 0);
    return JOB_DONE;
}

// Two frame buffers pass between the slot's decoding thread and the worker. Each holds a
// batch of runs: every hand-over may wake a sleeping thread, which costs about as much as
// decoding a run, so a batch of runs per hand-over keeps that cost small.
class Handover {
  public:
    // Decoder side. Waits until a buffer is free; false once the writer has stopped.
    bool wait_for_buffer() {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return queued < 2 || stopped; });
        return !stopped;
    }
    // Passes the buffer just filled, with the frames due from it, to the writer.
    void queue(size_t frames) {
        const std::lock_guard<std::mutex> hold(lock);
        due[(written + queued) % 2] = frames;
        ++queued;
        changed.notify_all();
    }
    // No batch follows; the writer returns status once it has written the queued ones.
    void finish(int32_t status) {
        const std::lock_guard<std::mutex> hold(lock);
        finished      = true;
        decode_status = status;
        changed.notify_all();
    }

    // Writer side. Waits for the next batch: its buffer and frames, or false when none follows.
    bool next(size_t& buffer, size_t& frames) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return queued > 0 || finished; });
        buffer = written % 2;
        frames = due[buffer];
        return queued > 0;
    }
    // Frees the buffer written; stop tells the decoder to fill no more.
    void release(bool stop) {
        const std::lock_guard<std::mutex> hold(lock);
        --queued;
        ++written;
        stopped = stop;
        changed.notify_all();
    }
    int32_t status() {
        const std::lock_guard<std::mutex> hold(lock);
        return decode_status;
    }

  private:
    std::mutex lock;
    std::condition_variable changed;
    size_t due[2]         = {};
    size_t written        = 0; // batches written
    size_t queued         = 0; // batches filled and not yet written
    bool finished         = false;
    bool stopped          = false;
    int32_t decode_status = JOB_DONE;
};

// The slot's decoding thread: reads and decodes each run and lays it out in the buffer the
// writer is not using, which it hands over when full or when the slot ends.
void decode_ahead(std::FILE* bulk, const SlotInfo& slot, Handover& handover) {
    const bool stereo       = is_stereo(slot);
    const size_t frame_size = stereo ? 4 : 2;
    size_t batch            = 0; // batches handed over
    size_t runs             = 0; // laid out in the current one
    size_t frames           = 0; // due from it; every run but a slot's last is whole
    auto lay_out_run        = [&](size_t n, size_t blocks) -> int32_t {
        if (runs == 0 && !handover.wait_for_buffer()) return JOB_CANCELLED;
        lay_out_frames(blocks, stereo, frame_buffers[batch % 2] + frames * frame_size);
        frames += n;
        if (++runs == BATCH_RUNS) {
            handover.queue(frames);
            ++batch;
            runs   = 0;
            frames = 0;
        }
        return JOB_DONE;
    };
    const int32_t status = decode_slot(bulk, slot, lay_out_run);
    if (runs > 0) handover.queue(frames);
    handover.finish(status);
}

// Writes the batches in the order they were filled, then returns the decoder's code; or stops
// at the first batch that cannot be written whole and tells the decoder to stop.
int32_t write_queued(std::FILE* out, bool stereo, Handover& handover) {
    size_t buffer = 0, frames = 0;
    while (handover.next(buffer, frames)) {
        const int32_t status = write_frames(out, frame_buffers[buffer], frames, stereo);
        handover.release(status != JOB_DONE);
        if (status != JOB_DONE) return status;
    }
    return handover.status();
}

// Decodes the next batch of runs while the current one is written; the decoding thread ends
// before this returns, whatever ended the slot.
int32_t decode_and_write(std::FILE* bulk, const SlotInfo& slot, std::FILE* out) {
    const bool stereo = is_stereo(slot);
    Handover handover;
    std::thread decoder;
    try {
        decoder = std::thread(decode_ahead, bulk, std::cref(slot), std::ref(handover));
    } catch (const std::system_error&) {
        // No second thread to be had: decode and write in turn.
        return decode_slot(bulk, slot, [&](size_t frames, size_t blocks) {
            lay_out_frames(blocks, stereo, frame_buffers[0]);
            return write_frames(out, frame_buffers[0], frames, stereo);
        });
    }
    const int32_t status = write_queued(out, stereo, handover);
    decoder.join();
    return status;
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

    return close_with(out, decode_and_write(bulk, slot, out));
}

int32_t check_slot(std::FILE* bulk, const SlotInfo& slot, uint32_t& frames_read) {
    frames_read    = 0;
    auto count_run = [&](size_t frames, size_t) -> int32_t {
        if (reply_state.load(std::memory_order_relaxed) == REPLY_ABORT) return JOB_CANCELLED;
        frames_read += uint32_t(frames);
        return JOB_DONE;
    };
    return decode_slot(bulk, slot, count_run);
}
