// unbank --list: the slot table of a bank, one row per used slot.
#pragma once
#include <cstdio>

// Prints the rows to out; returns 0, or the job status code of a bank that cannot be listed.
int list_slots(const char* bank, std::FILE* out);
