// The closing summary of a run: what became of each bank's slots.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct BankTally {
    std::string bank;
    int32_t status = 0; // the bank's job status code
    std::string folder; // where its files went; empty when no slot was begun
    int slots   = 0;    // used slots of the bank
    int done    = 0;    // written, or read whole by a test
    int skipped = 0;    // kept because the file existed
    int failed  = 0;    // not written, or not read whole
};

// One line per bank, and a total line when there are several.
void print_summary(const std::vector<BankTally>& banks, bool test, std::FILE* out);
