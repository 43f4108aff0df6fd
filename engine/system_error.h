// Windows only: the system's error codes as errno values, so that every failure is reported
// through strerror the same way on every system.
#pragma once

// The errno value for a GetLastError code that creating, writing or listing files meets in
// practice; EIO for the rest.
int errno_of_system_error(unsigned long code);
