#include "bank_search.h"

#include "extract_job.h"
#include "platform.h"
#include "test_banks.h"
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Names  = std::vector<std::string>;

// The names with the system's separator where they are written with '/'.
Names native(Names names) {
    for (std::string& name : names)
        std::replace(name.begin(), name.end(), '/', PATH_SEPARATOR);
    return names;
}

// Every rule of the walk on one tree: .zp4 in any case and nothing else, name order with each
// subfolder where its name falls, a folder named like a bank walked, a link to a folder left
// even when named like a bank.
TEST(FindBanks, WalksTheTreeInNameOrder) {
    const std::string top = fresh_folder();
    for (const char* file : {"b.zp4", "A.ZP4", "notes.txt", ".zp4", "zp4", "sub/c.Zp4",
                             "sub/deep/d.zp4", "x.zp4/e.zp4", "x.zp4/e.zp4.bak"}) {
        fs::create_directories(fs::path(join(top, file)).parent_path());
        write_bytes(join(top, file), {});
    }
    fs::create_directories(join(top, "empty"));
#ifndef _WIN32
    fs::create_directory_symlink(join(top, "sub"), join(top, "link.zp4"));
#endif
    std::vector<Bank> banks;
    std::string unreadable;
    ASSERT_TRUE(find_banks_in(top + "/", "", banks, unreadable));
    Names found;
    for (const Bank& bank : banks)
        found.push_back(bank.subfolders + " " + bank.path.substr(top.size() + 1));
    EXPECT_EQ(found, native({" A.ZP4", " b.zp4", "sub/ sub/c.Zp4", "sub/deep/ sub/deep/d.zp4",
                             "x.zp4/ x.zp4/e.zp4"}));
    EXPECT_FALSE(find_banks_in(join(top, "gone"), "", banks, unreadable));
    EXPECT_EQ(unreadable, join(top, "gone"));
}

// cmd leaves wildcards to the program; a POSIX shell has expanded them before.
TEST(FindBanks, WildcardsExpandOnWindowsInNameOrder) {
    const std::string top = fresh_folder();
    for (const char* file : {"b.zp4", "A.ZP4", "c.wav"})
        write_bytes(join(top, file), {});
    const Names typed = {join(top, "*.zp4"), join(top, "none*.zp4"), "plain.zp4"};
    Names arguments   = typed;
    expand_wildcards(arguments);
#ifdef _WIN32
    EXPECT_EQ(arguments, (Names{join(top, "A.ZP4"), join(top, "b.zp4"), typed[1], typed[2]}));
#else
    EXPECT_EQ(arguments, typed);
#endif
}

} // namespace
