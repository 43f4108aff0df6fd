// Decoding many blocks at once. Blocks are independent, so several can run side by side in
// vector lanes; the samples are exactly those of decode_block.
#pragma once
#include "block_format.h"
#include <cstddef>
#include <cstdint>

// Decodes count consecutive 32-byte blocks into count * 32 samples: in vector lanes as far as
// the processor has them, the rest with decode_block.
void decode_blocks(const uint8_t* blocks, size_t count, int16_t* out);

// The vector part of decode_blocks, for the tests and benchmarks: decodes the leading blocks
// that fill whole groups of lanes and returns how many, 0 when this build or this processor
// has no vector lanes for them.
size_t decode_blocks_vector(const uint8_t* blocks, size_t count, int16_t* out);
