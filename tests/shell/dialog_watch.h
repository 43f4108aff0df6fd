// Finding, reading and answering the dialog windows ("#32770": message boxes, the program's
// own dialogs, the Open and folder dialogs) of a process, as a person at the screen would.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

constexpr DWORD DIALOG_TIMEOUT_MS = 10000;

// Polls until the condition holds; false when the time ran out.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms = DIALOG_TIMEOUT_MS);

// Waits for a visible dialog of the process, with the caption if one is given.
HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms = DIALOG_TIMEOUT_MS);

std::string window_text(HWND window);

struct SeenDialog {
    std::string caption;
    std::string text; // of its static controls, joined by newlines
    bool icon;        // a warning box shows one, a notice none
};
SeenDialog read_dialog(HWND dialog);

// Presses a button as a click would: the dialog receives its command.
void press(HWND dialog, int button);

// Types into the Open dialog's name field: an edit in a combo box in an extended combo box.
void type_file_name(HWND open_dialog, const std::string& name);

// Answers every dialog of this process from a second thread until stopped: the answer
// function looks at it (menus may be read meanwhile) and names the button to press.
class DialogWatcher {
  public:
    using Answer = std::function<int(HWND dialog)>;
    explicit DialogWatcher(Answer answer = [](HWND) { return IDOK; });
    ~DialogWatcher() { stop(); }
    // Stops watching and returns what was seen, in order.
    std::vector<SeenDialog> stop();

  private:
    Answer answer_;
    std::atomic<bool> stopping_{false};
    std::vector<SeenDialog> seen_; // the watching thread's until it is joined
    std::thread thread_;
};
