#include "bulk_file.h"

#include <cstring>

namespace {

// Directory numbers are 24-bit big-endian memory addresses.
int32_t be24(const uint8_t* record, int offset) {
    return (int32_t(record[offset]) << 16) | (int32_t(record[offset + 1]) << 8) |
           int32_t(record[offset + 2]);
}

bool read_exactly(std::FILE* stream, uint8_t* buffer, size_t length) {
    return std::fread(buffer, 1, length, stream) == length;
}

} // namespace

bool is_bulk_header(const uint8_t header[HEADER_BYTES]) {
    return std::memcmp(header, HEADER_MAGIC, sizeof HEADER_MAGIC - 1) == 0 &&
           header[HEADER_MARK_AT] == HEADER_MARK;
}

// A file that ends inside the directory yields the slots of the records read whole; the
// missing records count as empty.
int read_slot_table(std::FILE* stream, SlotInfo table[MAX_SLOTS]) {
    int count = 0;
    uint8_t record[STEREO_RECORD_BYTES];
    for (int slot = 0; slot < MONO_SLOTS; ++slot) {
        if (!read_exactly(stream, record, MONO_RECORD_BYTES)) return count;
        if (record[SLOT_STATUS_AT] == EMPTY_SLOT) continue;
        SlotInfo& info      = table[count++];
        info.id             = uint32_t(slot);
        info.status         = record[SLOT_STATUS_AT];
        info.data_offset    = be24(record, DATA_START_AT) - MEMORY_BASE;
        info.right_distance = 0;
        info.total_samples  = be24(record, SAMPLE_END_AT) - be24(record, MONO_START_AT) + 1;
    }
    for (int slot = 0; slot < STEREO_SLOTS; ++slot) {
        if (!read_exactly(stream, record, STEREO_RECORD_BYTES)) return count;
        if (record[SLOT_STATUS_AT] == EMPTY_SLOT) continue;
        SlotInfo& info      = table[count++];
        info.id             = FIRST_STEREO_ID + uint32_t(slot);
        info.status         = record[SLOT_STATUS_AT];
        info.data_offset    = be24(record, DATA_START_AT) - MEMORY_BASE;
        info.right_distance = be24(record, RIGHT_DATA_START_AT) - be24(record, DATA_START_AT);
        info.total_samples  = 2 * (be24(record, SAMPLE_END_AT) - be24(record, STEREO_START_AT) + 1);
    }
    return count;
}

// A read that fails (rather than finding the file's end) is a read error, not a verdict on
// the file: old media fail that way, and the user must hear it.
JobStatus load_bulk_file(std::FILE* stream, SlotInfo table[MAX_SLOTS], int& count) {
    count = 0;
    uint8_t header[HEADER_BYTES];
    const bool first  = read_exactly(stream, header, HEADER_BYTES) && is_bulk_header(header);
    const bool second = first && std::fseek(stream, SECOND_HEADER_OFFSET, SEEK_SET) == 0 &&
                        read_exactly(stream, header, HEADER_BYTES) && is_bulk_header(header);
    if (second) count = read_slot_table(stream, table);
    if (std::ferror(stream)) return JOB_READ_ERROR;
    if (!second) return JOB_NOT_BULK;
    return count == 0 ? JOB_EMPTY : JOB_DONE;
}
