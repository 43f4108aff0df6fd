// The banks of a run: a folder named on the command line stands for the banks in it and in its
// subfolders, files ending in .zp4 in any case.
#pragma once
#include "options.h"
#include <string>
#include <vector>

// Adds the banks in folder and below it to banks, a folder's entries in name order and each
// subfolder where its name falls; links to folders are not followed. subfolders is the path from
// the named folder to this one, as Bank keeps it. False at a folder that cannot be read, named
// by unreadable, with errno saying why.
bool find_banks_in(const std::string& folder, const std::string& subfolders,
                   std::vector<Bank>& banks, std::string& unreadable);

// Expands wildcards where the shell leaves that to the program and puts the banks found in each
// named folder in its place. -1 to go on, or the exit code once reported: 64 when files would
// be extracted from a folder without -o (they would land among the banks), 1 for a folder that
// holds no bank or cannot be read.
int gather_banks(Options& options);
