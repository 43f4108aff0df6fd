// The system's calls beneath OutputFile; system_file_posix.cpp and system_file_windows.cpp
// answer them. Each failure gives its reason in error: an errno value, or
// WRITTEN_BY_ANOTHER_RUN.
#pragma once
#include "error_reason.h"
#include <cstddef>
#include <cstdint>

// How a final name may be written.
enum class FinalName {
    REPLACEABLE, // absent, or a file that may be replaced: written beside it, then renamed
    IN_PLACE,    // no file but a device or a pipe: written into, as it cannot be replaced
    REFUSED,     // a read-only file: left alone
};

FinalName system_final_name(const char* path, int& error);

// A temporary file that one run alone writes, from its creation until it is renamed or
// removed: another run that meets it refuses it rather than emptying it under the writer.
struct TemporaryFile {
    intptr_t handle; // what the bytes are written through
    intptr_t owner;  // what keeps the file this run's once handle is closed, until the rename
};

// Creates the temporary file path for this run, or takes over, emptied, one that a stopped run
// left. False with WRITTEN_BY_ANOTHER_RUN while a run still going holds it; nothing is open
// after a failure.
bool system_create(const char* path, TemporaryFile& file, int& error);
// Closes the file and gives it the name to, replacing a file of that name, while it is still
// this run's. On failure the file is removed and the name to holds what it held.
bool system_commit(TemporaryFile& file, const char* from, const char* to, int& error);
// Removes the file from and closes it.
void system_discard(TemporaryFile& file, const char* from);

// Opens a device or a pipe for writing, as it is.
bool system_open_in_place(const char* path, intptr_t& handle, int& error);
// Hands every byte to the system: a write that takes fewer is repeated, one that takes none
// counts as a full disk.
bool system_write(intptr_t handle, const uint8_t* bytes, size_t count, int& error);
bool system_close(intptr_t handle, int& error);
// The process's standard output, open for writing.
intptr_t system_standard_output();
