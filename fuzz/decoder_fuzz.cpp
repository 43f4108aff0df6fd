// Any block decodes to samples in range, and to the same samples whatever the state held.
#include "block_format.h"
#include "codec_state.h"
#include "decoder.h"
#include "step_tables.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check_range(const uint8_t* block, const int16_t out[BLOCK_SAMPLES]) {
    const int16_t first = int16_t(uint16_t(block[0] << 8 | block[1]));
    if (out[0] != first) std::abort();
    // Only sample 0, copied from the block, may be -32768.
    for (int i = 1; i < BLOCK_SAMPLES; ++i)
        if (out[i] < -32767) std::abort();
}

} // namespace

// The first 32 bytes are the block; the bytes after them fill the prior state, or are a
// block decoded into the same state before it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < size_t(BLOCK_BYTES)) return 0;
    CodecState fresh{};
    int16_t expected[BLOCK_SAMPLES];
    decode_block(data, expected, fresh);
    check_range(data, expected);

    const uint8_t* rest = data + BLOCK_BYTES;
    const size_t left   = size - BLOCK_BYTES;
    CodecState used{};
    int16_t out[BLOCK_SAMPLES];
    if (left >= size_t(BLOCK_BYTES)) {
        decode_block(rest, out, used);
    } else {
        // Raw bytes over the state; the table pointer is kept valid, so a decoder that read a
        // stale field would give other samples rather than crash.
        std::memcpy(&used, rest, left < sizeof used ? left : sizeof used);
        used.table = step_tables[left > 0 ? rest[0] % STEP_TABLES : 0];
    }
    decode_block(data, out, used);
    if (std::memcmp(out, expected, sizeof out) != 0) std::abort();
    return 0;
}
