// Finding, reading and answering dialog windows ("#32770": message boxes, the program's own
// dialogs, the Open and folder dialogs) of a process, as a person at the screen would.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

constexpr DWORD DIALOG_TIMEOUT_MS = 10000;

// Polls until the condition holds; false when the time ran out.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms);

// A visible dialog of the process, with the caption if one is given.
HWND find_dialog(DWORD process_id, const char* caption = nullptr);
HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms = DIALOG_TIMEOUT_MS);

std::string window_text(HWND window);
std::string child_text(HWND dialog, int id);
// The texts of the dialog's static controls, joined by newlines.
std::string static_texts(HWND dialog);
// True when the dialog shows an icon in a static control (a warning box does, a notice not).
bool shows_icon(HWND dialog);

// Presses a button as a click would: the dialog receives its command.
void press(HWND dialog, int button);

// Types a file name into the system's Open dialog, whose name field is an edit inside a
// combo box inside an extended combo box (cmb13).
void type_file_name(HWND open_dialog, const std::string& name);

struct SeenDialog {
    std::string caption;
    std::string text;
    bool icon;
};

// Answers every dialog of this process that appears, from a second thread, until stopped:
// the answer function looks at it (menus may be read meanwhile) and names the button to press.
class DialogWatcher {
  public:
    using Answer = std::function<int(HWND dialog, const SeenDialog& seen)>;

    explicit DialogWatcher(Answer answer = nullptr);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&)            = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    // Stops watching and returns what was seen, in order.
    std::vector<SeenDialog> stop();

  private:
    void watch();

    Answer answer_;
    std::atomic<bool> stopping_{false};
    std::vector<SeenDialog> seen_;
    std::mutex seen_lock_;
    std::thread thread_;
};
