#include "test_banks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const Bytes UNTOUCHED(4096, 'k');

// The files of a build whose codec met every worked block, by their 64-bit FNV-1a hashes:
// mono files around the writer's runs of 8192 frames, an empty slot (one block), stereo files
// on both sides of a block; 90.wav fills most of a 2 MiB disk.
// clang-format off
const struct KnownFile {
    const char* name;
    size_t frames;
    uint64_t hash;
} KNOWN_FILES[] = {
    {"00.wav",      100, 11885039852938764162ull}, {"01.wav",     8191, 17189810876760656470ull},
    {"02.wav",     8192,  9607471069253809090ull}, {"03.wav",     8193,  5951744053617551705ull},
    {"04.wav",    24581,  7043570210824446032ull}, {"05.wav",       33,  5008890988261079830ull},
    {"06.wav",        0,  1731063722313505967ull}, {"07.wav",       10,  3413964642003397089ull},
    {"42.wav",     5000,  5095586891321442629ull}, {"90.wav",   950000, 10952726215773209796ull},
    {"00s.wav",      64,  2964100915390011577ull}, {"01s.wav",    4097,  9480062321016463584ull},
    {"03s.wav",    8193, 17936210642612793344ull}, {"49s.wav",    1000, 10567327716557693012ull},
};
// clang-format on

const KnownFile* known_file(const std::string& name) {
    for (const KnownFile& known : KNOWN_FILES)
        if (name == known.name) return &known;
    return nullptr;
}

uint64_t fnv1a(const Bytes& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

std::vector<int16_t> test_signal(size_t length, uint32_t seed) {
    std::vector<int16_t> out(length);
    const int32_t period = 40 + int32_t(seed % 200);
    for (size_t i = 0; i < length; ++i) {
        seed                   = seed * 1664525u + 1013904223u;
        const int32_t phase    = int32_t(i % uint32_t(period));
        const int32_t triangle = (phase < period / 2 ? phase : period - phase) * 40000 / period;
        out[i]                 = int16_t(triangle - 10000 + int32_t(seed >> 24) * 8 - 1024);
    }
    return out;
}

std::string describe(const fs::path& entry) {
    const std::string name = entry.filename().string();
    if (fs::is_directory(entry)) return name + "/";
    const Bytes bytes      = read_bytes(entry.string());
    const KnownFile* known = known_file(name.substr(name.rfind('-') + 1)); // "bank-07.wav" too
    if (known && fnv1a(bytes) == known->hash) return name + "*";
    return bytes == UNTOUCHED ? name : name + "?";
}

} // namespace

std::string fresh_folder() {
    // Named after the running test: ctest runs tests side by side in separate processes.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("unbank-") + test->test_suite_name() + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '.');
    const fs::path folder = fs::temp_directory_path() / name;
    // Windows deletes no read-only file: one an earlier run left would end this one.
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::string join(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

BankSlot mono_slot(int number, size_t frames) {
    return BankSlot{false, number, test_signal(frames, uint32_t(number) + 1), {}};
}

std::vector<BankSlot> known_slots(const std::vector<std::string>& names) {
    std::vector<BankSlot> slots;
    for (const std::string& name : names) {
        const KnownFile* known = known_file(name.substr(name.rfind('-') + 1)); // "bank-07.wav" too
        EXPECT_NE(known, nullptr) << name << " is not in the catalogue";
        const size_t frames = known ? known->frames : 0;
        const bool stereo   = name.find('s') != std::string::npos;
        const int n         = std::stoi(name);
        slots.push_back(
            stereo ? BankSlot{true, n, test_signal(frames, n + 500u), test_signal(frames, n + 900u)}
                   : mono_slot(n, frames));
    }
    return slots;
}

Bytes bank_image(const std::vector<BankSlot>& slots) {
    Bytes image;
    std::string error;
    EXPECT_TRUE(build_bank(slots, image, error)) << error;
    return image;
}

std::string write_bank(const std::string& folder, const std::string& name,
                       const std::vector<BankSlot>& slots) {
    write_bytes(join(folder, name), bank_image(slots));
    return join(folder, name);
}

size_t mono_record(int slot) {
    return MONO_DIRECTORY_OFFSET + size_t(slot) * MONO_RECORD_BYTES;
}

size_t stereo_record(int slot) {
    return STEREO_DIRECTORY_OFFSET + size_t(slot) * STEREO_RECORD_BYTES;
}

void put_hex(Bytes& image, size_t at, const char* hex) {
    for (char* end = nullptr; *hex; hex = end)
        image[at++] = uint8_t(std::strtoul(hex, &end, 16));
}

Bytes empty_bank() {
    Bytes image(stereo_record(STEREO_SLOTS));
    put_hex(image, 0, "51 55 4D 41 00 00 57");
    put_hex(image, SECOND_HEADER_OFFSET, "51 55 4D 41 00 00 57");
    for (int j = 0; j < MONO_SLOTS + STEREO_SLOTS; ++j)
        image[j < MONO_SLOTS ? mono_record(j) + 21 : stereo_record(j - MONO_SLOTS) + 21] = 0xFF;
    return image;
}

void poke_negative_data_start(Bytes& image, int n) {
    image[mono_record(n) + DATA_START_AT] = 0x05; // address 0x05xxxx, below 0x60000
}

void plant(const std::string& path) {
    write_bytes(path, UNTOUCHED);
}

bool is_planted(const std::string& path) {
    return read_bytes(path) == UNTOUCHED;
}

bool is_small_disk(const std::string& folder) {
    std::error_code error; // asked of a name inside: on Windows the space is its folder's
    return fs::space(join(folder, "."), error).capacity == 2 << 20;
}

std::string folder_contents(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == ".zp4" || (entry.is_directory() && !fs::is_empty(entry)))
            continue;
        const std::string parent =
            fs::relative(entry.path(), folder).parent_path().generic_string();
        found.push_back((parent.empty() ? "" : parent + "/") + describe(entry.path()));
    }
    std::sort(found.begin(), found.end());
    std::string text;
    for (const std::string& name : found)
        text += (text.empty() ? "" : " ") + name;
    return text;
}
