#include "system_file.h"

#include "system_error.h"
#include <cerrno>
#include <windows.h>

namespace {

constexpr DWORD LARGEST_PIECE = 1u << 30; // WriteFile counts in a DWORD

int last_error() {
    return errno_of_system_error(GetLastError());
}

} // namespace

// Windows keeps a read-only file from being replaced; asking first leaves it before any byte
// is written. Device names (NUL, CON) are not taken for files here.
FinalName system_final_name(const char* path, int& error) {
    const DWORD attributes = GetFileAttributesA(path);
    const bool read_only   = attributes != INVALID_FILE_ATTRIBUTES &&
                           !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                           (attributes & FILE_ATTRIBUTE_READONLY);
    if (!read_only) return FinalName::REPLACEABLE;
    error = EACCES;
    return FinalName::REFUSED;
}

bool system_create(const char* path, intptr_t& handle, int& error) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle            = intptr_t(file);
    error             = file == INVALID_HANDLE_VALUE ? last_error() : 0;
    return file != INVALID_HANDLE_VALUE;
}

// The count WriteFile returns is what the system took: it may be less than asked.
bool system_write(intptr_t handle, const uint8_t* bytes, size_t count, int& error) {
    while (count > 0) {
        const DWORD piece = count < LARGEST_PIECE ? DWORD(count) : LARGEST_PIECE;
        DWORD taken       = 0;
        if (!WriteFile(HANDLE(handle), bytes, piece, &taken, nullptr)) {
            error = last_error();
            return false;
        }
        if (taken == 0) {
            error = ENOSPC; // no progress: nothing more fits
            return false;
        }
        bytes += taken;
        count -= taken;
    }
    return true;
}

bool system_close(intptr_t handle, int& error) {
    if (CloseHandle(HANDLE(handle))) return true;
    error = last_error();
    return false;
}

// Refused while another program has the final file open without leave to delete it.
bool system_rename(const char* from, const char* to, int& error) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    error = last_error();
    return false;
}

void system_remove(const char* path) {
    DeleteFileA(path);
}

intptr_t system_standard_output() {
    return intptr_t(GetStdHandle(STD_OUTPUT_HANDLE));
}
