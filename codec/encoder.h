// Block encoder: 32 samples of one channel into one block that decode_block reads back.
#pragma once
#include "block_format.h"
#include "codec_state.h"
#include <cstdint>

void analyse_samples(const int16_t samples[BLOCK_SAMPLES], CodecState& state);
void choose_table(CodecState& state);
void choose_range_exponent(CodecState& state);
void choose_min_index(CodecState& state);
void choose_start_index(CodecState& state);

// The code loop: chooses the 31 codes while following the decoder's running value, which it
// leaves in running[0..31] (what decode_block will produce for the block).
void choose_codes(const int16_t samples[BLOCK_SAMPLES], uint8_t codes[BLOCK_CODES],
                  int16_t running[BLOCK_SAMPLES], CodecState& state);

// Number of entries 0..62 of the chosen table that are <= a.
int32_t find_step_index(uint32_t a, const CodecState& state);

void encode_block(const int16_t samples[BLOCK_SAMPLES], uint8_t block[BLOCK_BYTES],
                  CodecState& state);
