#include "dialog_watch.h"
#include "extract_job.h"
#include "main_window_fixture.h"
#include "program.h"
#include "resource.h"
#include "window_state.h"
#include <string>

namespace {

struct CommandLineCase {
    const char* text;
    const char* path;
};

// Every double-quote character goes, wherever it stands; blanks stay.
// clang-format off
const CommandLineCase COMMAND_LINES[] = {
    {"C:\\banks\\one.zp4",          "C:\\banks\\one.zp4"},
    {"\"C:\\my banks\\one.zp4\"",   "C:\\my banks\\one.zp4"},
    {"\"C:\\odd\"name.zp4\"",       "C:\\oddname.zp4"},
    {"\"C:\\a.zp4\" \"C:\\b.zp4\"", "C:\\a.zp4 C:\\b.zp4"},
    {"\"\"",                        ""},
};
// clang-format on

TEST(TakeCommandLine, DropsEveryDoubleQuoteAndKeepsTheRest) {
    for (const CommandLineCase& c : COMMAND_LINES) {
        take_command_line(c.text);
        EXPECT_STREQ(bulk_path, c.path) << c.text;
    }
}

TEST(TakeCommandLine, FillsTheBufferToItsLastCharacter) {
    const std::string longest(PATH_BYTES - 1, 'a');
    take_command_line(("\"" + longest + "\"").c_str());
    EXPECT_EQ(std::string(bulk_path), longest);
}

TEST(TakeCommandLine, RefusesATextTooLongForAPath) {
    take_command_line(std::string(PATH_BYTES, 'a').c_str());
    EXPECT_STREQ(bulk_path, "");
}

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, WindowIsSizedForHalfThePictureAndItsFrame) {
    RECT outer;
    GetWindowRect(window, &outer);
    const int frame_x = GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXDLGFRAME) +
                        GetSystemMetrics(SM_CXBORDER);
    const int frame_y = GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYDLGFRAME) +
                        GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION) +
                        GetSystemMetrics(SM_CYMENU);
    EXPECT_EQ(outer.right - outer.left, 129 + frame_x);
    EXPECT_EQ(outer.bottom - outer.top, 41 + frame_y);
}

TEST_F(StartUpTest, WindowHasNoSizingBorderNorMaximiseBox) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(window_text(window), "UNBANK");
}

TEST_F(StartUpTest, MenusStartIdle) {
    for (HMENU menu : {ui.file_menu, ui.tray_menu}) {
        EXPECT_TRUE(enabled(menu, IDM_OPEN));
        EXPECT_FALSE(enabled(menu, IDM_ABORT));
        EXPECT_TRUE(enabled(menu, IDM_EXIT));
    }
}

} // namespace
