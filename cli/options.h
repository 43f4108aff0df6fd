// The command line of unbank.
#pragma once
#include <string>

enum class Overwrite { Ask, All, Never };

struct Options {
    std::string bank;
    std::string output; // empty: a folder named after the bank, in the current folder
    Overwrite overwrite = Overwrite::Ask;
    bool list           = false;
    bool quiet          = false;
};

constexpr int EXIT_USAGE = 64;

// Fills options; returns -1 to go on, or the exit code when there is nothing more to do
// (help, version, a usage error already reported).
int parse_options(int argc, char** argv, Options& options);

// The default output folder: the bank's file name without ".zp4".
std::string default_output_folder(const std::string& bank);
