// Finding, reading and answering the dialog windows ("#32770": message boxes, the program's
// own dialogs, the Open and folder dialogs) of a process, as a person at the screen would.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

// Polls until the condition holds, for 10 s at most; false when the time ran out.
inline bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start > timeout_ms) return false;
    return true;
}

// A visible dialog of the process, with the caption if one is given; nullptr if none came.
inline HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms = 10000) {
    HWND dialog = nullptr;
    wait_until(
        [&] {
            DWORD owner = 0;
            while ((dialog = FindWindowExA(nullptr, dialog, "#32770", caption)) != nullptr)
                if (GetWindowThreadProcessId(dialog, &owner) && owner == process_id &&
                    IsWindowVisible(dialog))
                    return true;
            return false;
        },
        timeout_ms);
    return dialog;
}

struct SeenDialog {
    std::string caption, text; // the text of its static controls, joined by newlines
    bool icon = false;         // a warning box shows one, a notice none
};

inline std::string text_of(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline BOOL CALLBACK read_static(HWND child, LPARAM context) {
    SeenDialog& seen = *reinterpret_cast<SeenDialog*>(context);
    char kind[16];
    GetClassNameA(child, kind, sizeof kind);
    if (lstrcmpiA(kind, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        seen.icon = seen.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
    else if (!text_of(child).empty())
        seen.text += (seen.text.empty() ? "" : "\n") + text_of(child);
    return TRUE;
}

inline SeenDialog read_dialog(HWND dialog) {
    SeenDialog seen{text_of(dialog), ""};
    EnumChildWindows(dialog, read_static, LPARAM(&seen));
    return seen;
}

// Answers every dialog of this process from a second thread until stopped: answer looks at
// it (the menus may be read meanwhile) and names the button to press. One that ignores the
// answer is cancelled, so that a test fails instead of hanging.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<int(HWND)> answer = [](HWND) { return IDOK; })
        : thread([this, answer] {
              while (!stopping) {
                  HWND dialog = wait_for_dialog(GetCurrentProcessId(), nullptr, 5);
                  if (dialog == nullptr) continue;
                  seen.push_back(read_dialog(dialog));
                  PostMessageA(dialog, WM_COMMAND, WPARAM(answer(dialog)), 0);
                  auto gone = [dialog] { return !IsWindowVisible(dialog); };
                  if (!wait_until(gone)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                  wait_until(gone);
              }
          }) {}
    ~DialogWatcher() { stop(); }

    std::vector<SeenDialog> stop() { // what was seen, in order
        stopping = true;
        if (thread.joinable()) thread.join();
        return seen;
    }

  private:
    std::atomic<bool> stopping{false};
    std::vector<SeenDialog> seen; // the watching thread's until it is joined
    std::thread thread;
};
