// unbank --test: reads and decodes every used slot of a bank and writes nothing.
#pragma once
#include "options.h"
#include "run_summary.h"

// Reports each chosen slot that cannot be read whole on stderr, with the frames that could be
// read, and fills tally. Returns the code extraction would give: 0, 1 when a slot cannot be read
// whole, 1, 3 or 5 for the bank itself, 6 on Ctrl+C.
JobStatus check_bank(const Options& options, BankTally& tally);
