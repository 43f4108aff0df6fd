// Block decoder: an adaptive differential decoder whose running value is held inside a window
// around the block's first sample.
#include "decoder.h"
#include "step_tables.h"

namespace {

// A code that pushes further towards the window limit it was just pulled back to shrinks the
// step whatever its magnitude.
int32_t index_change(RangeOutcome outcome, int32_t sign, int32_t magnitude) {
    switch (outcome) {
    case RangeOutcome::Inside: return index_adjust[magnitude];
    case RangeOutcome::AtLow: return sign ? -1 : index_adjust[magnitude];
    case RangeOutcome::AtHigh: return sign ? index_adjust[magnitude] : -1;
    case RangeOutcome::Collapsed: break;
    }
    return -1;
}

} // namespace

void prepare_block(CodecState& state) {
    const int32_t first = state.header.first_sample;
    const int32_t half  = (int32_t{2} << state.header.range_exponent) - 1;
    state.range_high    = first + half > WINDOW_LIMIT ? WINDOW_LIMIT : first + half;
    state.range_low     = first - half < -WINDOW_LIMIT ? -WINDOW_LIMIT : first - half;
    state.table         = step_tables[state.header.table_select];
    state.upper_bound   = MAX_STEP_INDEX;
    state.lower_bound   = state.header.min_index;
}

// The limits sit two steps inside the window; once the window is four steps wide or less they
// cross, and the value falls back to the midpoint with a finer step.
RangeOutcome range_test(int32_t& value, CodecState& state) {
    const int32_t step       = state.table[state.step_index];
    const int32_t high_limit = state.range_high - 2 * step;
    const int32_t low_limit  = state.range_low + 2 * step;
    const bool below_high    = value < high_limit;
    const bool above_low     = value > low_limit;
    if (below_high && above_low) return RangeOutcome::Inside;
    if (below_high) {
        value = low_limit;
        return RangeOutcome::AtLow;
    }
    if (above_low) {
        value = high_limit;
        return RangeOutcome::AtHigh;
    }
    value = (state.header.first_sample + value) / 2;
    if (state.step_index > 0) --state.step_index;
    return RangeOutcome::Collapsed;
}

// (magnitude + 1/2) thirty-seconds of the step.
int32_t dequantise(int32_t magnitude, int32_t step) {
    return ((2 * magnitude + 1) * step) >> 6;
}

int32_t add_clamped(int32_t value, int32_t amount, int32_t sign) {
    value = sign ? value - amount : value + amount;
    if (value >= SAMPLE_LIMIT) return SAMPLE_LIMIT;
    if (value <= -SAMPLE_LIMIT) return -SAMPLE_LIMIT;
    return value;
}

void adapt_index(RangeOutcome outcome, int32_t sign, int32_t magnitude, CodecState& state) {
    state.step_index += index_change(outcome, sign, magnitude);
    if (state.step_index < state.lower_bound) state.step_index = state.lower_bound;
    if (state.step_index > state.upper_bound) state.step_index = state.upper_bound;
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
