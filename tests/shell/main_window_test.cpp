#include "main_window_fixture.h"
#include "resource.h"
#include "test_banks.h"
#include <cstring>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

// A strip as wide as half the picture and as high from a device context, as 32-bit pixels.
std::vector<uint32_t> capture(HDC source, int x) {
    BITMAPINFO info{};
    info.bmiHeader.biSize     = sizeof info.bmiHeader;
    info.bmiHeader.biWidth    = PICTURE_HALF;
    info.bmiHeader.biHeight   = -PICTURE_HEIGHT; // rows from the top
    info.bmiHeader.biPlanes   = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits                = nullptr;
    HBITMAP copy              = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC target                = CreateCompatibleDC(source);
    HGDIOBJ before            = SelectObject(target, copy);
    BitBlt(target, 0, 0, PICTURE_HALF, PICTURE_HEIGHT, source, x, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> strip(pixels, pixels + PICTURE_HALF * PICTURE_HEIGHT);
    SelectObject(target, before);
    DeleteDC(target);
    DeleteObject(copy);
    return strip;
}

// The left half of the progress picture is the outline, the right half the filled logo.
std::vector<uint32_t> picture_half(int x) {
    HBITMAP picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PROGRESS));
    HDC source      = CreateCompatibleDC(nullptr);
    HGDIOBJ before  = SelectObject(source, picture);
    std::vector<uint32_t> half = capture(source, x);
    SelectObject(source, before);
    DeleteDC(source);
    DeleteObject(picture);
    return half;
}

// A DROPFILES block as the shell hands it over: the names one after another, then a NUL.
HDROP make_drop(const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += file + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
    auto* header   = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, names.data(), names.size()); // GHND zeroed the closing NUL
    GlobalUnlock(memory);
    return HDROP(memory);
}

struct PaintCase {
    int current, total;
    int outline_rows; // from the top; the filled logo below them
};

// clang-format off
const PaintCase PAINT_CASES[] = {
    {100, 100, 41}, // before the first job: the outline whole
    {1,   3,   13}, // 41 / 3 rounded down
    {2,   3,   27},
};
// clang-format on

TEST_F(MainWindowTest, OutlineReplacesTheFilledLogoFromTheTopAsTheJobAdvances) {
    const std::vector<uint32_t> outline = picture_half(0);
    const std::vector<uint32_t> filled  = picture_half(PICTURE_HALF);
    for (const PaintCase& c : PAINT_CASES) {
        progress_current = c.current;
        progress_total   = c.total;
        InvalidateRect(window, nullptr, FALSE); // as the job asks after changing the counters
        UpdateWindow(window);
        HDC client                        = GetDC(window);
        const std::vector<uint32_t> shown = capture(client, 0);
        ReleaseDC(window, client);
        const size_t split = size_t(c.outline_rows) * PICTURE_HALF;
        std::vector<uint32_t> expected(outline.begin(), outline.begin() + split);
        expected.insert(expected.end(), filled.begin() + split, filled.end());
        EXPECT_TRUE(shown == expected) << c.current << "/" << c.total;
    }
}

TEST_F(MainWindowTest, CloseIsRefusedWhileAJobRuns) {
    busy_flag = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    busy_flag = 0;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, DropStartsAJobOnTheFirstFileOnly) {
    const std::string folder = fresh_folder("drops");
    const std::string notes  = join(folder, "notes.zp4");
    write_bytes(notes, {'n', 'o', 't', 'e', 's'});
    DialogWatcher watcher;
    for (const std::string& path : {folder, join(folder, "missing.zp4")}) {
        SendMessageA(window, WM_DROPFILES, WPARAM(make_drop({path})), 0);
        pump_until([] { return true; }); // the request it posts
        EXPECT_EQ(busy_flag.load(), 0) << "no job for " << path;
    }
    SendMessageA(window, WM_DROPFILES, WPARAM(make_drop({notes, folder})), 0);
    EXPECT_STREQ(bulk_path, notes.c_str());
    ASSERT_TRUE(pump_until([] { return busy_flag.load() == 0; }));
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Not ZP-4 file");
}

} // namespace
