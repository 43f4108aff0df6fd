// Any 32 bytes survive unpack then pack, except the five reserved bits; any in-width header
// and codes survive pack then unpack.
#include "block_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t RESERVED_BITS = 0x3E; // in byte 4
constexpr size_t FIELD_BYTES    = 6;    // one byte per field, two for first_sample

void bytes_survive_unpack_and_pack(const uint8_t* data) {
    BlockHeader header;
    uint8_t codes[BLOCK_CODES];
    unpack_block(data, header, codes);
    uint8_t packed[BLOCK_BYTES];
    pack_block(header, codes, packed);
    uint8_t expected[BLOCK_BYTES];
    std::memcpy(expected, data, BLOCK_BYTES);
    expected[4] &= uint8_t(~RESERVED_BITS);
    if (std::memcmp(packed, expected, BLOCK_BYTES) != 0) std::abort();
}

// Six bytes read as the header fields and the next 31 as codes, each cut to its width.
void fields_survive_pack_and_unpack(const uint8_t* data) {
    const BlockHeader header{int16_t(uint16_t(data[0] << 8 | data[1])), uint8_t(data[2] & 63),
                             uint8_t(data[3] & 63), uint8_t(data[4] & 15), uint8_t(data[5] & 3)};
    uint8_t codes[BLOCK_CODES];
    for (int i = 0; i < BLOCK_CODES; ++i)
        codes[i] = data[FIELD_BYTES + i] & 0x7F;
    uint8_t packed[BLOCK_BYTES];
    pack_block(header, codes, packed);
    BlockHeader back;
    uint8_t back_codes[BLOCK_CODES];
    unpack_block(packed, back, back_codes);
    if (back.first_sample != header.first_sample || back.start_index != header.start_index ||
        back.min_index != header.min_index || back.range_exponent != header.range_exponent ||
        back.table_select != header.table_select ||
        std::memcmp(back_codes, codes, BLOCK_CODES) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < FIELD_BYTES + BLOCK_CODES) return 0;
    bytes_survive_unpack_and_pack(data);
    fields_survive_pack_and_unpack(data);
    return 0;
}
