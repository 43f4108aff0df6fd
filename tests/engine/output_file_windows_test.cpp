#include "output_file.h"

#include "test_banks.h"
#include <cerrno>
#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Another program holds the final file open without leave to delete it, as a player does:
// the system refuses the rename, which fails the file with its reason; the earlier file stays
// as it was and no temporary file is left.
TEST(OutputFileWindows, AFileOpenInAnotherProgramIsNotReplaced) {
    const std::string folder = fresh_folder(), path = join(folder, "07.wav");
    plant(path);
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    static OutputFile file; // its buffer is too large for the stack
    ASSERT_TRUE(output_create(file, path.c_str()));
    ASSERT_TRUE(output_write(file, "RIFF", 4));
    EXPECT_FALSE(output_commit(file));
    EXPECT_EQ(file.error, EACCES);
    CloseHandle(held);
    EXPECT_EQ(folder_contents(folder), "07.wav");
}

} // namespace
