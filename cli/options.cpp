#include "options.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <strings.h>

namespace {

// The man page unbank.1 shows these same lines; a test holds the two together.
const char usage_text[] =
    "usage: unbank [options] BANK.zp4...\n"
    "  -o, --output DIR    folder to write into, created if missing; with several banks\n"
    "                      each bank goes into DIR/NAME, NAME being the bank's file name\n"
    "                      without .zp4 (default: NAME in the current folder)\n"
    "  -y, --yes           overwrite existing files without asking (Yes to All)\n"
    "  -n, --no-clobber    never overwrite; skip each slot whose file exists (No)\n"
    "  -k, --keep-going    go on past a slot that cannot be read whole; its file is\n"
    "                      removed and the bank ends with status 1\n"
    "  -t, --test          read and decode every slot, write nothing, report damage\n"
    "  -l, --list          print the slot table, marking damaged slots; write nothing\n"
    "  -q, --quiet         no progress display and no closing summary\n"
    "  -h, --help          this text\n"
    "      --version       the version\n";

int usage_error(const std::string& message) {
    std::fprintf(stderr, "unbank: %s\n%s", message.c_str(), usage_text);
    return EXIT_USAGE;
}

bool is(const char* argument, const char* short_form, const char* long_form) {
    return !std::strcmp(argument, short_form) || !std::strcmp(argument, long_form);
}

// Two banks of one name would write into one folder, and their slots would collide.
int check_folders(const Options& options) {
    std::set<std::string> folders;
    for (const std::string& bank : options.banks)
        if (!folders.insert(output_folder(options, bank)).second)
            return usage_error("two banks would share the folder " + output_folder(options, bank));
    return -1;
}

} // namespace

int parse_options(int argc, char** argv, Options& options) {
    bool only_operands = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (only_operands || argument[0] != '-' || !argument[1]) {
            options.banks.push_back(argument);
        } else if (!std::strcmp(argument, "--")) {
            only_operands = true;
        } else if (is(argument, "-h", "--help")) {
            std::fputs(usage_text, stdout);
            return 0;
        } else if (!std::strcmp(argument, "--version")) {
            std::puts("unbank " UNBANK_VERSION);
            return 0;
        } else if (is(argument, "-o", "--output")) {
            if (i + 1 == argc) return usage_error(std::string("missing folder after ") + argument);
            options.output = argv[++i];
        } else if (is(argument, "-y", "--yes") || is(argument, "-n", "--no-clobber")) {
            const Overwrite wanted =
                is(argument, "-y", "--yes") ? Overwrite::All : Overwrite::Never;
            if (options.overwrite != Overwrite::Ask && options.overwrite != wanted)
                return usage_error("-y and -n exclude each other");
            options.overwrite = wanted;
        } else if (is(argument, "-k", "--keep-going")) {
            options.keep_going = true;
        } else if (is(argument, "-t", "--test")) {
            options.test = true;
        } else if (is(argument, "-l", "--list")) {
            options.list = true;
        } else if (is(argument, "-q", "--quiet")) {
            options.quiet = true;
        } else {
            return usage_error(std::string("unknown option ") + argument);
        }
    }
    if (options.banks.empty()) return usage_error("no bank given");
    if (options.test && options.list) return usage_error("-t and -l exclude each other");
    return options.list || options.test ? -1 : check_folders(options);
}

std::string bank_name(const std::string& bank) {
    const size_t slash  = bank.find_last_of('/');
    std::string name    = slash == std::string::npos ? bank : bank.substr(slash + 1);
    const size_t length = name.size();
    const bool has_zp4  = length > 4 && !strcasecmp(name.c_str() + length - 4, ".zp4");
    // Without the extension to drop, the folder would take the bank's own name.
    return has_zp4 ? name.substr(0, length - 4) : name + "_wav";
}

std::string output_folder(const Options& options, const std::string& bank) {
    if (options.banks.size() == 1) return options.output.empty() ? bank_name(bank) : options.output;
    if (options.output.empty()) return bank_name(bank);
    const bool ends_with_slash = options.output.back() == '/';
    return options.output + (ends_with_slash ? "" : "/") + bank_name(bank);
}
