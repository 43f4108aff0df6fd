// The portable path of decode_blocks: the decoder's steps with the block unpacked ahead of the
// sample loop and the range test, index change and clamps in one place, without calls.
#include "batch_decoder.h"

#include "decoder.h"
#include "step_tables.h"

namespace {

// What the sample loop needs of a block, none of it depending on the running value.
struct Unpacked {
    int32_t first;
    int32_t start_index;
    int32_t min_index;
    int32_t range_high;
    int32_t range_low;
    const int32_t* steps;
    int32_t odd[BLOCK_CODES];    // 2 * magnitude + 1
    bool down[BLOCK_CODES];      // the code moves the value down
    int32_t adjust[BLOCK_CODES]; // the index adjust table's entry for the magnitude
};

uint64_t be64(const uint8_t* p) {
    uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word = (word << 8) | p[i];
    return word;
}

void put_code(Unpacked& block, int k, uint32_t code) {
    const uint32_t magnitude = code & CODE_MAGNITUDE;
    block.odd[k]             = int32_t(2 * magnitude + 1);
    block.down[k]            = (code & CODE_SIGN) != 0;
    block.adjust[k]          = index_adjust[magnitude];
}

// The header sits in bytes 0..4 (first_sample, then start_index, min_index and range_exponent,
// then table_select in the top two bits of byte 4; see block_format.cpp). The 31 codes run as
// one 7-bit stream from bit 39, the last bit of byte 4: every 7 bytes hold 8 codes, so the
// 64-bit words at bytes 4, 11 and 18 each hold codes 8g..8g+7 after one leading bit, and the
// word at byte 24 holds codes 24..30 after 15 leading bits.
void unpack(const uint8_t block[BLOCK_BYTES], Unpacked& out) {
    const int32_t bits  = block[0] << 8 | block[1];
    const int32_t first = bits >= 0x8000 ? bits - 0x10000 : bits; // two's complement
    const int32_t half  = (int32_t{2} << (block[3] & 0x0F)) - 1;
    out.first           = first;
    out.start_index     = block[2] >> 2;
    out.min_index       = (block[2] & 0x03) << 4 | block[3] >> 4;
    out.range_high      = first + half > WINDOW_LIMIT ? WINDOW_LIMIT : first + half;
    out.range_low       = first - half < -WINDOW_LIMIT ? -WINDOW_LIMIT : first - half;
    out.steps           = step_tables[block[4] >> 6];
    for (int g = 0; g < 3; ++g) {
        const uint64_t word = be64(block + 4 + 7 * g);
        for (int j = 0; j < 8; ++j)
            put_code(out, 8 * g + j, uint32_t(word >> (50 - 7 * j)) & 0x7F);
    }
    const uint64_t last = be64(block + 24);
    for (int j = 0; j < 7; ++j)
        put_code(out, 24 + j, uint32_t(last >> (42 - 7 * j)) & 0x7F);
}

void decode_one(const Unpacked& block, int16_t out[BLOCK_SAMPLES]) {
    int32_t value = block.first;
    int32_t index = block.start_index;
    out[0]        = int16_t(value);
    for (int k = 0; k < BLOCK_CODES; ++k) {
        const bool down          = block.down[k];
        int32_t step             = block.steps[index];
        const int32_t high_limit = block.range_high - 2 * step;
        const int32_t low_limit  = block.range_low + 2 * step;
        const bool below_high    = value < high_limit;
        const bool above_low     = value > low_limit;
        // Pushed back to a limit and moving further towards it: the step shrinks instead.
        bool use_adjust = true;
        if (!above_low && below_high) {
            value      = low_limit;
            use_adjust = !down;
        } else if (!below_high && above_low) {
            value      = high_limit;
            use_adjust = down;
        } else if (!below_high) {
            value      = (block.first + value) / 2;
            use_adjust = false;
            if (index > 0) step = block.steps[--index];
        }
        const int32_t amount = (block.odd[k] * step) >> 6;
        value                = down ? value - amount : value + amount;
        value                = value > SAMPLE_LIMIT ? SAMPLE_LIMIT : value;
        value                = value < -SAMPLE_LIMIT ? -SAMPLE_LIMIT : value;
        index += use_adjust ? block.adjust[k] : -1;
        index      = index < block.min_index ? block.min_index : index;
        index      = index > MAX_STEP_INDEX ? MAX_STEP_INDEX : index;
        out[k + 1] = int16_t(value);
    }
}

} // namespace

void decode_blocks_portable(const uint8_t* blocks, size_t count, int16_t* out) {
    Unpacked block;
    for (size_t b = 0; b < count; ++b) {
        unpack(blocks + b * BLOCK_BYTES, block);
        decode_one(block, out + b * BLOCK_SAMPLES);
    }
}

void decode_blocks(const uint8_t* blocks, size_t count, int16_t* out) {
    if (!decode_blocks_vector(blocks, count, out)) decode_blocks_portable(blocks, count, out);
}
