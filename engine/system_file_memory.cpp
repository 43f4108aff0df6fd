#include "memory_file.h"
#include "system_file.h"

#include <cerrno>
#include <cstring>

namespace {

size_t open_length; // bytes the open file holds

} // namespace

// Nothing stays under a final name: every file is handed to the host as it gets one.
FinalName system_final_name(const char*, int&) {
    return FinalName::REPLACEABLE;
}

// One run alone writes here: there is no other to hold the file.
bool system_create(const char*, TemporaryFile& file, int&) {
    open_length = 0;
    file.handle = file.owner = 1;
    return true;
}

// The temporary name is the open file's; the final one is what the host keeps it as.
bool system_commit(TemporaryFile&, const char*, const char* to, int&) {
    memory_file_kept(to, open_length);
    return true;
}

// What was written is left for the next file to write over.
void system_discard(TemporaryFile&, const char*) {}

bool system_open_in_place(const char*, intptr_t& handle, int&) {
    open_length = 0;
    handle      = 1;
    return true;
}

bool system_write(intptr_t, const uint8_t* bytes, size_t count, int& error) {
    uint8_t* buffer = memory_file_room(open_length + count);
    if (!buffer) {
        error = ENOSPC;
        return false;
    }
    std::memcpy(buffer + open_length, bytes, count);
    open_length += count;
    return true;
}

bool system_close(intptr_t, int&) {
    return true;
}

intptr_t system_standard_output() {
    return 1;
}
