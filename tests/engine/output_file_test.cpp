#include "output_file.h"

#include "test_banks.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// A file is written under a name that says it is unfinished and is no longer than the final
// one when that has a three-letter extension, so the folder's length bound holds for both.
TEST(TemporaryPath, ReplacesTheExtensionOfTheFileName) {
    const std::pair<const char*, const char*> cases[] = {
        {"o/07.wav", "o/07.tmp"},
        {"C:\\wav\\49s.wav", "C:\\wav\\49s.tmp"},
        {"demo.zp4", "demo.tmp"},
        {"old.TMP", "old.tm~"},
        {"disks.d/bank", "disks.d/bank.tmp"},
        {"disks.d\\bank", "disks.d\\bank.tmp"},
        {"bank.", "bank.tmp"},
    };
    for (const auto& [final_path, temporary] : cases) {
        char made[OUTPUT_PATH_BYTES];
        ASSERT_TRUE(temporary_path_of(final_path, made, sizeof made)) << final_path;
        EXPECT_EQ(std::string(made), temporary);
    }
    char small[9];
    EXPECT_TRUE(temporary_path_of("o/07.wav", small, sizeof small));
    EXPECT_FALSE(temporary_path_of("o/007", small, sizeof small)); // "o/007.tmp" and its end
}

// A second writer of the same name, in another run or this one, meets the first one's
// temporary file and is refused without emptying it: the first goes on and its file, longer
// than the buffer so that part of it is on disk already, takes the name whole. The name is
// free again once it has.
TEST(OutputFile, ASecondWriterOfTheSameNameIsRefusedWhileTheFirstWrites) {
    const std::string path = join(fresh_folder(), "07.wav");
    static OutputFile first, second; // their buffers are too large for the stack
    const Bytes whole(OUTPUT_BUFFER_BYTES * 3, 'w');
    ASSERT_TRUE(output_create(first, path.c_str()));
    ASSERT_TRUE(output_write(first, whole.data(), whole.size() / 2)); // a buffer on disk
    EXPECT_FALSE(output_create(second, path.c_str()));
    EXPECT_EQ(second.error, WRITTEN_BY_ANOTHER_RUN);
    ASSERT_TRUE(output_write(first, whole.data(), whole.size() / 2));
    ASSERT_TRUE(output_commit(first));
    EXPECT_EQ(read_bytes(path), whole);
    ASSERT_TRUE(output_create(second, path.c_str()));
    ASSERT_TRUE(output_write(second, "RIFF", 4));
    ASSERT_TRUE(output_commit(second));
    EXPECT_EQ(read_bytes(path), Bytes({'R', 'I', 'F', 'F'}));
}

} // namespace
