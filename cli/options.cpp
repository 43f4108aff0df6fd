#include "options.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

const char usage_text[] =
    "usage: unbank [-o DIR] [-y | -n] [-l] [-q] BANK.zp4\n"
    "  -o, --output DIR    folder to write into, created if missing\n"
    "                      (default: a folder named after the bank, BANK without .zp4,\n"
    "                      in the current folder)\n"
    "  -y, --yes           overwrite existing files without asking (Yes to All)\n"
    "  -n, --no-clobber    never overwrite; skip each slot whose file exists (No)\n"
    "  -l, --list          print the slot table and write nothing\n"
    "  -q, --quiet         no progress display\n"
    "  -h, --help          this text;  --version  the version\n";

int usage_error(const char* message, const char* argument) {
    std::fprintf(stderr, "unbank: %s%s\n%s", message, argument, usage_text);
    return EXIT_USAGE;
}

bool is(const char* argument, const char* short_form, const char* long_form) {
    return !std::strcmp(argument, short_form) || !std::strcmp(argument, long_form);
}

} // namespace

int parse_options(int argc, char** argv, Options& options) {
    bool only_operands = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (only_operands || argument[0] != '-' || !argument[1]) {
            if (!options.bank.empty()) return usage_error("more than one bank: ", argument);
            options.bank = argument;
        } else if (!std::strcmp(argument, "--")) {
            only_operands = true;
        } else if (is(argument, "-h", "--help")) {
            std::fputs(usage_text, stdout);
            return 0;
        } else if (!std::strcmp(argument, "--version")) {
            std::puts("unbank " UNBANK_VERSION);
            return 0;
        } else if (is(argument, "-o", "--output")) {
            if (i + 1 == argc) return usage_error("missing folder after ", argument);
            options.output = argv[++i];
        } else if (is(argument, "-y", "--yes") || is(argument, "-n", "--no-clobber")) {
            const Overwrite wanted =
                is(argument, "-y", "--yes") ? Overwrite::All : Overwrite::Never;
            if (options.overwrite != Overwrite::Ask && options.overwrite != wanted)
                return usage_error("-y and -n exclude each other", "");
            options.overwrite = wanted;
        } else if (is(argument, "-l", "--list")) {
            options.list = true;
        } else if (is(argument, "-q", "--quiet")) {
            options.quiet = true;
        } else {
            return usage_error("unknown option ", argument);
        }
    }
    if (options.bank.empty()) return usage_error("no bank given", "");
    return -1;
}

std::string default_output_folder(const std::string& bank) {
    const size_t slash  = bank.find_last_of('/');
    std::string name    = slash == std::string::npos ? bank : bank.substr(slash + 1);
    const size_t length = name.size();
    const bool has_zp4  = length > 4 && !strcasecmp(name.c_str() + length - 4, ".zp4");
    // Without the extension to drop, the folder would take the bank's own name.
    return has_zp4 ? name.substr(0, length - 4) : name + "_wav";
}
