#include "main_window_fixture.h"
#include "resource.h"
#include <string>
#include <vector>

namespace {

// The menus as four marks, + enabled and - greyed: the File menu's Open... and Abort Convert,
// then the tray menu's.
std::string menus() {
    std::string marks;
    for (HMENU menu : {ui.file_menu, ui.tray_menu})
        for (UINT command : {IDM_OPEN, IDM_ABORT})
            marks += enabled(menu, command) ? '+' : '-';
    return marks;
}

constexpr char IDLE[] = "+-+-";
constexpr char BUSY[] = "-+-+";

struct StatusCase {
    uint32_t code;
    const char* text; // of the box; none for a cancel
    bool warning;     // a warning shows its icon, the notice none
    const char* menus_while_open;
};

// A failure shows its box before anything changes; the end of a full job first sets the
// menus idle except the tray's Open..., which waits for the box to close.
// clang-format off
const StatusCase STATUS_CASES[] = {
    {JOB_DONE,        "Extract done!",             false, "+---"},
    {JOB_READ_ERROR,  "Read error",                true,  BUSY},
    {JOB_WRITE_ERROR, "Write error",               true,  BUSY},
    {JOB_NOT_BULK,    "Not ZP-4 file",             true,  BUSY},
    {JOB_EMPTY,       "ZP-4 file has no contents", true,  BUSY},
    {JOB_CANCELLED,   nullptr,                     false, nullptr},
    {8,               "Unknown error",             true,  BUSY},
    {0xFFFFFFFFu,     "Unknown error",             true,  BUSY}, // -1 as a signed code
};
// clang-format on

using StatusDisplayTest = MainWindowTest;

TEST_F(StatusDisplayTest, EachFinalCodeShowsItsBoxThenSetsTheMenusIdle) {
    EXPECT_EQ(menus(), IDLE);
    for (const StatusCase& c : STATUS_CASES) {
        std::string while_open;
        DialogWatcher watcher([&](HWND) {
            while_open = menus();
            return IDOK;
        });
        EXPECT_EQ(SendMessageA(window, WM_JOB_STATUS, JOB_WRITING, 0), 0);
        EXPECT_EQ(menus(), BUSY) << c.code;
        EXPECT_EQ(SendMessageA(window, WM_JOB_STATUS, c.code, 0), 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        EXPECT_EQ(menus(), IDLE) << c.code;
        ASSERT_EQ(seen.size(), c.text != nullptr ? 1u : 0u) << c.code;
        if (seen.empty()) continue;
        EXPECT_EQ(seen[0].caption, "UNBANK") << c.code;
        EXPECT_EQ(seen[0].text, c.text) << c.code;
        EXPECT_EQ(seen[0].icon, c.warning) << c.code;
        EXPECT_EQ(while_open, c.menus_while_open) << c.code;
    }
}

} // namespace
