#include "dialog_watch.h"

namespace {

std::string text_of(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK read_static(HWND child, LPARAM context) {
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

} // namespace

bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start > timeout_ms) return false;
    return true;
}

HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms) {
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

SeenDialog read_dialog(HWND dialog) {
    SeenDialog seen{text_of(dialog), "", false};
    EnumChildWindows(dialog, read_static, LPARAM(&seen));
    return seen;
}

DialogWatcher::DialogWatcher(std::function<int(HWND)> answer)
    : thread([this, answer] {
          while (!stopping) {
              HWND dialog = wait_for_dialog(GetCurrentProcessId(), nullptr, 5);
              if (dialog == nullptr) continue;
              seen.push_back(read_dialog(dialog));
              PostMessageA(dialog, WM_COMMAND, WPARAM(answer(dialog)), 0);
              // One that ignores the answer is cancelled, so the test fails instead of hanging.
              auto gone = [dialog] { return !IsWindowVisible(dialog); };
              if (!wait_until(gone)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
              wait_until(gone);
          }
      }) {}

std::vector<SeenDialog> DialogWatcher::stop() {
    stopping = true;
    if (thread.joinable()) thread.join();
    return seen;
}
