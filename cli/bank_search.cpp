#include "bank_search.h"

#include "console_host.h"
#include "extract_job.h"
#include "platform.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>

bool find_banks_in(const std::string& folder, const std::string& subfolders,
                   std::vector<Bank>& banks, std::string& unreadable) {
    std::vector<FolderEntry> entries;
    if (!list_folder(folder, entries)) {
        unreadable = folder;
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) {
        const std::string path = join_path(folder, entry.name);
        if (entry.is_folder) {
            if (!find_banks_in(path, subfolders + entry.name + PATH_SEPARATOR, banks, unreadable))
                return false;
        } else if (has_bank_extension(entry.name)) {
            banks.push_back(Bank{path, true, subfolders});
        }
    }
    return true;
}

int gather_banks(Options& options) {
    std::vector<std::string> arguments;
    for (const Bank& bank : options.banks)
        arguments.push_back(bank.path);
    expand_wildcards(arguments);

    const bool extracting = !options.list && !options.test && !options.to_stdout; // into files
    std::vector<Bank> banks;
    for (const std::string& argument : arguments) {
        if (!is_folder(argument)) {
            banks.push_back(Bank{argument, false, ""});
            continue;
        }
        if (extracting && options.output.empty())
            return usage_error("a folder of banks needs -o DIR for their files: " + argument);
        const size_t before = banks.size();
        std::string unreadable;
        if (!find_banks_in(argument, "", banks, unreadable)) {
            print_failure(unreadable, "", JOB_READ_ERROR, errno);
            return JOB_READ_ERROR;
        }
        if (banks.size() == before) {
            std::fprintf(stderr, "unbank: no .zp4 file in %s\n", argument.c_str());
            return JOB_READ_ERROR;
        }
    }
    options.banks.swap(banks);
    return -1;
}
