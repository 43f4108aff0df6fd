#include "system_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Write permission is asked of the mode too: root may write any file, but a file that no one
// may write is meant to stay, as a read-only file on Windows does.
FinalName system_final_name(const char* path, int& error) {
    struct stat about;
    if (stat(path, &about) != 0) return FinalName::REPLACEABLE; // absent, or the create says why
    if (!S_ISREG(about.st_mode) && !S_ISDIR(about.st_mode)) return FinalName::IN_PLACE;
    if (S_ISREG(about.st_mode) && (access(path, W_OK) != 0 || (about.st_mode & 0222) == 0)) {
        error = EACCES;
        return FinalName::REFUSED;
    }
    return FinalName::REPLACEABLE;
}

bool system_create(const char* path, intptr_t& handle, int& error) {
    int descriptor;
    do
        descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (descriptor < 0 && errno == EINTR);
    handle = descriptor;
    error  = errno;
    return descriptor >= 0;
}

// write may take fewer bytes than asked (a signal, a file size limit, the end of the disk).
bool system_write(intptr_t handle, const uint8_t* bytes, size_t count, int& error) {
    while (count > 0) {
        const ssize_t taken = write(int(handle), bytes, count);
        if (taken < 0 && errno == EINTR) continue;
        if (taken <= 0) {
            error = taken < 0 ? errno : ENOSPC; // no progress: nothing more fits
            return false;
        }
        bytes += taken;
        count -= size_t(taken);
    }
    return true;
}

// The descriptor is gone whatever close returns, so it is never retried; a complaint (a
// network file system's late write error, say) means the data may not have arrived.
bool system_close(intptr_t handle, int& error) {
    if (close(int(handle)) == 0) return true;
    error = errno;
    return false;
}

bool system_rename(const char* from, const char* to, int& error) {
    if (std::rename(from, to) == 0) return true;
    error = errno;
    return false;
}

void system_remove(const char* path) {
    unlink(path);
}

intptr_t system_standard_output() {
    return STDOUT_FILENO;
}
