// Any 32 samples encode into a block that decodes to exactly the encoder's running values.
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

    // encode_block's own steps, to see the running values it follows.
    CodecState state{};
    analyse_samples(samples, state);
    choose_table(state);
    choose_range_exponent(state);
    choose_min_index(state);
    choose_start_index(state);
    prepare_block(state);
    uint8_t codes[BLOCK_CODES];
    int16_t running[BLOCK_SAMPLES];
    choose_codes(samples, codes, running, state);
    uint8_t expected_block[BLOCK_BYTES];
    pack_block(state.header, codes, expected_block);

    uint8_t block[BLOCK_BYTES];
    CodecState scratch{};
    encode_block(samples, block, scratch);
    if (std::memcmp(block, expected_block, BLOCK_BYTES) != 0) std::abort();

    int16_t decoded[BLOCK_SAMPLES];
    decode_block(block, decoded, scratch);
    if (std::memcmp(decoded, running, sizeof decoded) != 0) std::abort();
    return 0;
}
