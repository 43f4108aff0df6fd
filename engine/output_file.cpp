#include "output_file.h"

#include "system_file.h"
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Keeps the first reason: a failed close after a failed write says less.
bool fail(OutputFile& file, int error) {
    if (file.error == 0) file.error = error;
    return false;
}

bool flush(OutputFile& file) {
    const size_t used = file.used;
    file.used         = 0;
    int error         = 0;
    return system_write(file.system.handle, file.buffer, used, error) || fail(file, error);
}

bool close_in_place(OutputFile& file) {
    int error = 0;
    return system_close(file.system.handle, error) || fail(file, error);
}

bool is_tmp(const char* extension) {
    return std::tolower(extension[0]) == 't' && std::tolower(extension[1]) == 'm' &&
           std::tolower(extension[2]) == 'p' && extension[3] == '\0';
}

} // namespace

bool temporary_path_of(const char* final_path, char* temporary, size_t size) {
    const char* dot = std::strrchr(final_path, '.');
    // A dot before the last separator is a folder's.
    if (dot && std::strpbrk(dot, "/\\")) dot = nullptr;
    const int stem   = dot ? int(dot - final_path) : int(std::strlen(final_path));
    const char* tail = dot && is_tmp(dot + 1) ? ".tm~" : ".tmp";
    const int length = std::snprintf(temporary, size, "%.*s%s", stem, final_path, tail);
    return length > 0 && size_t(length) < size;
}

bool output_create(OutputFile& file, const char* final_path) {
    file.error       = 0;
    file.used        = 0;
    const int length = std::snprintf(file.final_path, sizeof file.final_path, "%s", final_path);
    if (length < 0 || size_t(length) >= sizeof file.final_path ||
        !temporary_path_of(final_path, file.temporary_path, sizeof file.temporary_path))
        return fail(file, ENAMETOOLONG);
    int error             = 0;
    const FinalName final = system_final_name(final_path, error);
    if (final == FinalName::REFUSED) return fail(file, error);
    file.in_place   = final == FinalName::IN_PLACE;
    const bool open = file.in_place ? system_open_in_place(final_path, file.system.handle, error)
                                    : system_create(file.temporary_path, file.system, error);
    return open || fail(file, error);
}

void output_attach_standard_output(OutputFile& file) {
    file.error             = 0;
    file.used              = 0;
    file.in_place          = true;
    file.system.handle     = system_standard_output();
    file.final_path[0]     = '\0';
    file.temporary_path[0] = '\0';
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

bool output_commit(OutputFile& file) {
    const bool flushed = file.error == 0 && flush(file);
    if (file.in_place) {
        const bool closed = close_in_place(file);
        return flushed && closed;
    }
    if (!flushed) {
        system_discard(file.system, file.temporary_path);
        return false;
    }
    int error = 0;
    return system_commit(file.system, file.temporary_path, file.final_path, error) ||
           fail(file, error);
}

void output_discard(OutputFile& file) {
    if (file.in_place)
        close_in_place(file);
    else
        system_discard(file.system, file.temporary_path);
}
