// Helpers shared by the codec tests: blocks written as hex text, sample lists built from runs,
// and header comparison for assertions.
#pragma once
#include "block_format.h"
#include <array>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using Block   = std::array<uint8_t, BLOCK_BYTES>;
using Samples = std::vector<int16_t>;

// "10 00 50 ..." into 32 bytes; blanks are ignored.
inline Block block_from_hex(const std::string& hex) {
    Block block{};
    size_t byte = 0;
    for (size_t i = 0; i + 1 < hex.size() && byte < block.size(); ++i) {
        if (hex[i] == ' ') continue;
        block[byte++] = static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16));
        ++i;
    }
    if (byte != block.size()) throw std::invalid_argument("not 32 bytes: " + hex);
    return block;
}

// The given samples followed by copies of the last one, up to a whole block.
inline Samples padded(Samples samples) {
    const int16_t last = samples.back();
    samples.resize(BLOCK_SAMPLES, last);
    return samples;
}

inline bool operator==(const BlockHeader& a, const BlockHeader& b) {
    return a.first_sample == b.first_sample && a.start_index == b.start_index &&
           a.min_index == b.min_index && a.range_exponent == b.range_exponent &&
           a.table_select == b.table_select;
}

inline std::ostream& operator<<(std::ostream& out, const BlockHeader& h) {
    return out << "{first " << h.first_sample << ", start " << int(h.start_index) << ", min "
               << int(h.min_index) << ", exponent " << int(h.range_exponent) << ", table "
               << int(h.table_select) << "}";
}
