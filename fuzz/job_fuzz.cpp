// The whole extraction job over any byte string taken as a bank, into a fresh folder: it
// ends with a defined code, names only slot files, leaves no file of a slot that failed, and
// every file it leaves has the length its header states.
//
// A bank's second header lies at 512 KiB, and a fuzzer is slow with inputs that long. So an
// input is a bank with its zero stretch left out: the first 20 bytes are the first header,
// the rest starts at the second header, and between them the file holds zeros (a hole, which
// costs nothing to write). The seeds are banks of the builder cut the same way.
#include "bulk_file.h"
#include "extract_job.h"
#include "job_status.h"
#include "scripted_host.h"
#include "slot_writer.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// One scratch folder per fuzzing process: the bank beside the output folder, so that a
// write outside the output folder shows as a stranger beside them.
struct Scratch {
    fs::path root;
    fs::path bank;
    fs::path out;

    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "unbank-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        bank = root / "bank.zp4";
        out  = root / "out";
    }
    ~Scratch() { fs::remove_all(root); }
};

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "job_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

// "00.wav".."99.wav" or "00s.wav".."49s.wav".
bool is_slot_name(const std::string& name) {
    const bool digits =
        name.size() >= 6 && std::isdigit(uint8_t(name[0])) && std::isdigit(uint8_t(name[1]));
    if (digits && name.substr(2) == ".wav") return true;
    return digits && name[0] <= '4' && name.substr(2) == "s.wav";
}

uint32_t le32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

// RIFF size + 8 and data size + 44 both equal the file's length.
void check_length(const fs::path& file) {
    uint8_t header[WAV_HEADER_BYTES] = {};
    std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(header), sizeof header);
    const uint64_t length = fs::file_size(file);
    if (le32(header + 4) + 8ull != length ||
        le32(header + 40) + uint64_t(WAV_HEADER_BYTES) != length)
        fail("length differs from its header", file.string());
}

// failed_code is the code of a job that stopped inside a slot, else JOB_DONE.
void check_folders(const Scratch& scratch, int32_t failed_code, int32_t slots_done) {
    int32_t files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.root))
        if (entry.path() != scratch.bank && entry.path() != scratch.out)
            fail("written outside the output folder", entry.path().string());
    if (!fs::exists(scratch.out)) return;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.out)) {
        const std::string name = entry.path().filename().string();
        if (!is_slot_name(name)) fail("not a slot file", name);
        check_length(entry.path());
        ++files;
    }
    if (failed_code != JOB_DONE && fs::exists(scratch.out / output_name))
        fail("file of the failed slot left", output_name);
    if (files != slots_done) fail("files differ from slots written", std::to_string(files));
}

void write_bank(const fs::path& path, const uint8_t* data, size_t size) {
    std::FILE* bank    = std::fopen(path.c_str(), "wb");
    const size_t first = size < size_t(HEADER_BYTES) ? size : size_t(HEADER_BYTES);
    bool written       = bank && std::fwrite(data, 1, first, bank) == first;
    if (written && size > first)
        written = std::fseek(bank, SECOND_HEADER_OFFSET, SEEK_SET) == 0 &&
                  std::fwrite(data + first, 1, size - first, bank) == size - first;
    if (!bank || std::fclose(bank) != 0 || !written) fail("cannot write the bank", path.string());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scratch scratch;
    fs::remove_all(scratch.out);
    fs::create_directory(scratch.out);
    write_bank(scratch.bank, data, size);

    ScriptedHost host;
    host.folder = scratch.out.string();
    run_job(scratch.bank.string(), host); // a hang shows as libFuzzer's timeout
    if (host.codes.empty()) fail("job ended without a code", "");
    const int32_t code = host.codes.back();
    const bool defined = code == JOB_DONE || code == JOB_READ_ERROR || code == JOB_WRITE_ERROR ||
                         code == JOB_NOT_BULK || code == JOB_EMPTY;
    if (!defined) fail("unexpected last code", std::to_string(code));
    if (progress_current != progress_total) fail("progress not full at the end", "");

    // One repaint when writing begins, one per slot done and one at the end; the folder is
    // fresh, so no slot is skipped.
    const bool wrote         = host.codes.front() == JOB_WRITING;
    const int32_t slots_done = wrote ? int32_t(host.repaints.size()) - 2 : 0;
    check_folders(scratch, wrote ? code : JOB_DONE, slots_done);
    return 0;
}
