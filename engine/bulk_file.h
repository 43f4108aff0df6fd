// Recognising a bulk file and reading its sample directory.
#pragma once
#include "job_status.h"
#include "slot_info.h"
#include <cstdint>
#include <cstdio>

// The file holds the sampler's memory from address 0x60000 on: a file offset is an address
// minus this. The sampler addresses 24 bits.
constexpr int32_t MEMORY_BASE   = 0x60000;
constexpr int64_t ADDRESS_SPACE = int64_t{1} << 24;

// Both header records: "QUMA" at their start and a 'W' at byte 6; nothing else is examined.
constexpr int HEADER_BYTES          = 20;
constexpr char HEADER_MAGIC[]       = "QUMA";
constexpr int HEADER_MARK_AT        = 6;
constexpr char HEADER_MARK          = 'W';
constexpr long SECOND_HEADER_OFFSET = 0x80000;

// The directory: 100 mono records, then 50 stereo ones, right behind the second header.
constexpr long MONO_DIRECTORY_OFFSET   = SECOND_HEADER_OFFSET + HEADER_BYTES;
constexpr long STEREO_DIRECTORY_OFFSET = MONO_DIRECTORY_OFFSET + MONO_SLOTS * MONO_RECORD_BYTES;
constexpr long DIRECTORY_END = STEREO_DIRECTORY_OFFSET + STEREO_SLOTS * STEREO_RECORD_BYTES;

bool is_bulk_header(const uint8_t header[HEADER_BYTES]);

// Reads the 100 mono and 50 stereo records from the stream's position (just behind the second
// header) and fills the table with the used slots; returns how many.
int read_slot_table(std::FILE* stream, SlotInfo table[MAX_SLOTS]);

// Tests both headers and reads the directory: 0 with count set, else the job status code
// (1 a read failed, errno then saying why; 3 not a bulk file; 5 no used slot).
JobStatus load_bulk_file(std::FILE* stream, SlotInfo table[MAX_SLOTS], int& count);
