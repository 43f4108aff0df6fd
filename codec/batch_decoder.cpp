// The portable path of decode_blocks: the decoder's steps with the block unpacked ahead of the
// sample loop and the range test, index change and clamps in one place, without calls.
#include "batch_decoder.h"

#include "block_lanes.h"

namespace {

void decode_one(const BlockLanes<1>& block, int16_t out[BLOCK_SAMPLES]) {
    const int32_t* steps = step_tables[block.table[0]];
    const int32_t first  = block.first[0];
    int32_t value        = first;
    int32_t index        = block.start_index[0];
    out[0]               = int16_t(value);
    for (int k = 0; k < BLOCK_CODES; ++k) {
        const bool down          = block.down[k][0] != 0;
        int32_t step             = steps[index];
        const int32_t high_limit = block.range_high[0] - 2 * step;
        const int32_t low_limit  = block.range_low[0] + 2 * step;
        const bool below_high    = value < high_limit;
        const bool above_low     = value > low_limit;
        // Pushed back to a limit and moving further towards it: the step shrinks instead.
        bool use_adjust = true;
        if (!above_low && below_high) {
            value      = low_limit;
            use_adjust = !down;
        } else if (!below_high && above_low) {
            value      = high_limit;
            use_adjust = down;
        } else if (!below_high) {
            value      = (first + value) / 2;
            use_adjust = false;
            if (index > 0) step = steps[--index];
        }
        const int32_t amount = (block.odd[k][0] * step) >> 6;
        value                = down ? value - amount : value + amount;
        value                = value > SAMPLE_LIMIT ? SAMPLE_LIMIT : value;
        value                = value < -SAMPLE_LIMIT ? -SAMPLE_LIMIT : value;
        index += use_adjust ? block.adjust[k][0] : -1;
        index      = index < block.min_index[0] ? block.min_index[0] : index;
        index      = index > MAX_STEP_INDEX ? MAX_STEP_INDEX : index;
        out[k + 1] = int16_t(value);
    }
}

} // namespace

void decode_blocks_portable(const uint8_t* blocks, size_t count, int16_t* out) {
    BlockLanes<1> block;
    for (size_t b = 0; b < count; ++b) {
        load_lane(blocks + b * BLOCK_BYTES, block, 0);
        decode_one(block, out + b * BLOCK_SAMPLES);
    }
}

void decode_blocks(const uint8_t* blocks, size_t count, int16_t* out) {
    if (!decode_blocks_vector(blocks, count, out)) decode_blocks_portable(blocks, count, out);
}
