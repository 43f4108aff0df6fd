#include "system_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int open_for_writing(const char* path, int flags) {
    int descriptor;
    do
        descriptor = open(path, O_WRONLY | O_CLOEXEC | flags, 0666);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// The run that held the file may have renamed or removed it between this run's open and its
// lock: the lock then holds a file that is no longer the temporary one.
bool still_named(int descriptor, const char* path) {
    struct stat opened, named;
    return fstat(descriptor, &opened) == 0 && stat(path, &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// flock's lock belongs to the open file and ends with the last descriptor of it, however the
// process ends: a killed run's file is free at once. Where the file system keeps no locks (NFS
// without its lock service says ENOLCK), the file is written unlocked, as before locks were
// taken.
bool held_by_another_run(int descriptor) {
    return flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

} // namespace

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

// Emptied only once locked and known to be the temporary file still: emptying it first would
// cut another run's file under it. The second descriptor keeps the lock while the first is
// closed before the rename, so that a late write error shows before the file takes its name.
bool system_create(const char* path, TemporaryFile& file, int& error) {
    for (;;) {
        const int descriptor = open_for_writing(path, O_CREAT);
        if (descriptor < 0) {
            error = errno;
            return false;
        }
        if (held_by_another_run(descriptor)) {
            close(descriptor);
            error = WRITTEN_BY_ANOTHER_RUN;
            return false;
        }
        if (!still_named(descriptor, path)) {
            close(descriptor);
            continue;
        }
        const int owner = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
        if (owner >= 0 && ftruncate(descriptor, 0) == 0) {
            file.handle = descriptor;
            file.owner  = owner;
            return true;
        }
        error = errno;
        if (owner >= 0) close(owner);
        close(descriptor);
        return false;
    }
}

bool system_commit(TemporaryFile& file, const char* from, const char* to, int& error) {
    bool named = system_close(file.handle, error);
    if (named && std::rename(from, to) != 0) {
        error = errno;
        named = false;
    }
    if (!named) unlink(from);
    close(int(file.owner));
    return named;
}

void system_discard(TemporaryFile& file, const char* from) {
    unlink(from);
    close(int(file.handle));
    close(int(file.owner));
}

bool system_open_in_place(const char* path, intptr_t& handle, int& error) {
    const int descriptor = open_for_writing(path, O_CREAT | O_TRUNC);
    handle               = descriptor;
    error                = errno;
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

intptr_t system_standard_output() {
    return STDOUT_FILENO;
}
