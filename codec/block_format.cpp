// Packing and unpacking of the 32-byte block.
//
// A block is one 256-bit string read most significant bit first: bit 0 is the 0x80 bit of byte
// 0, bit 7 its 0x01 bit, bit 8 the 0x80 bit of byte 1, ..., bit 255 the 0x01 bit of byte 31. A
// field's most significant bit comes first. The fields, by first bit and width:
//   0 (16) first_sample, 16 (6) start_index, 22 (6) min_index, 28 (4) range_exponent,
//   32 (2) table_select, 34 (5) reserved, zero when written; then 31 codes of 7 bits from bit 39,
//   one after the other with nothing between them.
#include "block_format.h"

namespace {

constexpr int FIRST_SAMPLE_BIT   = 0;
constexpr int START_INDEX_BIT    = 16;
constexpr int MIN_INDEX_BIT      = 22;
constexpr int RANGE_EXPONENT_BIT = 28;
constexpr int TABLE_SELECT_BIT   = 32;
constexpr int FIRST_CODE_BIT     = 39;
constexpr int CODE_BITS          = 7;

constexpr int bit_of_code(int k) {
    return FIRST_CODE_BIT + CODE_BITS * k;
}

// Reads the width-bit field (width <= 16) whose most significant bit is first_bit. The block
// comes padded with two zero bytes, so the three bytes from the field's first one always exist
// and always hold it: no loop, no test of where the field ends.
uint32_t read_field(const uint8_t padded[BLOCK_BYTES + 2], int first_bit, int width) {
    const uint8_t* bytes  = padded + (first_bit >> 3);
    const uint32_t window = uint32_t(bytes[0]) << 16 | uint32_t(bytes[1]) << 8 | bytes[2];
    return (window >> (24 - (first_bit & 7) - width)) & ((1u << width) - 1);
}

// ORs value into the width-bit field at first_bit; the block must be zero there beforehand.
void write_field(uint8_t block[BLOCK_BYTES], int first_bit, int width, uint32_t value) {
    const int last_bit = first_bit + width - 1;
    uint32_t window    = value << (7 - (last_bit & 7));
    for (int byte = last_bit >> 3; byte >= first_bit >> 3; --byte) {
        block[byte] = static_cast<uint8_t>(block[byte] | (window & 0xFF));
        window >>= 8;
    }
}

// The 16 bits of first_sample as two's complement, without relying on a narrowing conversion.
int16_t to_signed16(uint32_t bits) {
    return static_cast<int16_t>(bits >= 0x8000 ? static_cast<int32_t>(bits) - 0x10000
                                               : static_cast<int32_t>(bits));
}

} // namespace

void unpack_block(const uint8_t block[BLOCK_BYTES], BlockHeader& header,
                  uint8_t codes[BLOCK_CODES]) {
    uint8_t padded[BLOCK_BYTES + 2] = {};
    for (int i = 0; i < BLOCK_BYTES; ++i)
        padded[i] = block[i];
    header.first_sample   = to_signed16(read_field(padded, FIRST_SAMPLE_BIT, 16));
    header.start_index    = static_cast<uint8_t>(read_field(padded, START_INDEX_BIT, 6));
    header.min_index      = static_cast<uint8_t>(read_field(padded, MIN_INDEX_BIT, 6));
    header.range_exponent = static_cast<uint8_t>(read_field(padded, RANGE_EXPONENT_BIT, 4));
    header.table_select   = static_cast<uint8_t>(read_field(padded, TABLE_SELECT_BIT, 2));
    // Unrolled, every code's byte and shift are constants.
#pragma GCC unroll 31
    for (int k = 0; k < BLOCK_CODES; ++k)
        codes[k] = static_cast<uint8_t>(read_field(padded, bit_of_code(k), CODE_BITS));
}

void pack_block(const BlockHeader& header, const uint8_t codes[BLOCK_CODES],
                uint8_t block[BLOCK_BYTES]) {
    for (int i = 0; i < BLOCK_BYTES; ++i)
        block[i] = 0;
    write_field(block, FIRST_SAMPLE_BIT, 16, static_cast<uint16_t>(header.first_sample));
    write_field(block, START_INDEX_BIT, 6, header.start_index);
    write_field(block, MIN_INDEX_BIT, 6, header.min_index);
    write_field(block, RANGE_EXPONENT_BIT, 4, header.range_exponent);
    write_field(block, TABLE_SELECT_BIT, 2, header.table_select);
    for (int k = 0; k < BLOCK_CODES; ++k)
        write_field(block, bit_of_code(k), CODE_BITS, codes[k]);
}
