// unbank --list: the slot table of a bank, one row per used slot.
#pragma once
#include "job_status.h"
#include "options.h"
#include <cstdio>
#include <string>

// Prints the rows of the chosen slots to out (none when it is null), each damaged slot marked with
// the reason; returns 0, or the job status code of a bank that cannot be listed, with error_number
// the system's reason.
JobStatus list_slots(const std::string& bank, const Options& options, std::FILE* out,
                     int& error_number);
