// Block encoder: 32 samples of one channel into one block that decode_block reads back.
#pragma once
#include "block_format.h"
#include "codec_state.h"
#include <cstdint>

// Encodes 32 samples of one channel into one block; the state is scratch and need not be
// initialised. Running, when given, receives the values that decode_block will produce from the
// block: the encoder follows them as it picks each code.
void encode_block(const int16_t samples[BLOCK_SAMPLES], uint8_t block[BLOCK_BYTES],
                  CodecState& state, int16_t running[BLOCK_SAMPLES] = nullptr);
