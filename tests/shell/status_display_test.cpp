#include "main_window_fixture.h"

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

// A failure shows its box before anything changes; the end of a whole job first sets the menus
// idle but for the tray's Open..., which waits for the box to close. A cancel shows none. Every
// box has the program's name as its caption; a warning shows its icon.
TEST_F(MainWindowTest, EachFinalCodeShowsItsBoxThenSetsTheMenusIdle) {
    // clang-format off
    const std::tuple<uint32_t, const char*, bool, const char*> cases[] = {
        {JOB_DONE,        "Extract done!",             false, "+---"},
        {JOB_READ_ERROR,  "Read error",                true,  "-+-+"},
        {JOB_WRITE_ERROR, "Write error",               true,  "-+-+"},
        {JOB_NOT_BULK,    "Not ZP-4 file",             true,  "-+-+"},
        {JOB_EMPTY,       "ZP-4 file has no contents", true,  "-+-+"},
        {JOB_CANCELLED,   nullptr,                     false, nullptr},
        {8,               "Unknown error",             true,  "-+-+"},
        {0xFFFFFFFFu,     "Unknown error",             true,  "-+-+"}, // -1 as a signed code
    };
    // clang-format on
    for (const auto& [code, text, warning, menus_while_open] : cases) {
        std::string while_open;
        DialogWatcher watcher([&](HWND) {
            while_open = menus();
            return IDOK;
        });
        EXPECT_EQ(SendMessageA(window, WM_JOB_STATUS, JOB_WRITING, 0), 0);
        EXPECT_EQ(menus(), "-+-+") << code;
        EXPECT_EQ(SendMessageA(window, WM_JOB_STATUS, code, 0), 0);
        const std::vector<SeenDialog> seen = watcher.stop();
        EXPECT_EQ(menus(), "+-+-") << code;
        ASSERT_EQ(seen.size(), text ? 1u : 0u) << code;
        if (!text) continue;
        EXPECT_EQ(seen[0].caption, "UNBANK");
        EXPECT_EQ(seen[0].text, text);
        EXPECT_EQ(seen[0].icon, warning) << code;
        EXPECT_EQ(while_open, menus_while_open) << code;
    }
}

} // namespace
