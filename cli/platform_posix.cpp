#include "platform.h"

#include "extract_job.h"
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

const char NAME_STARTS_AFTER[] = "/";

namespace {

constexpr int POLL_MS = 100;

volatile std::sig_atomic_t interrupt_seen = 0;

void on_interrupt(int) {
    interrupt_seen = 1;
    reply_state.store(REPLY_ABORT);
}

bool is_link_to_folder(const std::string& path) {
    struct stat about;
    return lstat(path.c_str(), &about) == 0 && S_ISLNK(about.st_mode) && is_folder(path);
}

} // namespace

void set_up_process() {
    struct sigaction action = {};
    action.sa_handler       = on_interrupt;
    sigemptyset(&action.sa_mask);
    // Ctrl+C, a service manager's or timeout's stop, and a closed terminal window all end the
    // run the same way: the slot in progress stops within a frame and its file goes.
    for (const int stop : {SIGINT, SIGTERM, SIGHUP})
        sigaction(stop, &action, nullptr);
    // Past a file size limit a write should fail like a full disk, so the job removes the
    // file; the signal's default would kill the program and leave the file half written.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader that goes away (unbank -c ... | head) is a write error with its reason.
    std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() {
    return interrupt_seen != 0;
}

bool input_is_console() {
    return isatty(STDIN_FILENO);
}

bool errors_go_to_console() {
    return isatty(STDERR_FILENO);
}

bool output_goes_to_console() {
    return isatty(STDOUT_FILENO);
}

bool read_answer_line(char* line, int size) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (reply_state.load() != REPLY_ABORT) {
        const int ready = poll(&input, 1, POLL_MS);
        if (ready > 0) return std::fgets(line, size, stdin) != nullptr;
        if (ready < 0 && errno != EINTR) return false;
    }
    return false;
}

bool is_folder(const std::string& path) {
    struct stat about;
    return stat(path.c_str(), &about) == 0 && S_ISDIR(about.st_mode);
}

int make_one_folder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    DIR* listing = opendir(folder.c_str());
    if (!listing) return false;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        const std::string path = folder + "/" + name;
        if (name == "." || name == ".." || is_link_to_folder(path)) continue;
        struct stat about;
        entries.push_back({name, lstat(path.c_str(), &about) == 0 && S_ISDIR(about.st_mode)});
    }
    closedir(listing);
    return true;
}

void expand_wildcards(std::vector<std::string>&) {}
