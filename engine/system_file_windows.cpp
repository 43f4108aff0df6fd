#include "system_file.h"

#include "system_error.h"
#include <cerrno>
#include <cstddef>
#include <windows.h>

namespace {

constexpr DWORD LARGEST_PIECE = 1u << 30; // WriteFile counts in a DWORD
constexpr DWORD WIDE_PATH     = 4096;     // characters of a path given to the system by name

int last_error() {
    return errno_of_system_error(GetLastError());
}

// The file takes the name to through its own handle, so that no other run can take it between
// a close and a rename. The system wants the name in full and in UTF-16.
bool rename_by_handle(HANDLE file, const char* to) {
    WCHAR wide[WIDE_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, to, -1, wide, WIDE_PATH) == 0) return false;
    union {
        FILE_RENAME_INFO info;
        BYTE bytes[sizeof(FILE_RENAME_INFO) + WIDE_PATH * sizeof(WCHAR)];
    } rename;
    const DWORD length = GetFullPathNameW(wide, WIDE_PATH, rename.info.FileName, nullptr);
    if (length == 0 || length >= WIDE_PATH) return false;
    rename.info.ReplaceIfExists = TRUE;
    rename.info.RootDirectory   = nullptr;
    rename.info.FileNameLength  = length * sizeof(WCHAR);
    return SetFileInformationByHandle(
        file, FileRenameInfo, &rename,
        DWORD(offsetof(FILE_RENAME_INFO, FileName) + (length + 1) * sizeof(WCHAR)));
}

// The file goes when its handle closes.
void remove_on_close(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
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

// Shared for reading alone: while this run has the file, a second writer, a rename and a
// removal by anyone else meet a sharing violation, and the system checks that before it
// empties a stale file.
bool system_create(const char* path, TemporaryFile& file, int& error) {
    const HANDLE handle = CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error =
            code == ERROR_SHARING_VIOLATION ? WRITTEN_BY_ANOTHER_RUN : errno_of_system_error(code);
        return false;
    }
    file.handle = file.owner = intptr_t(handle);
    return true;
}

// Refused while another program has the final file open without leave to delete it. Closing
// a handle fails only for one that is not open, so the name given stands.
bool system_commit(TemporaryFile& file, const char*, const char* to, int& error) {
    const HANDLE handle = HANDLE(file.handle);
    const bool named    = rename_by_handle(handle, to);
    if (!named) {
        error = last_error();
        remove_on_close(handle);
    }
    CloseHandle(handle);
    return named;
}

void system_discard(TemporaryFile& file, const char*) {
    remove_on_close(HANDLE(file.handle));
    CloseHandle(HANDLE(file.handle));
}

bool system_open_in_place(const char* path, intptr_t& handle, int& error) {
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

intptr_t system_standard_output() {
    return intptr_t(GetStdHandle(STD_OUTPUT_HANDLE));
}
