// What unbank asks of the system it runs on, where POSIX and Windows differ: interrupts, the
// console, folders. platform_posix.cpp and platform_windows.cpp answer it.
#pragma once
#include <string>
#include <vector>

// The characters after which a file name begins in a path: the separators, and on Windows the
// colon of a drive letter ("D:drums.zp4").
extern const char NAME_STARTS_AFTER[];

// Every way the system asks the program to stop (Ctrl+C; on POSIX SIGTERM and SIGHUP; on
// Windows Ctrl+Break and the console's close, logoff and shutdown) stops the job the way the
// window's Abort Convert does; a write past a file size limit fails like a full disk instead
// of killing the program.
void set_up_process();

// True once such a request stopped the run.
bool interrupted();

// Whether the standard input, error or output is a console (a terminal).
bool input_is_console();
bool errors_go_to_console();
bool output_goes_to_console();

// Waits for a line typed on the console; false at the end of input or when an abort came first.
bool read_answer_line(char* line, int size);

// Whether path names a folder, following a link.
bool is_folder(const std::string& path);

// Makes one folder whose parent exists: 0, or the reason as an errno value (EEXIST when
// something of that name is there already).
int make_one_folder(const std::string& path);

struct FolderEntry {
    std::string name;
    bool is_folder; // a folder itself, not a link to one
};

// The entries of a folder in the system's order, without "." and ".." and without links to
// folders (they are not followed). False, with errno saying why, when it cannot be read.
bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries);

// Windows: each argument with * or ? becomes the names it matches, in name order, since cmd
// leaves that to the program; one that matches nothing stays as typed. Elsewhere the shell has
// done it and nothing changes.
void expand_wildcards(std::vector<std::string>& arguments);
