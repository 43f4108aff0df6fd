#include "job_status.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(JobStatusText, EveryCodeHasItsText)
{
    struct Case {
        uint32_t code;
        const char* text;
    } cases[] = {
        {0, "Extract done!"},
        {1, "Read error"},
        {2, "Write error"},
        {3, "Not ZP-4 file"},
        {4, ""},
        {5, "ZP-4 file has no contents"},
        {6, ""},
        {7, ""},
        {8, "Unknown error"},
        {0xFFFFFFFFu, "Unknown error"},
    };
    for (const Case& c : cases) EXPECT_EQ(std::string(job_status_text(c.code)), c.text) << c.code;
}

} // namespace
