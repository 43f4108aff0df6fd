#include "dialog_watch.h"

namespace {

constexpr DWORD POLL_MS = 5;

struct Search {
    DWORD process_id;
    const char* caption;
    HWND found;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD owner    = 0;
    GetWindowThreadProcessId(window, &owner);
    char class_name[16];
    GetClassNameA(window, class_name, sizeof class_name);
    if (owner != search.process_id || lstrcmpA(class_name, "#32770") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    if (search.caption != nullptr && window_text(window) != search.caption) return TRUE;
    search.found = window;
    return FALSE;
}

struct Statics {
    std::string text;
    bool icon;
};

BOOL CALLBACK collect_static(HWND child, LPARAM context) {
    Statics& statics = *reinterpret_cast<Statics*>(context);
    char class_name[16];
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        statics.icon = statics.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
    } else {
        const std::string text = window_text(child);
        if (!text.empty()) statics.text += (statics.text.empty() ? "" : "\n") + text;
    }
    return TRUE;
}

Statics read_statics(HWND dialog) {
    Statics statics{"", false};
    EnumChildWindows(dialog, collect_static, reinterpret_cast<LPARAM>(&statics));
    return statics;
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

HWND find_dialog(DWORD process_id, const char* caption) {
    Search search{process_id, caption, nullptr};
    EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_dialog(DWORD process_id, const char* caption, DWORD timeout_ms) {
    HWND dialog = nullptr;
    wait_until([&] { return (dialog = find_dialog(process_id, caption)) != nullptr; }, timeout_ms);
    return dialog;
}

std::string window_text(HWND window) {
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string child_text(HWND dialog, int id) {
    return window_text(GetDlgItem(dialog, id));
}

std::string static_texts(HWND dialog) {
    return read_statics(dialog).text;
}

bool shows_icon(HWND dialog) {
    return read_statics(dialog).icon;
}

void press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, WPARAM(button), 0);
}

void type_file_name(HWND open_dialog, const std::string& name) {
    constexpr int FILE_NAME_FIELD = 0x47C;
    HWND field                    = GetDlgItem(open_dialog, FILE_NAME_FIELD);
    HWND combo                    = FindWindowExA(field, nullptr, "ComboBox", nullptr);
    HWND edit = FindWindowExA(combo != nullptr ? combo : field, nullptr, "Edit", nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(name.c_str()));
}

DialogWatcher::DialogWatcher(Answer answer)
    : answer_(answer ? std::move(answer) : [](HWND, const SeenDialog&) { return IDOK; }),
      thread_([this] { watch(); }) {}

DialogWatcher::~DialogWatcher() {
    stop();
}

std::vector<SeenDialog> DialogWatcher::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> hold(seen_lock_);
    return seen_;
}

void DialogWatcher::watch() {
    while (!stopping_) {
        HWND dialog = find_dialog(GetCurrentProcessId());
        if (dialog == nullptr) {
            Sleep(POLL_MS);
            continue;
        }
        const Statics statics = read_statics(dialog);
        const SeenDialog seen{window_text(dialog), statics.text, statics.icon};
        const int button = answer_(dialog, seen);
        {
            std::lock_guard<std::mutex> hold(seen_lock_);
            seen_.push_back(seen);
        }
        press(dialog, button);
        auto gone = [dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
        // A dialog that ignores the answer is cancelled, so the test fails instead of hanging.
        if (!wait_until(gone, DIALOG_TIMEOUT_MS)) {
            press(dialog, IDCANCEL);
            wait_until(gone, DIALOG_TIMEOUT_MS);
        }
    }
}
