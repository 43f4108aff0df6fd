#include "dialog_watch.h"

namespace {

constexpr DWORD POLL_MS = 5;

BOOL CALLBACK read_static(HWND child, LPARAM context) {
    SeenDialog& seen = *reinterpret_cast<SeenDialog*>(context);
    char class_name[16];
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
    const std::string text = window_text(child);
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        seen.icon = seen.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
    else if (!text.empty())
        seen.text += (seen.text.empty() ? "" : "\n") + text;
    return TRUE;
}

} // namespace

bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(POLL_MS);
    }
    return true;
}

HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms) {
    HWND dialog = nullptr;
    auto found  = [&] {
        while ((dialog = FindWindowExA(nullptr, dialog, "#32770", caption)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(dialog, &owner);
            if (owner == process_id && IsWindowVisible(dialog)) return true;
        }
        return false;
    };
    wait_until(found, timeout_ms);
    return dialog;
}

std::string window_text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

SeenDialog read_dialog(HWND dialog) {
    SeenDialog seen{window_text(dialog), "", false};
    EnumChildWindows(dialog, read_static, LPARAM(&seen));
    return seen;
}

void press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, WPARAM(button), 0);
}

void type_file_name(HWND open_dialog, const std::string& name) {
    HWND field = GetDlgItem(open_dialog, 0x47C); // cmb13
    HWND combo = FindWindowExA(field, nullptr, "ComboBox", nullptr);
    HWND edit  = FindWindowExA(combo != nullptr ? combo : field, nullptr, "Edit", nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(name.c_str()));
}

DialogWatcher::DialogWatcher(Answer answer)
    : answer_(std::move(answer)), thread_([this] {
          while (!stopping_) {
              HWND dialog = wait_for_dialog(GetCurrentProcessId(), nullptr, POLL_MS);
              if (dialog == nullptr) continue;
              seen_.push_back(read_dialog(dialog));
              press(dialog, answer_(dialog));
              // One that ignores the answer is cancelled, so the test fails instead of hanging.
              auto gone = [dialog] { return !IsWindowVisible(dialog); };
              if (!wait_until(gone)) press(dialog, IDCANCEL);
              wait_until(gone);
          }
      }) {}

std::vector<SeenDialog> DialogWatcher::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
}
