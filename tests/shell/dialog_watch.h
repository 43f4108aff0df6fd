// Finding, reading and answering the dialog windows ("#32770": message boxes, the program's
// own dialogs, the Open and folder dialogs) of a process, as a person at the screen would.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

// Polls until the condition holds for at most 10 s; false when the time ran out.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000);
// A visible dialog of the process, with the caption if one is given; nullptr if none came.
HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms = 10000);

struct SeenDialog {
    std::string caption, text; // the text of its static controls, joined by newlines
    bool icon;                 // a warning box shows one, a notice none
};
SeenDialog read_dialog(HWND dialog);

// Answers every dialog of this process from a second thread until stopped: answer looks at
// it (the menus may be read meanwhile) and names the button to press.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<int(HWND)> answer = [](HWND) { return IDOK; });
    ~DialogWatcher() { stop(); }
    std::vector<SeenDialog> stop(); // what was seen, in order

  private:
    std::atomic<bool> stopping{false};
    std::vector<SeenDialog> seen; // the watching thread's until it is joined
    std::thread thread;
};
