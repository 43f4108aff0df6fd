#include "console_host.h"

#include "extract_job.h"
#include "job_status.h"
#include "slot_writer.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int POLL_MS = 100;

// Waits for a line on the terminal; gives up when Ctrl+C asked for an abort meanwhile.
bool read_answer_line(char* line, int size) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (reply_state.load() != REPLY_ABORT) {
        const int ready = poll(&input, 1, POLL_MS);
        if (ready > 0) return std::fgets(line, size, stdin) != nullptr;
        if (ready < 0 && errno != EINTR) return false;
    }
    return false;
}

} // namespace

void print_failure(const std::string& bank, int32_t code, int error) {
    std::fprintf(stderr, "unbank: %s: %s%s%s\n", bank.c_str(), job_status_text(uint32_t(code)),
                 error ? ": " : "", error ? std::strerror(error) : "");
}

ConsoleHost::ConsoleHost(const Options& options_, BankTally& tally_)
    : options(options_), tally(tally_), show_progress(!options_.quiet && isatty(STDERR_FILENO)) {}

void ConsoleHost::report(int32_t code) {
    if (code == JOB_QUESTION) {
        reply_state          = answer_question();
        const int32_t answer = reply_state.load();
        if (answer != REPLY_WRITE && answer != REPLY_YES_TO_ALL && answer != REPLY_ABORT)
            ++tally.skipped;
        return;
    }
    if (code == JOB_WRITING) {
        writing = true;
        return;
    }
    // A keep-going job ends with a read error when slots were damaged; they are reported.
    const bool damage_reported = code == JOB_READ_ERROR && tally.failed > 0;
    const bool slot_failed =
        writing && !damage_reported && (code == JOB_READ_ERROR || code == JOB_WRITE_ERROR);
    finish(folder_failed ? int32_t(JOB_WRITE_ERROR) : code);
    if (slot_failed) ++tally.failed; // the slot in progress, never counted as processed
    if (code == JOB_CANCELLED || damage_reported) return;
    // A failure inside a slot names the slot, and a write failure the system's reason.
    if (slot_failed)
        print_failure(tally.bank + ": " + output_name, code,
                      code == JOB_WRITE_ERROR ? output_error_number() : 0);
    else
        print_failure(tally.bank, code);
}

void ConsoleHost::report_done() {
    finish(JOB_DONE);
}

void ConsoleHost::report_damaged_slot() {
    clear_progress();
    ++tally.failed;
    std::fprintf(stderr, "unbank: %s: %s cannot be read whole; its file is removed\n",
                 tally.bank.c_str(), output_name);
}

void ConsoleHost::request_repaint() {
    // After each slot: how many are done, and the last one's file.
    const int32_t done = progress_current.load() - 1, total = progress_total.load() - 1;
    if (writing) processed = done;
    if (!show_progress || done < 1) return;
    std::fprintf(stderr, "\r\033[K[%d/%d] %s", done, total, output_name);
    std::fflush(stderr);
    progress_shown = true;
}

bool ConsoleHost::choose_folder(char chosen[PATH_BYTES]) {
    const std::string& folder = tally.folder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || folder.size() >= size_t(PATH_BYTES)) {
        std::fprintf(stderr, "unbank: cannot use folder %s: %s\n", folder.c_str(),
                     error ? error.message().c_str() : "path too long");
        folder_failed = true;
        return false;
    }
    std::snprintf(chosen, PATH_BYTES, "%s", folder.c_str());
    return true;
}

int32_t ConsoleHost::answer_question() {
    switch (options.overwrite) {
    case Overwrite::All: return REPLY_YES_TO_ALL;
    case Overwrite::Never: return REPLY_NO;
    case Overwrite::Ask: break;
    }
    clear_progress();
    if (isatty(STDIN_FILENO)) return ask_terminal();
    std::fprintf(stderr, "%s exists, skipped (use -y to overwrite)\n", output_name);
    return REPLY_NO;
}

// The four answers of the window's prompt; end of input or Ctrl+C cancels.
int32_t ConsoleHost::ask_terminal() {
    for (;;) {
        std::fprintf(stderr,
                     "%s already exists. Overwrite? [y]es, [a]ll, [n]o, [c]ancel: ", output_name);
        std::fflush(stderr);
        char line[64];
        if (!read_answer_line(line, sizeof line)) {
            std::fputc('\n', stderr);
            return REPLY_ABORT;
        }
        switch (line[0] | 0x20) {
        case 'y': return REPLY_WRITE;
        case 'a': return REPLY_YES_TO_ALL;
        case 'n': return REPLY_NO;
        case 'c': return REPLY_ABORT;
        }
    }
}

// The job's last word: the tally takes the slots the job got through.
void ConsoleHost::finish(int32_t code) {
    clear_progress();
    show_progress = false;
    if (writing) {
        tally.slots = progress_total.load() - 1;
        tally.done  = processed - tally.skipped - tally.failed; // damaged slots are processed
    }
    writing    = false;
    final_code = code;
}

void ConsoleHost::clear_progress() {
    if (!progress_shown) return;
    std::fputs("\r\033[K", stderr);
    progress_shown = false;
}
