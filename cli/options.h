// The command line of unbank.
#pragma once
#include <string>
#include <vector>

enum class Overwrite { Ask, All, Never };

struct Options {
    std::vector<std::string> banks;
    std::string output; // empty: the current folder, or a folder named after a lone bank
    Overwrite overwrite = Overwrite::Ask;
    bool keep_going     = false;
    bool test           = false;
    bool list           = false;
    bool quiet          = false;
};

constexpr int EXIT_USAGE = 64;

// Fills options; returns -1 to go on, or the exit code when there is nothing more to do
// (help, version, a usage error already reported).
int parse_options(int argc, char** argv, Options& options);

// The folder a bank's files go to: with one bank, -o's folder or the bank's name; with
// several, the bank's name inside -o's folder (or the current one).
std::string output_folder(const Options& options, const std::string& bank);

// The bank's file name without its folder and without ".zp4".
std::string bank_name(const std::string& bank);
