#include "main_window_fixture.h"
#include <string>

namespace {

struct CommandLineCase {
    std::string text, path;
};

const std::string LONGEST(PATH_BYTES - 1, 'a');

// Every double-quote character goes, wherever it stands; blanks stay. A text too long for a
// path is refused rather than cut.
// clang-format off
const CommandLineCase COMMAND_LINES[] = {
    {"C:\\banks\\one.zp4",          "C:\\banks\\one.zp4"},
    {"\"C:\\my banks\\one.zp4\"",   "C:\\my banks\\one.zp4"},
    {"\"C:\\odd\"name.zp4\"",       "C:\\oddname.zp4"},
    {"\"C:\\a.zp4\" \"C:\\b.zp4\"", "C:\\a.zp4 C:\\b.zp4"},
    {"\"" + LONGEST + "\"",         LONGEST},
    {LONGEST + "a",                 ""},
};
// clang-format on

TEST(TakeCommandLine, DropsEveryDoubleQuoteAndRefusesATextTooLongForAPath) {
    for (const CommandLineCase& c : COMMAND_LINES) {
        take_command_line(c.text.c_str());
        EXPECT_EQ(bulk_path, c.path) << c.text;
    }
}

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, WindowHoldsHalfThePictureInAFrameThatCannotBeResized) {
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, PICTURE_HALF + GetSystemMetrics(SM_CXEDGE) +
                                            GetSystemMetrics(SM_CXDLGFRAME) +
                                            GetSystemMetrics(SM_CXBORDER));
    EXPECT_EQ(outer.bottom - outer.top,
              PICTURE_HEIGHT + GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYDLGFRAME) +
                  GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION) +
                  GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) &
                  (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
}

} // namespace
