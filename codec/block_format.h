// One compressed block: 32 bytes holding 32 samples of one channel.
#pragma once
#include <cstdint>

constexpr int BLOCK_BYTES   = 32;
constexpr int BLOCK_SAMPLES = 32;
constexpr int BLOCK_CODES   = 31;

// A code is 7 bits: a sign (set = the value moves down) over a magnitude 0..63.
constexpr uint8_t CODE_SIGN      = 0x40;
constexpr uint8_t CODE_MAGNITUDE = 0x3F;

// The five header fields of a block, unpacked.
struct BlockHeader {
    int16_t first_sample;
    uint8_t start_index;    // 0..63, step index in force for sample 1
    uint8_t min_index;      // 0..63, lowest index the adaptation settles on
    uint8_t range_exponent; // 0..15, value window first_sample +- (2^(e+1) - 1)
    uint8_t table_select;   // 0..3
};

// Splits 32 bytes into the header and 31 seven-bit codes; every bit pattern is accepted.
void unpack_block(const uint8_t block[BLOCK_BYTES], BlockHeader& header,
                  uint8_t codes[BLOCK_CODES]);

// Lays out header and codes as 32 bytes, the reserved bits zero; fields must be within width.
void pack_block(const BlockHeader& header, const uint8_t codes[BLOCK_CODES],
                uint8_t block[BLOCK_BYTES]);
