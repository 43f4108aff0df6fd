// A bank opened for reading, with its slot table: what --list and --test work on.
#pragma once
#include "job_status.h"
#include "slot_info.h"
#include <cstdint>
#include <cstdio>
#include <string>

struct OpenBank {
    std::FILE* stream = nullptr;
    SlotInfo table[MAX_SLOTS];
    int count        = 0;
    int64_t size     = 0; // bytes in the file
    int error_number = 0; // the system's reason when it cannot be read

    OpenBank()                           = default;
    OpenBank(const OpenBank&)            = delete;
    OpenBank& operator=(const OpenBank&) = delete;
    ~OpenBank();
};

// Opens the file, tests its headers and reads its directory: 0, or the job status code
// (1 cannot be read, 3 not a bank, 5 no used slot).
JobStatus open_bank(const std::string& path, OpenBank& bank);

// Why the writer cannot read the slot whole, judged from the directory and the file's size
// alone: "negative data offset", "data outside the file", or nullptr when it lies inside.
const char* slot_damage(const SlotInfo& slot, int64_t file_size);
