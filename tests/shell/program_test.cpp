#include "main_window_fixture.h"
#include <string>

namespace {

const std::string LONGEST(PATH_BYTES - 1, 'a');

// Every double-quote character goes, wherever it stands; blanks stay. A text too long for a
// path is refused rather than cut.
TEST(TakeCommandLine, DropsEveryDoubleQuoteAndRefusesATextTooLongForAPath) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\banks\\one.zp4", "C:\\banks\\one.zp4"},
        {"\"C:\\my banks\\one.zp4\"", "C:\\my banks\\one.zp4"},
        {"\"C:\\odd\"name.zp4\"", "C:\\oddname.zp4"},
        {"\"C:\\a.zp4\" \"C:\\b.zp4\"", "C:\\a.zp4 C:\\b.zp4"},
        {"\"" + LONGEST + "\"", LONGEST},
        {LONGEST + "a", ""},
    };
    for (const auto& [text, path] : cases) {
        take_command_line(text.c_str());
        EXPECT_EQ(bulk_path, path) << text;
    }
}

// The client area is half the progress picture, 129 by 41; the frame cannot be resized.
TEST_F(MainWindowTest, WindowFitsItsPictureAndKeepsItsSize) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 129);
    EXPECT_EQ(client.bottom, 41);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
              WS_MINIMIZEBOX);
}

} // namespace
