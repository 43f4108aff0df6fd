#include "console_host.h"

#include "error_reason.h"
#include "extract_job.h"
#include "platform.h"
#include <cerrno>
#include <cstdio>

namespace {

// Makes the folder and the parents it lacks: 0, or the reason as an errno value.
int make_folders(const std::string& folder) {
    if (is_folder(folder)) return 0;
    const size_t last = folder.find_last_not_of(NAME_STARTS_AFTER);
    const size_t end =
        last == std::string::npos ? last : folder.find_last_of(NAME_STARTS_AFTER, last);
    if (end != std::string::npos) {
        const int error = make_folders(folder.substr(0, end + 1)); // "/", "C:\" and "a/" stay whole
        if (error != 0) return error;
    }
    const int error = make_one_folder(folder);
    if (error == EEXIST && !is_folder(folder)) return ENOTDIR; // a file stands in the way
    return error == EEXIST ? 0 : error;
}

} // namespace

void print_failure(const std::string& bank, const std::string& where, JobStatus code,
                   int error_number, const char* after) {
    std::fprintf(stderr, "unbank: %s: %s%s%s%s%s%s\n", bank.c_str(), where.c_str(),
                 where.empty() ? "" : ": ", job_status_text(uint32_t(code)),
                 error_number ? ": " : "", error_number ? reason_text(error_number) : "", after);
}

ConsoleHost::ConsoleHost(const Options& options_, const std::string& bank_,
                         const std::string& folder_)
    : options(options_), bank(bank_), folder(folder_),
      show_progress(!options_.quiet && !options_.json && errors_go_to_console()) {}

void ConsoleHost::report(JobStatus code) {
    if (code == JOB_QUESTION) {
        reply_state = answer_question();
        return;
    }
    writing = code == JOB_WRITING;
    if (!writing) clear_progress(); // the job's final code
}

void ConsoleHost::report_done() {
    writing = false;
    clear_progress();
}

void ConsoleHost::report_damaged_slot() {
    clear_progress();
    std::fprintf(stderr, "unbank: %s: %s cannot be read whole; its file is not written\n",
                 bank.c_str(), output_name);
}

void ConsoleHost::request_repaint() {
    // After each slot: how many are done, and the last one's file.
    const int32_t done = progress_current.load() - 1, total = progress_total.load() - 1;
    if (!writing || !show_progress || done < 1) return;
    clear_progress();
    progress_width = std::fprintf(stderr, "[%d/%d] %s", done, total, output_name);
    std::fflush(stderr);
}

JobStatus ConsoleHost::choose_folder(char chosen[PATH_BYTES]) {
    const int error = make_folders(folder);
    if (error != 0) {
        errno = error;
        return JOB_WRITE_ERROR;
    }
    std::snprintf(chosen, PATH_BYTES, "%s", folder.c_str());
    return JOB_DONE;
}

int32_t ConsoleHost::answer_question() {
    switch (options.overwrite) {
    case Overwrite::All: return REPLY_YES_TO_ALL;
    case Overwrite::Never: return REPLY_NO;
    case Overwrite::Ask: break;
    }
    clear_progress();
    if (input_is_console()) return ask_terminal();
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

// Blanks over the line and back to its start: a Windows console knows no erase sequence.
void ConsoleHost::clear_progress() {
    if (progress_width <= 0) return;
    std::fprintf(stderr, "\r%*s\r", progress_width, "");
    progress_width = 0;
}
