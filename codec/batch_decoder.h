// Decoding many blocks at once. Blocks are independent, so several can run side by side in
// vector lanes; the samples are exactly those of decode_block.
#pragma once
#include "block_format.h"
#include <cstddef>
#include <cstdint>

// Decodes count consecutive 32-byte blocks into count * 32 samples, in vector lanes when the
// processor has them, else one block after another.
void decode_blocks(const uint8_t* blocks, size_t count, int16_t* out);

// The two ways decode_blocks can go, for the tests and benchmarks to compare.
void decode_blocks_portable(const uint8_t* blocks, size_t count, int16_t* out);
// False, with nothing decoded, when this build or this processor has no vector lanes for it.
bool decode_blocks_vector(const uint8_t* blocks, size_t count, int16_t* out);
