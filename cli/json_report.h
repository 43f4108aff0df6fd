// unbank --json: the whole run as one JSON document, for scripts.
#pragma once
#include "options.h"
#include "run_summary.h"
#include <string>
#include <vector>

// The document: each bank in run order with its status and its chosen slots as -l lists them,
// with what -t read of them or what became of their files; then the run's totals and exit
// status. Names that are not valid UTF-8 keep their other characters, each bad byte standing
// as U+FFFD, so that the document stays valid.
std::string json_report(const Options& options, const std::vector<BankTally>& banks,
                        int exit_status);
