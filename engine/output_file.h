// A file written through the system's own calls with a buffer of its own, under a temporary
// name beside the name it is for. It takes that final name, replacing a file there, only once
// the system has taken every byte and closed it without complaint: a run that ends in any way
// leaves under the final name either the earlier file or the whole new one, and at most the
// one temporary file it was writing. A byte counts as written only once the system has taken
// it, so a full disk shows at the write that meets it. The temporary file is this run's alone
// until it takes its name: a second run writing the same name into the same folder meanwhile
// is refused, with WRITTEN_BY_ANOTHER_RUN, and the first run's file is left whole.
#pragma once
#include "system_file.h"
#include <cstddef>
#include <cstdint>

constexpr size_t OUTPUT_BUFFER_BYTES = 1 << 18;
constexpr size_t OUTPUT_PATH_BYTES   = 4096; // more than any system here takes for a path

struct OutputFile {
    TemporaryFile system; // the system's handle of the open file; only its handle when in place
    bool in_place;        // written straight into the final name: a device, a pipe
    int error;            // why the file failed (for reason_text); 0 while it has not
    size_t used;          // bytes of the buffer not yet handed to the system
    char final_path[OUTPUT_PATH_BYTES];
    char temporary_path[OUTPUT_PATH_BYTES];
    uint8_t buffer[OUTPUT_BUFFER_BYTES];
};

// The temporary name of a file: its extension replaced by "tmp" ("07.wav" is written as
// "07.tmp"), so it is never longer than a name with a three-letter extension; a name without
// an extension, or with "tmp" as its own, takes ".tmp" or ".tm~" after it. False when that
// does not fit size bytes.
bool temporary_path_of(const char* final_path, char* temporary, size_t size);

// Creates the temporary file for final_path, replacing a stale one a stopped run left. A
// final file that may not be replaced (read-only), or a temporary file that another run still
// writes, is refused here, before anything is written. False, with error set, when the system
// refuses; nothing is open then.
bool output_create(OutputFile& file, const char* final_path);

// Takes the process's standard output, open already, as the file, written in place: no
// temporary name and nothing renamed, its bytes as they are (no text mode on Windows).
// output_commit and output_discard close it.
void output_attach_standard_output(OutputFile& file);

// Appends count bytes. False once a write has failed; later writes then do nothing.
bool output_write(OutputFile& file, const void* bytes, size_t count);

// Hands the rest of the buffer to the system, closes the file and gives it its final name.
// True only when all of that succeeded; otherwise the temporary file is removed and the final
// name is as it was.
bool output_commit(OutputFile& file);

// Closes the file and removes it: the final name is as it was.
void output_discard(OutputFile& file);
