#include "bank_table.h"

#include "bulk_file.h"
#include <cerrno>

OpenBank::~OpenBank() {
    if (stream) std::fclose(stream);
}

JobStatus open_bank(const std::string& path, OpenBank& bank) {
    bank.stream = std::fopen(path.c_str(), "rb");
    if (!bank.stream || std::fseek(bank.stream, 0, SEEK_END) != 0) {
        bank.error_number = errno;
        return JOB_READ_ERROR;
    }
    bank.size = std::ftell(bank.stream);
    std::rewind(bank.stream);
    const JobStatus status = load_bulk_file(bank.stream, bank.table, bank.count);
    if (status == JOB_READ_ERROR) bank.error_number = errno;
    return status;
}

const char* slot_damage(const SlotInfo& slot, int64_t file_size) {
    const auto [left, right, length] = slot_extent(slot);
    if (left < 0 || right < 0) return "negative data offset";
    if (left + length > file_size || right + length > file_size) return "data outside the file";
    return nullptr;
}
