#include "options.h"

#include "extract_job.h"
#include "platform.h"
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <set>
#include <strings.h>

namespace {

// The man page unbank.1 shows these same lines.
const char usage_text[] =
    "usage: unbank [options] BANK.zp4...\n"
    "  -o, --output DIR    folder to write into, created if missing; with several banks\n"
    "                      each bank goes into DIR/NAME, NAME being the bank's file name\n"
    "                      without .zp4 (default: NAME in the current folder); the banks\n"
    "                      of a folder given as BANK go into DIR/SUBFOLDERS/NAME\n"
    "  -y, --yes           overwrite existing files without asking (Yes to All)\n"
    "  -n, --no-clobber    never overwrite; skip each slot whose file exists (No)\n"
    "  -k, --keep-going    go on past a slot that cannot be read whole; its file is\n"
    "                      not written and the bank ends with status 1\n"
    "  -t, --test          read and decode every slot, write nothing, report damage\n"
    "  -l, --list          print the slot table, marking damaged slots; write nothing\n"
    "  -q, --quiet         no progress display and no closing summary\n"
    "  -h, --help          this text\n"
    "      --version       the version\n";

constexpr int VERSION = 256; // --version has no short form

// The leading ':' has a missing folder reported as ':' rather than '?'.
const char short_options[] = ":o:ynktlqh";

// clang-format off
const option long_options[] = {
    {"output",     required_argument, nullptr, 'o'},
    {"yes",        no_argument,       nullptr, 'y'},
    {"no-clobber", no_argument,       nullptr, 'n'},
    {"keep-going", no_argument,       nullptr, 'k'},
    {"test",       no_argument,       nullptr, 't'},
    {"list",       no_argument,       nullptr, 'l'},
    {"quiet",      no_argument,       nullptr, 'q'},
    {"help",       no_argument,       nullptr, 'h'},
    {"version",    no_argument,       nullptr, VERSION},
    {nullptr,      0,                 nullptr, 0},
};
// clang-format on

// What getopt_long refused: an unknown option as typed, or a long option given a value it does
// not take, optopt then holding that option's value.
std::string refusal(char** argv) {
    if (optopt == 0) return std::string("unknown option ") + argv[optind - 1];
    for (const option& known : long_options)
        if (known.name && known.val == optopt)
            return std::string("option --") + known.name + " takes no value";
    return std::string("unknown option -") + char(optopt);
}

// One option; -1 to go on, else the exit code.
int take_option(int option, char** argv, Options& options) {
    switch (option) {
    case 'o': options.output = optarg; return -1;
    case 'y':
    case 'n': {
        const Overwrite wanted = option == 'y' ? Overwrite::All : Overwrite::Never;
        if (options.overwrite != Overwrite::Ask && options.overwrite != wanted)
            return usage_error("-y and -n exclude each other");
        options.overwrite = wanted;
        return -1;
    }
    case 'k': options.keep_going = true; return -1;
    case 't': options.test = true; return -1;
    case 'l': options.list = true; return -1;
    case 'q': options.quiet = true; return -1;
    case 'h': std::fputs(usage_text, stdout); return 0;
    case VERSION: std::puts("unbank " UNBANK_VERSION); return 0;
    case ':': // a missing folder; MinGW's getopt_long also says so of a value given to --yes
        if (optopt != 'o') break;
        return usage_error(std::strncmp(argv[optind - 1], "--", 2) == 0
                               ? "missing folder after --output"
                               : "missing folder after -o");
    }
    return usage_error(refusal(argv));
}

} // namespace

int parse_options(int argc, char** argv, Options& options) {
    opterr = 0; // the messages are ours
    for (int option;
         (option = getopt_long(argc, argv, short_options, long_options, nullptr)) != -1;) {
        const int exit_code = take_option(option, argv, options);
        if (exit_code >= 0) return exit_code;
    }
    for (int i = optind; i < argc; ++i)
        options.banks.push_back(Bank{argv[i], false, ""});
    if (options.banks.empty()) return usage_error("no bank given");
    if (options.test && options.list) return usage_error("-t and -l exclude each other");
    return -1;
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "unbank: %s\nTry 'unbank --help' for more information.\n",
                 message.c_str());
    return EXIT_USAGE;
}

int check_output_folders(const Options& options) {
    std::set<std::string> folders;
    for (const Bank& bank : options.banks)
        if (!folders.insert(output_folder(options, bank)).second)
            return usage_error("two banks would share the folder " + output_folder(options, bank));
    return -1;
}

bool has_bank_extension(const std::string& name) {
    const size_t length = name.size();
    return length > 4 && !strcasecmp(name.c_str() + length - 4, ".zp4");
}

std::string bank_name(const std::string& bank) {
    const std::string name = bank.substr(bank.find_last_of(NAME_STARTS_AFTER) + 1); // npos + 1: 0
    // Without the extension to drop, the folder would take the bank's own name.
    return has_bank_extension(name) ? name.substr(0, name.size() - 4) : name + "_wav";
}

std::string output_folder(const Options& options, const Bank& bank) {
    const std::string name = bank_name(bank.path);
    if (bank.found_in_folder) return join_path(options.output, bank.subfolders + name);
    if (options.banks.size() == 1) return options.output.empty() ? name : options.output;
    return join_path(options.output, name);
}

std::string join_path(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const bool separated = std::strchr(NAME_STARTS_AFTER, folder.back()) != nullptr;
    return separated ? folder + name : folder + PATH_SEPARATOR + name;
}
