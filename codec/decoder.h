// Block decoder and the per-sample operations the encoder shares with it. The operations are
// defined here so that the decoder's and the encoder's sample loops compile to one piece of
// code without calls: they are the decoder's inner loop.
#pragma once
#include "block_format.h"
#include "codec_state.h"
#include "step_tables.h"
#include <cstdint>

constexpr int32_t SAMPLE_LIMIT = 32767; // -32768 only ever appears as a stored first sample
constexpr int32_t WINDOW_LIMIT = 65535; // the value window never reaches beyond +-this

enum class RangeOutcome { Inside = 0, AtLow = 1, AtHigh = 2, Collapsed = 3 };

// Fills the window, table and bounds from the header fields.
void prepare_block(CodecState& state);

// Pulls a value that left the window back to its edge; may lower the step index. The limits
// sit two steps inside the window; once the window is four steps wide or less they cross, and
// the value falls back to the midpoint with a finer step.
inline RangeOutcome range_test(int32_t& value, CodecState& state) {
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
inline int32_t dequantise(int32_t magnitude, int32_t step) {
    return ((2 * magnitude + 1) * step) >> 6;
}

// Moves the value by amount (down when sign is set), clamped to -32767..32767. The amount is
// negated by arithmetic rather than a branch: the sign of a code is as good as random.
inline int32_t add_clamped(int32_t value, int32_t amount, int32_t sign) {
    const int32_t negate = -int32_t(sign != 0);
    value += (amount ^ negate) - negate;
    if (value >= SAMPLE_LIMIT) return SAMPLE_LIMIT;
    if (value <= -SAMPLE_LIMIT) return -SAMPLE_LIMIT;
    return value;
}

// A code that pushes further towards the window limit it was just pulled back to shrinks the
// step whatever its magnitude: down at the low limit, up at the high one, and a collapsed
// window (both bits of its outcome) either way.
inline void adapt_index(RangeOutcome outcome, int32_t sign, int32_t magnitude, CodecState& state) {
    const int32_t further = int32_t(sign ? RangeOutcome::AtLow : RangeOutcome::AtHigh);
    state.step_index += int32_t(outcome) & further ? -1 : index_adjust[magnitude];
    if (state.step_index < state.lower_bound) state.step_index = state.lower_bound;
    if (state.step_index > state.upper_bound) state.step_index = state.upper_bound;
}

// Expands one 32-byte block into 32 samples; the state need not be initialised.
void decode_block(const uint8_t block[BLOCK_BYTES], int16_t out[BLOCK_SAMPLES], CodecState& state);
