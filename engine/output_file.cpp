#include "output_file.h"

#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include "system_error.h"
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Keeps the first reason: a failed close after a failed write says less.
bool fail(OutputFile& file, int error) {
    if (file.error == 0) file.error = error;
    return false;
}

#ifdef _WIN32

constexpr DWORD LARGEST_PIECE = 1u << 30; // WriteFile counts in a DWORD

bool fail_with_last_error(OutputFile& file) {
    return fail(file, errno_of_system_error(GetLastError()));
}

bool open_system_file(OutputFile& file, const char* path) {
    file.handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file.handle != INVALID_HANDLE_VALUE || fail_with_last_error(file);
}

// The count WriteFile returns is what the system took: it may be less than asked.
bool write_system_file(OutputFile& file, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const DWORD piece = count < LARGEST_PIECE ? DWORD(count) : LARGEST_PIECE;
        DWORD taken       = 0;
        if (!WriteFile(file.handle, bytes, piece, &taken, nullptr))
            return fail_with_last_error(file);
        if (taken == 0) return fail(file, ENOSPC); // no progress: nothing more fits
        bytes += taken;
        count -= taken;
    }
    return true;
}

bool close_system_file(OutputFile& file) {
    return CloseHandle(file.handle) || fail_with_last_error(file);
}

#else

bool open_system_file(OutputFile& file, const char* path) {
    do
        file.descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (file.descriptor < 0 && errno == EINTR);
    return file.descriptor >= 0 || fail(file, errno);
}

// write may take fewer bytes than asked (a signal, a file size limit, the end of the disk).
bool write_system_file(OutputFile& file, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t taken = write(file.descriptor, bytes, count);
        if (taken < 0 && errno == EINTR) continue;
        if (taken < 0) return fail(file, errno);
        if (taken == 0) return fail(file, ENOSPC); // no progress: nothing more fits
        bytes += taken;
        count -= size_t(taken);
    }
    return true;
}

// The descriptor is gone whatever close returns, so it is never retried; a complaint (a
// network file system's late write error, say) means the data may not have arrived.
bool close_system_file(OutputFile& file) {
    return close(file.descriptor) == 0 || fail(file, errno);
}

#endif

bool flush(OutputFile& file) {
    const size_t used = file.used;
    file.used         = 0;
    return write_system_file(file, file.buffer, used);
}

} // namespace

bool output_create(OutputFile& file, const char* path) {
    file.error = 0;
    file.used  = 0;
    return open_system_file(file, path);
}

void output_attach_standard_output(OutputFile& file) {
    file.error = 0;
    file.used  = 0;
#ifdef _WIN32
    file.handle = GetStdHandle(STD_OUTPUT_HANDLE);
#else
    file.descriptor = STDOUT_FILENO;
#endif
}

bool output_write(OutputFile& file, const void* bytes, size_t count) {
    const uint8_t* from = static_cast<const uint8_t*>(bytes);
    // The buffer goes out only when full: whole buffers keep the writes aligned in the file.
    while (count > 0 && file.error == 0) {
        const size_t room  = sizeof file.buffer - file.used;
        const size_t piece = count < room ? count : room;
        std::memcpy(file.buffer + file.used, from, piece);
        file.used += piece;
        from += piece;
        count -= piece;
        if (file.used == sizeof file.buffer) flush(file);
    }
    return file.error == 0;
}

bool output_close(OutputFile& file) {
    const bool flushed = file.error == 0 && flush(file);
    const bool closed  = close_system_file(file);
    return flushed && closed;
}
