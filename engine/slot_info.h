// One slot of a bank: its directory record, the SlotInfo the directory scan makes of it, and
// what follows from that for every reader and writer of banks (frames, blocks, file name).
#pragma once
#include "block_format.h"
#include <cstdint>

constexpr int MONO_SLOTS           = 100;
constexpr int STEREO_SLOTS         = 50;
constexpr int MAX_SLOTS            = MONO_SLOTS + STEREO_SLOTS;
constexpr uint32_t FIRST_STEREO_ID = 100;   // ids of 100 and more are stereo slots
constexpr int32_t SAMPLE_RATE      = 32000; // the sampler plays every slot at this rate

// A directory record. Its addresses are 24-bit big-endian numbers; a stereo record takes its
// sample start from byte 22, where a mono record has it at byte 0.
constexpr int MONO_RECORD_BYTES   = 26;
constexpr int STEREO_RECORD_BYTES = 28;
constexpr uint8_t EMPTY_SLOT      = 0xFF; // the status of an unused slot
// clang-format off
constexpr int MONO_START_AT       = 0;  // mono: sample start address
constexpr int SAMPLE_END_AT       = 3;  // sample end address, inclusive
constexpr int DATA_START_AT       = 6;  // address of the first (left) block
constexpr int SLOT_STATUS_AT      = 21; // status byte
constexpr int STEREO_START_AT     = 22; // stereo: sample start address
constexpr int RIGHT_DATA_START_AT = 25; // stereo: address of the first right block
// clang-format on

struct SlotInfo {
    uint32_t id;            // mono slot n: n; stereo slot n: n + 100
    int32_t status;         // the directory record's status byte, never 0xFF here
    int32_t data_offset;    // file offset of the first (left) block
    int32_t right_distance; // stereo: bytes from each left block to its right block
    int32_t total_samples;  // 16-bit output samples over all channels
};

inline bool is_stereo(const SlotInfo& slot) {
    return slot.id >= FIRST_STEREO_ID;
}

// Frames (samples of one channel) of the slot. A negative total, an end address below the
// start, is a huge unsigned count: the slot's data then runs until the file ends.
inline uint32_t slot_frames(const SlotInfo& slot) {
    return uint32_t(is_stereo(slot) ? slot.total_samples / 2 : slot.total_samples);
}

// Blocks that hold a channel of the given frames. Even a channel of no frames has its one
// block: the writer reads and decodes it, the builder stores it.
constexpr uint64_t channel_blocks(uint64_t frames) {
    return frames == 0 ? 1 : (frames + BLOCK_SAMPLES - 1) / BLOCK_SAMPLES;
}

// Where a slot's blocks lie in the bank file, as its record gives them.
struct SlotExtent {
    int64_t left;   // file offset of the first (left, or only) block
    int64_t right;  // of the first right block; a mono slot's is its left
    int64_t length; // bytes that each channel's blocks take
};

inline SlotExtent slot_extent(const SlotInfo& slot) {
    const int64_t left = slot.data_offset;
    return {left, is_stereo(slot) ? left + slot.right_distance : left,
            int64_t(channel_blocks(slot_frames(slot))) * BLOCK_BYTES};
}

constexpr int OUTPUT_NAME_BYTES = 8; // "00s.wav" and its terminator

// The slot's output file name without a folder: "%02d.wav" for mono slot n, "%02ds.wav" for
// stereo slot n.
void format_output_name(const SlotInfo& slot, char name[OUTPUT_NAME_BYTES]);
