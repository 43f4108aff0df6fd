// Block decoder and the per-sample operations the encoder shares with it.
#pragma once
#include "block_format.h"
#include "codec_state.h"
#include <cstdint>

constexpr int32_t SAMPLE_LIMIT = 32767; // -32768 only ever appears as a stored first sample
constexpr int32_t WINDOW_LIMIT = 65535; // the value window never reaches beyond +-this

enum class RangeOutcome { Inside = 0, AtLow = 1, AtHigh = 2, Collapsed = 3 };

// Fills the window, table and bounds from the header fields.
void prepare_block(CodecState& state);

// Pulls a value that left the window back to its edge; may lower the step index.
RangeOutcome range_test(int32_t& value, CodecState& state);

int32_t dequantise(int32_t magnitude, int32_t step);

// Moves the value by amount (down when sign is set), clamped to -32767..32767.
int32_t add_clamped(int32_t value, int32_t amount, int32_t sign);

void adapt_index(RangeOutcome outcome, int32_t sign, int32_t magnitude, CodecState& state);

// Expands one 32-byte block into 32 samples; the state need not be initialised.
void decode_block(const uint8_t block[BLOCK_BYTES], int16_t out[BLOCK_SAMPLES], CodecState& state);
