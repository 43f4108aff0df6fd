#include "bank_builder.h"

#include "encoder.h"
#include "error_reason.h"
#include "output_file.h"
#include <cstdio>

namespace {

void put_be24(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
    image[offset]     = uint8_t(value >> 16);
    image[offset + 1] = uint8_t(value >> 8);
    image[offset + 2] = uint8_t(value);
}

void put_header(std::vector<uint8_t>& image, uint32_t offset) {
    for (size_t i = 0; i + 1 < sizeof HEADER_MAGIC; ++i)
        image[offset + i] = uint8_t(HEADER_MAGIC[i]);
    image[offset + HEADER_MARK_AT] = HEADER_MARK;
}

void append(std::vector<uint8_t>& image, const std::vector<uint8_t>& blocks) {
    image.insert(image.end(), blocks.begin(), blocks.end());
}

bool check_slot(const BankSlot& slot, std::vector<bool>& mono_used, std::vector<bool>& stereo_used,
                std::string& error) {
    std::vector<bool>& used = slot.stereo ? stereo_used : mono_used;
    const char* kind        = slot.stereo ? "stereo" : "mono";
    if (slot.number < 0 || slot.number >= int(used.size())) {
        error = std::string(kind) + " slot " + std::to_string(slot.number) +
                " does not exist (0.." + std::to_string(used.size() - 1) + ")";
        return false;
    }
    if (used[slot.number]) {
        error = std::string(kind) + " slot " + std::to_string(slot.number) + " given twice";
        return false;
    }
    if (slot.stereo && slot.left.size() != slot.right.size()) {
        error = "stereo slot " + std::to_string(slot.number) + ": channels differ in length";
        return false;
    }
    used[slot.number] = true;
    return true;
}

} // namespace

std::vector<uint8_t> encode_channel(const std::vector<int16_t>& samples) {
    const size_t blocks = size_t(channel_blocks(samples.size()));
    std::vector<uint8_t> out(blocks * BLOCK_BYTES);
    CodecState state;
    for (size_t b = 0; b < blocks; ++b) {
        int16_t chunk[BLOCK_SAMPLES];
        const int16_t pad = samples.empty() ? 0 : samples.back();
        for (size_t k = 0; k < size_t(BLOCK_SAMPLES); ++k) {
            const size_t i = b * BLOCK_SAMPLES + k;
            chunk[k]       = i < samples.size() ? samples[i] : pad;
        }
        encode_block(chunk, &out[b * BLOCK_BYTES], state);
    }
    return out;
}

bool build_bank(const std::vector<BankSlot>& slots, std::vector<uint8_t>& image,
                std::string& error) {
    std::vector<bool> mono_used(MONO_SLOTS), stereo_used(STEREO_SLOTS);
    for (const BankSlot& slot : slots)
        if (!check_slot(slot, mono_used, stereo_used, error)) return false;

    image.assign(FIRST_DATA_OFFSET, 0);
    put_header(image, 0);
    put_header(image, SECOND_HEADER_OFFSET);
    for (int j = 0; j < MONO_SLOTS; ++j)
        image[MONO_DIRECTORY_OFFSET + j * MONO_RECORD_BYTES + SLOT_STATUS_AT] = EMPTY_SLOT;
    for (int j = 0; j < STEREO_SLOTS; ++j)
        image[STEREO_DIRECTORY_OFFSET + j * STEREO_RECORD_BYTES + SLOT_STATUS_AT] = EMPTY_SLOT;

    for (const BankSlot& slot : slots) {
        // The sample addresses count from the file's start, not the memory's: the sampler's need
        // not equal the data addresses, and a reader that takes one for the other then shows.
        // The end is inclusive, first - 1 for an empty slot.
        const uint32_t first            = uint32_t(image.size());
        const uint32_t start            = first + MEMORY_BASE;
        const uint32_t last             = first + uint32_t(slot.left.size()) - 1;
        const std::vector<uint8_t> left = encode_channel(slot.left);
        append(image, left);
        if (slot.stereo) {
            append(image, encode_channel(slot.right));
            const size_t record =
                STEREO_DIRECTORY_OFFSET + size_t(slot.number) * STEREO_RECORD_BYTES;
            put_be24(image, record + SAMPLE_END_AT, last);
            put_be24(image, record + DATA_START_AT, start);
            image[record + SLOT_STATUS_AT] = 0;
            put_be24(image, record + STEREO_START_AT, first);
            put_be24(image, record + RIGHT_DATA_START_AT, start + uint32_t(left.size()));
        } else {
            const size_t record = MONO_DIRECTORY_OFFSET + size_t(slot.number) * MONO_RECORD_BYTES;
            put_be24(image, record + MONO_START_AT, first);
            put_be24(image, record + SAMPLE_END_AT, last);
            put_be24(image, record + DATA_START_AT, start);
            image[record + SLOT_STATUS_AT] = 0;
        }
        if (image.size() > MAX_IMAGE_BYTES) {
            error = "the samples take " + std::to_string(image.size() - FIRST_DATA_OFFSET) +
                    " bytes; a bank holds at most " +
                    std::to_string(MAX_IMAGE_BYTES - FIRST_DATA_OFFSET);
            return false;
        }
    }
    return true;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    static OutputFile file; // its buffer is too large for the stack
    if (!output_create(file, path.c_str())) {
        error = "cannot create " + path + ": " + reason_text(file.error);
        return false;
    }
    if (!output_write(file, bytes.data(), bytes.size()))
        output_discard(file);
    else if (output_commit(file))
        return true;
    error = "cannot write " + path + ": " + reason_text(file.error);
    return false;
}
