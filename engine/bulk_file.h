// Recognising a bulk file and reading its sample directory.
#pragma once
#include "slot_info.h"
#include <cstdint>
#include <cstdio>

constexpr int HEADER_BYTES             = 20;
constexpr long SECOND_HEADER_OFFSET    = 0x80000;
constexpr int32_t MEMORY_BASE          = 0x60000; // the file holds the sampler's memory from here
constexpr int MONO_RECORD_BYTES        = 26;
constexpr int STEREO_RECORD_BYTES      = 28;
constexpr uint8_t EMPTY_SLOT           = 0xFF;
constexpr int SLOT_STATUS_AT           = 21; // in both kinds of record
constexpr long MONO_DIRECTORY_OFFSET   = SECOND_HEADER_OFFSET + HEADER_BYTES;
constexpr long STEREO_DIRECTORY_OFFSET = MONO_DIRECTORY_OFFSET + MONO_SLOTS * MONO_RECORD_BYTES;

bool is_bulk_header(const uint8_t header[HEADER_BYTES]);

// Reads the 100 mono and 50 stereo records from the stream's position (just behind the second
// header) and fills the table with the used slots; returns how many.
int read_slot_table(std::FILE* stream, SlotInfo table[MAX_SLOTS]);

// Tests both headers and reads the directory: 0 with count set, else the job status code
// (1 a read failed, 3 not a bulk file, 5 no used slot).
int32_t load_bulk_file(std::FILE* stream, SlotInfo table[MAX_SLOTS], int& count);
