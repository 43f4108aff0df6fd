// What decode_blocks needs of a block, taken out ahead of the sample loop and laid out for LANES
// blocks side by side: lane l of every array belongs to the l-th block of a group.
#pragma once
#include "block_format.h"
#include "step_tables.h"
#include <cstdint>

constexpr int32_t SAMPLE_LIMIT = 32767; // a decoded sample is never -32768
constexpr int32_t WINDOW_LIMIT = 65535;

template <int LANES> struct BlockLanes {
    int32_t first[LANES]; // first_sample
    int32_t start_index[LANES];
    int32_t min_index[LANES];
    int32_t range_high[LANES];
    int32_t range_low[LANES];
    int32_t table[LANES]; // table_select
    // Per code: 2 * magnitude + 1, all bits set when the code moves the value down, and the
    // index adjust table's entry for the magnitude. None of them depends on the running value.
    int32_t odd[BLOCK_CODES][LANES];
    int32_t down[BLOCK_CODES][LANES];
    int32_t adjust[BLOCK_CODES][LANES];
};

namespace block_lanes {

inline uint64_t be64(const uint8_t* p) {
    uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word = (word << 8) | p[i];
    return word;
}

template <int LANES> void put_code(BlockLanes<LANES>& lanes, int lane, int k, uint32_t code) {
    const uint32_t magnitude = code & CODE_MAGNITUDE;
    lanes.odd[k][lane]       = int32_t(2 * magnitude + 1);
    lanes.down[k][lane]      = (code & CODE_SIGN) ? -1 : 0;
    lanes.adjust[k][lane]    = index_adjust[magnitude];
}

} // namespace block_lanes

// Fills lane `lane` from a block. The header sits in bytes 0..4 (first_sample, then start_index,
// min_index and range_exponent, then table_select in the top two bits of byte 4). The 31 codes
// run as one 7-bit stream from bit 39 (the last bit of byte 4): every 7 bytes hold 8 codes, so
// the 64-bit words at bytes 4, 11 and 18 each hold codes 8g..8g+7 after one leading bit, and the
// word at byte 24 holds codes 24..30 after 15 leading bits.
template <int LANES>
void load_lane(const uint8_t block[BLOCK_BYTES], BlockLanes<LANES>& lanes, int lane) {
    const int32_t bits      = block[0] << 8 | block[1];
    const int32_t first     = bits >= 0x8000 ? bits - 0x10000 : bits; // two's complement
    const int32_t half      = (int32_t{2} << (block[3] & 0x0F)) - 1;
    lanes.first[lane]       = first;
    lanes.start_index[lane] = block[2] >> 2;
    lanes.min_index[lane]   = (block[2] & 0x03) << 4 | block[3] >> 4;
    lanes.range_high[lane]  = first + half > WINDOW_LIMIT ? WINDOW_LIMIT : first + half;
    lanes.range_low[lane]   = first - half < -WINDOW_LIMIT ? -WINDOW_LIMIT : first - half;
    lanes.table[lane]       = block[4] >> 6;
    for (int g = 0; g < 3; ++g) {
        const uint64_t word = block_lanes::be64(block + 4 + 7 * g);
        for (int j = 0; j < 8; ++j)
            block_lanes::put_code(lanes, lane, 8 * g + j, uint32_t(word >> (50 - 7 * j)) & 0x7F);
    }
    const uint64_t last = block_lanes::be64(block + 24);
    for (int j = 0; j < 7; ++j)
        block_lanes::put_code(lanes, lane, 24 + j, uint32_t(last >> (42 - 7 * j)) & 0x7F);
}
