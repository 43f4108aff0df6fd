#include "dialog_watch.h"
#include "extract_job.h"
#include "job_status.h"
#include "main_window.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "test_banks.h"
#include "test_files.h"
#include "window_state.h"
#include <cstring>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

constexpr int PICTURE_HALF   = 129;
constexpr int PICTURE_HEIGHT = 41;

// The rows, top to bottom, of a rectangle of a device context, as 32-bit pixels.
std::vector<uint32_t> capture(HDC source, int x, int y, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize     = sizeof info.bmiHeader;
    info.bmiHeader.biWidth    = width;
    info.bmiHeader.biHeight   = -height; // top-down
    info.bmiHeader.biPlanes   = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits                = nullptr;
    HBITMAP copy              = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC target                = CreateCompatibleDC(source);
    HGDIOBJ before            = SelectObject(target, copy);
    BitBlt(target, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> rows(pixels, pixels + size_t(width) * size_t(height));
    SelectObject(target, before);
    DeleteDC(target);
    DeleteObject(copy);
    return rows;
}

std::vector<uint32_t> picture_half(int x) {
    HBITMAP picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PROGRESS));
    HDC screen      = GetDC(nullptr);
    HDC source      = CreateCompatibleDC(screen);
    HGDIOBJ before  = SelectObject(source, picture);
    std::vector<uint32_t> half = capture(source, x, 0, PICTURE_HALF, PICTURE_HEIGHT);
    SelectObject(source, before);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    return half;
}

bool same_row(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int row) {
    return std::memcmp(&a[size_t(row) * PICTURE_HALF], &b[size_t(row) * PICTURE_HALF],
                       PICTURE_HALF * sizeof(uint32_t)) == 0;
}

HDROP make_drop(const std::vector<std::string>& files) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& file : files)
        bytes += file.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header   = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    char* names    = reinterpret_cast<char*>(header + 1);
    for (const std::string& file : files) {
        std::memcpy(names, file.c_str(), file.size() + 1);
        names += file.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

struct PaintCase {
    int current;
    int total;
    int outline_rows;
};

// clang-format off
const PaintCase PAINT_CASES[] = {
    {100, 100, 41}, // before the first job: the outline whole
    {0,   5,   0},  // a job starting: the filled logo whole
    {20,  41,  20},
    {1,   3,   13},
    {2,   3,   27},
};
// clang-format on

using MainWindowPaintTest = MainWindowTest;

TEST(OutlineRows, TruncateTowardZero) {
    for (const PaintCase& c : PAINT_CASES)
        EXPECT_EQ(outline_rows(PICTURE_HEIGHT, c.current, c.total), c.outline_rows)
            << c.current << "/" << c.total;
}

TEST_F(MainWindowPaintTest, OutlineReplacesTheFilledLogoFromTheTopAsTheJobAdvances) {
    const std::vector<uint32_t> outline = picture_half(0);
    const std::vector<uint32_t> filled  = picture_half(PICTURE_HALF);
    for (const PaintCase& c : PAINT_CASES) {
        progress_current = c.current;
        progress_total   = c.total;
        InvalidateRect(window, nullptr, FALSE); // as the job asks after changing the counters
        UpdateWindow(window);
        HDC client                        = GetDC(window);
        const std::vector<uint32_t> shown = capture(client, 0, 0, PICTURE_HALF, PICTURE_HEIGHT);
        ReleaseDC(window, client);
        for (int row = 0; row < PICTURE_HEIGHT; ++row) {
            const std::vector<uint32_t>& expected = row < c.outline_rows ? outline : filled;
            EXPECT_TRUE(same_row(shown, expected, row))
                << "row " << row << " at " << c.current << "/" << c.total;
        }
    }
}

using MainWindowCloseTest = MainWindowTest;

TEST_F(MainWindowCloseTest, CloseIsRefusedWhileAJobRuns) {
    busy_flag = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(reply_state.load(), REPLY_WRITE);
    busy_flag = 0;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowCloseTest, ExitDuringAJobAbortsItAndClosesAnyway) {
    busy_flag = 1;
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    busy_flag = 0;
    EXPECT_EQ(reply_state.load(), REPLY_ABORT);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowCloseTest, ExitWhileIdleLeavesTheReplyStateAlone) {
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(reply_state.load(), REPLY_WRITE);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowCloseTest, DestroyPostsTheQuitMessage) {
    DestroyWindow(window);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

using MainWindowCommandTest = MainWindowTest;

TEST_F(MainWindowCommandTest, AbortConvertSetsTheAbortReply) {
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, IDM_ABORT, 0), 0);
    EXPECT_EQ(reply_state.load(), REPLY_ABORT);
}

// The whole wParam is the command: a notification code in the high word makes it another one.
TEST_F(MainWindowCommandTest, OtherCommandsDoNothing) {
    DialogWatcher watcher;
    for (WPARAM id : {WPARAM(0), WPARAM(2), WPARAM(105), WPARAM(MAKEWPARAM(IDM_EXIT, 1)),
                      WPARAM(MAKEWPARAM(IDM_ABORT, 1)), WPARAM(MAKEWPARAM(IDM_ABOUT, 1))})
        EXPECT_EQ(SendMessageA(window, WM_COMMAND, id, 0), 0) << id;
    pump();
    EXPECT_TRUE(watcher.stop().empty());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(reply_state.load(), REPLY_WRITE);
}

TEST_F(MainWindowCommandTest, MinimiseHidesTheWindowInTheNotificationArea) {
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(ui.in_tray, 1);
    EXPECT_FALSE(IsWindowVisible(window));
}

using MainWindowDropTest = MainWindowTest;

TEST_F(MainWindowDropTest, FirstDroppedFileIsTakenAndRefusedWhileBusy) {
    busy_flag                = 1; // as if a job ran: the path is still taken, the request refused
    const std::string folder = fresh_folder("drops");
    const std::string first = join(folder, "first.zp4"), second = join(folder, "second.zp4");
    write_text(first, "x");
    write_text(second, "x");
    EXPECT_EQ(SendMessageA(window, WM_DROPFILES, WPARAM(make_drop({first, second})), 0), 0);
    EXPECT_STREQ(bulk_path, first.c_str());
    DialogWatcher watcher;
    pump();
    EXPECT_TRUE(watcher.stop().empty());
    EXPECT_EQ(busy_flag.load(), 1);
    busy_flag = 0;
}

TEST_F(MainWindowDropTest, DroppedFolderOrMissingFileStartsNothing) {
    const std::string folder = fresh_folder("drops");
    for (const std::string& path : {folder, join(folder, "missing.zp4")}) {
        DialogWatcher watcher;
        SendMessageA(window, WM_DROPFILES, WPARAM(make_drop({path})), 0);
        pump();
        EXPECT_EQ(busy_flag.load(), 0) << path;
        EXPECT_TRUE(watcher.stop().empty()) << path;
    }
}

TEST_F(MainWindowDropTest, DroppedFileThatIsNoBankEndsInItsWarning) {
    const std::string path = join(fresh_folder("drops"), "notes.zp4");
    write_text(path, "not a bank at all");
    DialogWatcher watcher;
    SendMessageA(window, WM_DROPFILES, WPARAM(make_drop({path})), 0);
    ASSERT_TRUE(pump_until([] { return busy_flag.load() == 0; }));
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Not ZP-4 file");
    EXPECT_EQ(progress_current.load(), progress_total.load());
}

} // namespace
