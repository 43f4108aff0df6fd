// The codec's per-channel working record, used as scratch by decode_block and encode_block.
#pragma once
#include "block_format.h"
#include <cstdint>

struct CodecState {
    BlockHeader header;
    int32_t range_high;   // upper limit of the value window
    int32_t range_low;    // lower limit of the value window
    const int32_t* table; // the step table chosen by table_select
    int32_t step_index;
    int32_t upper_bound; // always 63
    int32_t lower_bound; // min_index

    // Statistics of the 32 input samples, used by the encoder only.
    uint32_t max_delta;
    uint32_t mean_delta;
    uint32_t max_deviation;
    uint32_t first_delta;
};
