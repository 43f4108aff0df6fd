#include "platform.h"

#include "console_events.h"
#include "extract_job.h"
#include "system_error.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <windows.h>

const char NAME_STARTS_AFTER[] = "\\/:";

namespace {

std::atomic<int32_t> interrupt_seen{0}; // set on the system's handler thread

bool is_console(DWORD standard_handle) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(standard_handle), &mode) != 0;
}

bool is_dot_or_dot_dot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The names matching a pattern such as D:\disks\*.zp4, in the system's order.
std::vector<std::string> matches(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!is_dot_or_dot_dot(found.cFileName)) names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

} // namespace

// Runs on a thread of the system's. After a close, logoff or shutdown event the system ends
// the process as soon as the handler returns (or when its few seconds are up), so the handler
// returns no more: the main thread stops the job, its file goes, and the program's own end
// ends the process with the status of a stopped run.
BOOL WINAPI on_console_event(DWORD event) {
    interrupt_seen = 1;
    reply_state.store(REPLY_ABORT);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

void set_up_process() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
    // A drive without its disk, as old media often are, fails the call instead of asking in a box.
    SetErrorMode(SEM_FAILCRITICALERRORS);
}

bool interrupted() {
    return interrupt_seen.load() != 0;
}

bool output_goes_to_console() {
    return is_console(STD_OUTPUT_HANDLE);
}

bool input_is_console() {
    return is_console(STD_INPUT_HANDLE);
}

bool errors_go_to_console() {
    return is_console(STD_ERROR_HANDLE);
}

// Ctrl+C ends a console read in line mode, so the read returns when the user aborts.
bool read_answer_line(char* line, int size) {
    return reply_state.load() != REPLY_ABORT && std::fgets(line, size, stdin) != nullptr;
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int make_one_folder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) ? 0 : errno_of_system_error(GetLastError());
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno             = errno_of_system_error(error);
        return error == ERROR_FILE_NOT_FOUND; // an empty drive has not even "." and ".."
    }
    do {
        const DWORD attributes = found.dwFileAttributes;
        const bool folder_kind = attributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool link        = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if (is_dot_or_dot_dot(found.cFileName) || (folder_kind && link)) continue;
        entries.push_back({found.cFileName, folder_kind});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

void expand_wildcards(std::vector<std::string>& arguments) {
    std::vector<std::string> expanded;
    for (const std::string& argument : arguments) {
        std::vector<std::string> names;
        if (argument.find_first_of("*?") != std::string::npos) names = matches(argument);
        if (names.empty()) {
            expanded.push_back(argument);
            continue;
        }
        std::sort(names.begin(), names.end());
        const size_t name_start = argument.find_last_of(NAME_STARTS_AFTER) + 1; // 0 without one
        for (const std::string& name : names)
            expanded.push_back(argument.substr(0, name_start) + name);
    }
    arguments.swap(expanded);
}
