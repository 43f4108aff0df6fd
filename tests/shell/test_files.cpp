#include "test_files.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr size_t SMALL_SLOT_BYTES = 64 * 1024; // room left for the first slot

} // namespace

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string read_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string output_file_name(const BankSlot& slot) {
    char name[16];
    std::snprintf(name, sizeof name, slot.stereo ? "%02ds.wav" : "%02d.wav", slot.number);
    return name;
}

size_t largest_slot_frames(int channels) {
    // A block of 32 bytes holds 32 frames of one channel.
    return (MAX_IMAGE_BYTES - FIRST_DATA_OFFSET - SMALL_SLOT_BYTES) / size_t(channels);
}
