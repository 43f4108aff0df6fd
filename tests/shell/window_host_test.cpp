#include "dialog_watch.h"
#include "extract_job.h"
#include "job_status.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "test_banks.h"
#include "test_files.h"
#include "window_host.h"
#include "window_state.h"
#include <atomic>
#include <cstring>
#include <shlobj.h>
#include <thread>

namespace {

std::string desktop_folder() {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
    return path;
}

class WindowHostTest : public MainWindowTest {
  protected:
    // Runs the call on a worker thread while this thread goes on dispatching, as the job
    // and the message loop do.
    void on_worker(const std::function<void()>& call) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            call();
            done = true;
        });
        EXPECT_TRUE(pump_until([&] { return done.load(); }));
        worker.join();
    }
};

TEST_F(WindowHostTest, ReportWaitsUntilTheWindowHasShownTheCode) {
    std::atomic<bool> returned{false};
    bool returned_while_open = true;
    DialogWatcher watcher([&](HWND, const SeenDialog&) {
        Sleep(100);
        returned_while_open = returned.load();
        return IDOK;
    });
    on_worker([&] {
        host_for(window).report(JOB_WRITE_ERROR);
        returned = true;
    });
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Write error");
    EXPECT_FALSE(returned_while_open);
}

TEST_F(WindowHostTest, CompletionIsPostedForLater) {
    DialogWatcher watcher;
    std::thread([&] { host_for(window).report_done(); }).join(); // needs no dispatching
    MSG queued;
    ASSERT_TRUE(PeekMessageA(&queued, window, WM_USER, WM_USER, PM_NOREMOVE));
    EXPECT_EQ(queued.wParam, WPARAM(JOB_DONE));
    pump();
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Extract done!");
}

TEST_F(WindowHostTest, RepaintRequestInvalidatesTheWholeClientArea) {
    ValidateRect(window, nullptr);
    std::thread([&] { host_for(window).request_repaint(); }).join();
    RECT update{}, client{};
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    GetClientRect(window, &client);
    EXPECT_TRUE(EqualRect(&update, &client));
}

TEST_F(WindowHostTest, ReportToAWindowThatIsGoneReturnsAtOnce) {
    DestroyWindow(window);
    DialogWatcher watcher;
    on_worker([&] { host_for(window).report(JOB_READ_ERROR); });
    EXPECT_TRUE(watcher.stop().empty());
}

struct FolderCase {
    int button;
    bool chosen;
};

TEST_F(WindowHostTest, FolderPromptOwnedByTheWindowGivesTheChosenFolder) {
    for (const FolderCase c : {FolderCase{IDOK, true}, FolderCase{IDCANCEL, false}}) {
        HWND owner = nullptr;
        DialogWatcher watcher([&](HWND dialog, const SeenDialog&) {
            owner = GetWindow(dialog, GW_OWNER);
            return c.button;
        });
        char folder[PATH_BYTES] = "";
        bool chosen             = !c.chosen;
        on_worker([&] { chosen = host_for(window).choose_folder(folder); });
        const std::vector<SeenDialog> seen = watcher.stop();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].text.find("WAVE extract folder to ..."), std::string::npos);
        EXPECT_EQ(owner, window);
        EXPECT_EQ(chosen, c.chosen);
        if (c.chosen) {
            EXPECT_STRCASEEQ(folder, desktop_folder().c_str());
        }
    }
}

// A whole job through the window: folder prompt, files, "Extract done!".
TEST_F(WindowHostTest, ExtractRequestRunsAWholeJobIntoTheChosenFolder) {
    const std::vector<BankSlot> slots = {mono_slot(0, 500), mono_slot(3, 70), stereo_slot(2, 300)};
    const std::string bank            = write_bank(fresh_folder("host"), "three slots.zp4", slots);
    const std::string desktop         = desktop_folder();
    for (const BankSlot& slot : slots)
        DeleteFileA(join(desktop, output_file_name(slot)).c_str());

    DialogWatcher watcher; // OK to the folder prompt and to the final box
    std::strcpy(bulk_path, bank.c_str());
    SendMessageA(window, WM_COMMAND, IDM_EXTRACT, 0);
    EXPECT_EQ(busy_flag.load(), 1);
    ASSERT_TRUE(pump_until([] { return busy_flag.load() == 0; }));
    pump(); // the posted completion
    const std::vector<SeenDialog> seen = watcher.stop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, "Extract done!");
    for (const BankSlot& slot : slots)
        EXPECT_TRUE(read_bytes(join(desktop, output_file_name(slot))) == expected_wav(slot))
            << output_file_name(slot);
    EXPECT_EQ(progress_current.load(), 4);
    EXPECT_EQ(progress_total.load(), 4);
}

} // namespace
