// Writes one slot of an open bulk file as a 16-bit PCM WAV file at 32000 Hz.
#pragma once
#include "slot_info.h"
#include <cstdint>
#include <cstdio>

constexpr int WAV_HEADER_BYTES = 44;

// Builds the 44-byte RIFF/WAVE header for a slot of the given size.
void make_wav_header(int32_t total_samples, int channels, uint8_t header[WAV_HEADER_BYTES]);

// 0 when written completely; otherwise 1 (bulk file read or seek), 2 (output) or 6 (aborted
// through the reply state). The output is closed on return; an incomplete file stays.
// opened tells whether the output was created or truncated: when it was not (an existing
// file that cannot be opened for writing), the file on disk is still the user's own.
int32_t write_slot(std::FILE* bulk, const SlotInfo& slot, const char* out_path, bool& opened);

// Reads and decodes the slot as write_slot would, writing nothing: 0 when it can be read
// whole, 1 (bulk file read or seek) or 6 (aborted). frames_read counts the frames decoded
// before the failure.
int32_t check_slot(std::FILE* bulk, const SlotInfo& slot, uint32_t& frames_read);
