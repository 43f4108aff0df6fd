#include "window_host.h"

#include <shlobj.h>

namespace {

constexpr char FOLDER_PROMPT_TITLE[] = "WAVE extract folder to ...";

// Runs on the worker thread: it touches the window only through messages and repaint
// requests. A report to a window that no longer exists returns at once.
class WindowHost final : public JobHost {
  public:
    HWND window = nullptr;

    void report(JobStatus code) override {
        SendMessageA(window, WM_JOB_STATUS, WPARAM(uint32_t(code)), 0);
    }

    void report_done() override { PostMessageA(window, WM_JOB_STATUS, JOB_DONE, 0); }

    void request_repaint() override { InvalidateRect(window, nullptr, FALSE); }

    // The folder dialog needs COM on the thread that shows it.
    JobStatus choose_folder(char folder[PATH_BYTES]) override {
        CoInitialize(nullptr);
        BROWSEINFOA browse{};
        browse.hwndOwner      = window;
        browse.pszDisplayName = folder;
        browse.lpszTitle      = FOLDER_PROMPT_TITLE;
        browse.ulFlags        = BIF_RETURNONLYFSDIRS;
        PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse);
        const bool chosen     = item != nullptr && SHGetPathFromIDListA(item, folder);
        CoTaskMemFree(item);
        CoUninitialize();
        return chosen ? JOB_DONE : JOB_CANCELLED;
    }
};

WindowHost host;

} // namespace

JobHost& host_for(HWND window) {
    host.window = window;
    return host;
}
