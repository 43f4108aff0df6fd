#include "output_file.h"

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

} // namespace
