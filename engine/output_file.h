// A file written through the system's own calls with a buffer of its own. A byte counts as
// written only once the system has taken it, so a full disk shows at the write that meets it:
// a C runtime's buffered stream may keep such a failure to itself.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t OUTPUT_BUFFER_BYTES = 1 << 18;

struct OutputFile {
#ifdef _WIN32
    void* handle; // a HANDLE
#else
    int descriptor;
#endif
    int error;   // why the file failed, as an errno value (for strerror); 0 while it has not
    size_t used; // bytes of the buffer not yet handed to the system
    uint8_t buffer[OUTPUT_BUFFER_BYTES];
};

// Creates the file at path, or empties the one there. False, with error set, when the system
// refuses; nothing is open then.
bool output_create(OutputFile& file, const char* path);

// Takes the process's standard output, open already, as the file: written in bytes as they are
// (no text mode on Windows), closed as any other.
void output_attach_standard_output(OutputFile& file);

// Appends count bytes. False once a write has failed; later writes then do nothing.
bool output_write(OutputFile& file, const void* bytes, size_t count);

// Hands the rest of the buffer to the system and closes the file, whatever happened before.
// True only when the system took every byte and closed the file without complaint.
bool output_close(OutputFile& file);
