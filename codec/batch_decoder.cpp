#include "batch_decoder.h"

#include "decoder.h"

void decode_blocks(const uint8_t* blocks, size_t count, int16_t* out) {
    CodecState state;
    for (size_t b = decode_blocks_vector(blocks, count, out); b < count; ++b)
        decode_block(blocks + b * BLOCK_BYTES, out + b * BLOCK_SAMPLES, state);
}
