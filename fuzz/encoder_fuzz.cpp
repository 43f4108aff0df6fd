// Any 32 samples encode into a block whose header fields each fit their width, and which
// decode_block turns into exactly the running values the encoder followed.
#include "block_format.h"
#include "codec_state.h"
#include "decoder.h"
#include "encoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < size_t(2 * BLOCK_SAMPLES)) return 0;
    int16_t samples[BLOCK_SAMPLES];
    for (int i = 0; i < BLOCK_SAMPLES; ++i)
        samples[i] = int16_t(uint16_t(data[2 * i] | data[2 * i + 1] << 8));

    uint8_t block[BLOCK_BYTES];
    int16_t running[BLOCK_SAMPLES];
    CodecState state{};
    encode_block(samples, block, state, running);
    // pack_block takes the fields as they are: one too wide would spill into its neighbour.
    const BlockHeader& header = state.header;
    if (header.start_index > 63 || header.min_index > 63 || header.range_exponent > 15 ||
        header.table_select > 3)
        std::abort();

    int16_t decoded[BLOCK_SAMPLES];
    decode_block(block, decoded, state);
    if (std::memcmp(decoded, running, sizeof decoded) != 0) std::abort();
    return 0;
}
