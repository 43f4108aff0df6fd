// The system's calls beneath OutputFile; system_file_posix.cpp and system_file_windows.cpp
// answer them. Each failure gives its reason as an errno value in error.
#pragma once
#include <cstddef>
#include <cstdint>

// How a final name may be written.
enum class FinalName {
    REPLACEABLE, // absent, or a file that may be replaced: written beside it, then renamed
    IN_PLACE,    // no file but a device or a pipe: written into, as it cannot be replaced
    REFUSED,     // a read-only file: left alone
};

FinalName system_final_name(const char* path, int& error);

// Opens path for writing, created or emptied.
bool system_create(const char* path, intptr_t& handle, int& error);
// Hands every byte to the system: a write that takes fewer is repeated, one that takes none
// counts as a full disk.
bool system_write(intptr_t handle, const uint8_t* bytes, size_t count, int& error);
bool system_close(intptr_t handle, int& error);
// The process's standard output, open for writing.
intptr_t system_standard_output();
// Gives the file at from the name to, replacing a file of that name.
bool system_rename(const char* from, const char* to, int& error);
void system_remove(const char* path);
