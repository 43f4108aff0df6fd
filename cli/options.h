// The command line of unbank.
#pragma once
#include "slot_info.h"
#include <string>
#include <vector>

enum class Overwrite { Ask, All, Never };

// A bank of the run: a file named on the command line, or one found in a folder named there.
struct Bank {
    std::string path;
    bool found_in_folder = false;
    std::string subfolders; // found: the path from the named folder to the bank's folder, each
                            // name followed by a separator ("" at the top)
};

struct Options {
    std::vector<Bank> banks;
    std::string output; // empty: the current folder, or a folder named after a lone bank
    Overwrite overwrite    = Overwrite::Ask;
    bool keep_going        = false;
    bool test              = false;
    bool list              = false;
    bool quiet             = false;
    bool json              = false; // one JSON document on stdout for the run
    bool flat              = false; // every bank's files straight into -o's folder
    bool to_stdout         = false; // -c: the one chosen slot's WAV file on stdout
    bool every_slot        = true;  // else only the slots chosen with --slot, by id
    bool chosen[MAX_SLOTS] = {};
};

constexpr int EXIT_USAGE = 64;

// Fills options; returns -1 to go on, or the exit code when there is nothing more to do
// (help, version, a usage error already reported).
int parse_options(int argc, char** argv, Options& options);

// Reports a usage error in one line and a hint; returns the exit code for it.
int usage_error(const std::string& message);

// Refuses two banks whose files would go to one folder, where their slots would collide, and -c
// on more than one bank: -1 to go on, or the usage error's exit code.
int check_output_folders(const Options& options);

// The folder a bank's files go to: with one bank named alone, -o's folder or the bank's name;
// with several, the bank's name inside -o's folder (or the current one); for a bank found in a
// named folder, its name inside the same subfolders of -o's folder.
std::string output_folder(const Options& options, const Bank& bank);

// Whether the run is to take the slot.
bool slot_chosen(const Options& options, const SlotInfo& slot);

// With --flat, what comes before each of a bank's file names: the bank's path below the folder
// it was found in, or its name alone, separators turned into '-', then a '-' ("floppy2-b-").
// Without it, "".
std::string name_prefix(const Options& options, const Bank& bank);

// The bank's file name without its folder and without ".zp4".
std::string bank_name(const std::string& bank);

// Whether a file name ends in ".zp4", in any case, with a name before it.
bool has_bank_extension(const std::string& name);

// name inside folder, with the system's separator where folder does not end in one.
std::string join_path(const std::string& folder, const std::string& name);
