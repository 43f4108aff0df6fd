#include "main_window_fixture.h"
#include "test_banks.h"
#include <cstring>
#include <shlobj.h>

namespace {

TEST_F(MainWindowTest, CloseIsRefusedWhileAJobRuns) {
    busy_flag = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1);
    busy_flag = 0;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

// Names dropped as the shell hands them over, one after another, then a NUL. A folder or a
// missing file starts no job; of several files, the first is taken.
TEST_F(MainWindowTest, DropStartsAJobOnTheFirstFileOnly) {
    const std::string folder = fresh_folder(), notes = join(folder, "notes.zp4");
    write_bytes(notes, {'n', 'o'});
    DialogWatcher watcher;
    for (const std::string& names :
         {folder + '\0', folder + "\\missing.zp4" + '\0', notes + '\0' + folder + '\0'}) {
        HGLOBAL drop   = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
        auto* header   = static_cast<DROPFILES*>(GlobalLock(drop));
        header->pFiles = sizeof(DROPFILES);
        std::memcpy(header + 1, names.data(), names.size()); // GHND zeroed the closing NUL
        GlobalUnlock(drop);
        SendMessageA(window, WM_DROPFILES, WPARAM(drop), 0);
        pump_until([] { return busy_flag.load() == 0; }); // after the request it posts
    }
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u) << "a job for the folder or the missing file";
    EXPECT_EQ(seen[0].text, "Not ZP-4 file");
}

} // namespace
