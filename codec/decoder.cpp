// Block decoder: an adaptive differential decoder whose running value is held inside a window
// around the block's first sample.
#include "decoder.h"

void prepare_block(CodecState& state) {
    const int32_t first = state.header.first_sample;
    const int32_t half  = (int32_t{2} << state.header.range_exponent) - 1;
    state.range_high    = first + half > WINDOW_LIMIT ? WINDOW_LIMIT : first + half;
    state.range_low     = first - half < -WINDOW_LIMIT ? -WINDOW_LIMIT : first - half;
    state.table         = step_tables[state.header.table_select];
    state.upper_bound   = MAX_STEP_INDEX;
    state.lower_bound   = state.header.min_index;
}

void decode_block(const uint8_t block[BLOCK_BYTES], int16_t out[BLOCK_SAMPLES], CodecState& state) {
    uint8_t codes[BLOCK_CODES];
    unpack_block(block, state.header, codes);
    prepare_block(state);

    int32_t value    = state.header.first_sample;
    out[0]           = state.header.first_sample;
    state.step_index = state.header.start_index;
    for (int i = 1; i < BLOCK_SAMPLES; ++i) {
        const RangeOutcome outcome = range_test(value, state);
        const int32_t sign         = codes[i - 1] & CODE_SIGN;
        const int32_t magnitude    = codes[i - 1] & CODE_MAGNITUDE;
        value = add_clamped(value, dequantise(magnitude, state.table[state.step_index]), sign);
        adapt_index(outcome, sign, magnitude, state);
        out[i] = static_cast<int16_t>(value);
    }
}
