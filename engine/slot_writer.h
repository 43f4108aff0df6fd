// Writes one slot of an open bulk file as a 16-bit PCM WAV file at 32000 Hz.
#pragma once
#include "job_status.h"
#include "slot_info.h"
#include <atomic>
#include <cstdint>
#include <cstdio>

constexpr int WAV_HEADER_BYTES = 44;

// Builds the 44-byte RIFF/WAVE header for a slot of the given size.
void make_wav_header(int32_t total_samples, int channels, uint8_t header[WAV_HEADER_BYTES]);

// 0 when written completely: the file then has the name out_path, replacing a file there.
// Otherwise 1 (bulk file read or seek), 2 (output) or 6 (reply held the abort value before a
// frame), and the file written so far, under its temporary name, is gone again: out_path
// holds what it held before.
JobStatus write_slot(std::FILE* bulk, const SlotInfo& slot, const char* out_path,
                     const std::atomic<int32_t>& reply);

// Writes the slot's WAV file to the process's standard output, as write_slot writes a file:
// nothing is created or renamed, and a failure leaves the stream cut short.
JobStatus write_slot_to_standard_output(std::FILE* bulk, const SlotInfo& slot,
                                        const std::atomic<int32_t>& reply);

// Reads and decodes the slot as write_slot would, writing nothing: 0 when it can be read
// whole, 1 (bulk file read or seek) or 6 (aborted). frames_read counts the frames decoded
// before the failure.
JobStatus check_slot(std::FILE* bulk, const SlotInfo& slot, const std::atomic<int32_t>& reply,
                     uint32_t& frames_read);

// Why the last write_slot or check_slot that returned 1 or 2 failed, as an errno value; 0
// where the system gave no reason, as when the bulk file simply ends.
int slot_error_number();
