#include "system_error.h"

#include <cerrno>
#include <windows.h>

namespace {

struct SystemError {
    DWORD code;
    int error;
};
// clang-format off
const SystemError system_errors[] = {
    {ERROR_FILE_NOT_FOUND,        ENOENT},
    {ERROR_PATH_NOT_FOUND,        ENOENT},
    {ERROR_INVALID_NAME,          ENOENT},
    {ERROR_TOO_MANY_OPEN_FILES,   EMFILE},
    {ERROR_ACCESS_DENIED,         EACCES},
    {ERROR_SHARING_VIOLATION,     EACCES},
    {ERROR_LOCK_VIOLATION,        EACCES},
    {ERROR_WRITE_PROTECT,         EROFS},
    {ERROR_DISK_FULL,             ENOSPC},
    {ERROR_HANDLE_DISK_FULL,      ENOSPC},
    {ERROR_FILENAME_EXCED_RANGE,  ENAMETOOLONG},
    {ERROR_ALREADY_EXISTS,        EEXIST},
    {ERROR_BROKEN_PIPE,           EPIPE},
    {ERROR_NO_DATA,               EPIPE},
};
// clang-format on

} // namespace

int errno_of_system_error(unsigned long code) {
    for (const SystemError& known : system_errors)
        if (known.code == code) return known.error;
    return EIO;
}
