#include "options.h"

#include "extract_job.h"
#include "platform.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <map>
#include <set>
#include <sstream>
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
    "  -s, --slot NAME     only the slots named, as -l names them (03.wav, 05s.wav) or\n"
    "                      without .wav (03, 05s); repeat it or list them: -s 00,05s\n"
    "  -c, --stdout        write the one slot named with -s to standard output\n"
    "      --flat          with -o DIR, every bank's files straight into DIR, named\n"
    "                      after their bank: drums-03.wav, floppy2-strings-03.wav\n"
    "      --json          one JSON document for the run on standard output\n"
    "  -h, --help          this text\n"
    "      --version       the version\n";

// The long options without a short form.
constexpr int VERSION = 256;
constexpr int FLAT    = 257;
constexpr int JSON    = 258;

// The leading ':' has a missing value reported as ':' rather than '?'.
const char short_options[] = ":o:ynktlqhs:c";

// clang-format off
const option long_options[] = {
    {"output",     required_argument, nullptr, 'o'},
    {"yes",        no_argument,       nullptr, 'y'},
    {"no-clobber", no_argument,       nullptr, 'n'},
    {"keep-going", no_argument,       nullptr, 'k'},
    {"test",       no_argument,       nullptr, 't'},
    {"list",       no_argument,       nullptr, 'l'},
    {"quiet",      no_argument,       nullptr, 'q'},
    {"slot",       required_argument, nullptr, 's'},
    {"stdout",     no_argument,       nullptr, 'c'},
    {"flat",       no_argument,       nullptr, FLAT},
    {"json",       no_argument,       nullptr, JSON},
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

// The id of a slot named as the listing names it ("03.wav", "05s.wav") or without ".wav";
// -1 for a name that is no slot's ("3x", "100", "50s").
int slot_id(std::string name) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wav") == 0)
        name.resize(name.size() - 4);
    const bool stereo = name.size() == 3 && name[2] == 's';
    if (name.size() != (stereo ? 3u : 2u) || !std::isdigit((unsigned char)name[0]) ||
        !std::isdigit((unsigned char)name[1]))
        return -1;
    const int number = (name[0] - '0') * 10 + (name[1] - '0');
    if (stereo && number >= STEREO_SLOTS) return -1;
    return stereo ? int(FIRST_STEREO_ID) + number : number;
}

// -s's comma-separated names: -1 to go on, else the usage error's exit code.
int choose_slots(const std::string& names, Options& options) {
    std::istringstream list(names);
    for (std::string name; std::getline(list, name, ',');) {
        const int id = slot_id(name);
        if (id < 0)
            return usage_error("no slot is named '" + name + "' (03, 03.wav, 05s, 05s.wav)");
        options.chosen[id] = true;
    }
    options.every_slot = false;
    return -1;
}

// What the options ask for together: -1 when it makes sense, else the usage error's exit code.
int check_combination(const Options& options) {
    if (options.banks.empty()) return usage_error("no bank given");
    if (options.test && options.list) return usage_error("-t and -l exclude each other");
    if (options.flat && options.output.empty()) return usage_error("--flat needs -o DIR");
    if (!options.to_stdout) return -1;
    if (options.test || options.list) return usage_error("-c excludes -l and -t");
    if (options.json) return usage_error("-c and --json exclude each other");
    if (!options.output.empty()) return usage_error("-c and -o exclude each other");
    if (std::count(std::begin(options.chosen), std::end(options.chosen), true) != 1)
        return usage_error("-c needs one slot named with -s");
    if (output_goes_to_console())
        return usage_error("-c writes a WAV file: standard output is a terminal");
    return -1;
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
    case 's': return choose_slots(optarg, options);
    case 'c': options.to_stdout = true; return -1;
    case FLAT: options.flat = true; return -1;
    case JSON: options.json = true; return -1;
    case 'h': std::fputs(usage_text, stdout); return 0;
    case VERSION: std::puts("unbank " UNBANK_VERSION); return 0;
    case ':': { // a missing value; MinGW's getopt_long also says so of a value given to --yes
        if (optopt != 'o' && optopt != 's') break;
        const bool long_form = std::strncmp(argv[optind - 1], "--", 2) == 0;
        const char* what     = optopt == 'o' ? "folder" : "slot";
        const char* after =
            optopt == 'o' ? (long_form ? "--output" : "-o") : (long_form ? "--slot" : "-s");
        return usage_error(std::string("missing ") + what + " after " + after);
    }
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
    return check_combination(options);
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "unbank: %s\nTry 'unbank --help' for more information.\n",
                 message.c_str());
    return EXIT_USAGE;
}

int check_output_folders(const Options& options) {
    if (options.to_stdout && options.banks.size() > 1) return usage_error("-c takes one bank");
    if (options.flat) {
        // Told apart regardless of case: a flat folder often goes to a memory card's file system.
        std::map<std::string, const Bank*> prefixes;
        for (const Bank& bank : options.banks) {
            std::string prefix = name_prefix(options, bank);
            std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            const auto [earlier, fresh] = prefixes.emplace(prefix, &bank);
            if (!fresh)
                return usage_error("banks " + earlier->second->path + " and " + bank.path +
                                   " would share file names in " + options.output);
        }
        return -1;
    }
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

bool slot_chosen(const Options& options, const SlotInfo& slot) {
    return options.every_slot || options.chosen[slot.id];
}

std::string name_prefix(const Options& options, const Bank& bank) {
    if (!options.flat) return "";
    std::string prefix = bank.subfolders + bank_name(bank.path) + "-";
    std::replace(prefix.begin(), prefix.end(), PATH_SEPARATOR, '-');
    return prefix;
}

std::string output_folder(const Options& options, const Bank& bank) {
    if (options.flat) return options.output;
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
