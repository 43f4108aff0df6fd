// One used slot of a bulk file's directory.
#pragma once
#include <cstdint>

constexpr int MONO_SLOTS           = 100;
constexpr int STEREO_SLOTS         = 50;
constexpr int MAX_SLOTS            = MONO_SLOTS + STEREO_SLOTS;
constexpr uint32_t FIRST_STEREO_ID = 100; // ids of 100 and more are stereo slots

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
