// Lays out bank images from 16-bit samples with the block encoder, for demo and test banks.
#pragma once
#include "bulk_file.h"
#include <cstdint>
#include <string>
#include <vector>

struct BankSlot {
    bool stereo;
    int number;                 // 0..99 mono, 0..49 stereo
    std::vector<int16_t> left;  // the mono samples, or the left channel
    std::vector<int16_t> right; // stereo only, as long as left
};

// Where the first slot's blocks go: the first 32-byte boundary behind the directory.
constexpr uint32_t FIRST_DATA_OFFSET =
    (DIRECTORY_END + BLOCK_BYTES - 1) / BLOCK_BYTES * BLOCK_BYTES;
// The sampler's address space, as much of it as the file holds.
constexpr uint32_t MAX_IMAGE_BYTES = ADDRESS_SPACE - MEMORY_BASE;

// Encodes samples into whole blocks; the last block is padded with the last sample and an
// empty channel still gets one block (the reader always decodes one).
std::vector<uint8_t> encode_channel(const std::vector<int16_t>& samples);

// Both headers, the directory (unused records marked empty) and every slot's blocks after it,
// a stereo slot's right blocks behind its left ones. False, with a message, for a slot number
// out of range or used twice, unequal stereo channels, or a bank beyond the address space.
bool build_bank(const std::vector<BankSlot>& slots, std::vector<uint8_t>& image,
                std::string& error);

// Writes bytes to path under a temporary name and renames it over path when whole; a file
// already at path stays as it was unless the new one is whole. False, with a message naming
// the system's reason, when the system did not take every byte.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
