#include "association.h"

#include "job_host.h"
#include "main_window.h"
#include "window_state.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <shlobj.h>

namespace {

constexpr char EXTENSION_KEY[] = ".zp4";
constexpr char TYPE_KEY[]      = "QUMA.ZP-4";
constexpr char TYPE_NAME[]     = "ZP-4 File";
constexpr char ICON_FORMAT[]   = "%s,1"; // icon group 129, the second in the program
// The program's path quoted too: unquoted, a path with blanks such as C:\Program Files\... would
// have the system try C:\Program.exe first.
constexpr char COMMAND_FORMAT[] = "\"%s\" \"%%1\"";

// A key under a parent that could not be made is skipped: nullptr in, nullptr out.
HKEY create_key(HKEY parent, const char* name) {
    HKEY key = nullptr;
    if (parent == nullptr || RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY open_key(HKEY parent, const char* name) {
    HKEY key = nullptr;
    if (parent == nullptr || RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The key's default value, its terminating NUL counted.
void set_default(HKEY key, const char* text) {
    if (key == nullptr) return;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   DWORD(std::strlen(text) + 1));
}

void delete_key(HKEY parent, const char* name) {
    if (parent != nullptr) RegDeleteKeyA(parent, name);
}

void close_key(HKEY key) {
    if (key != nullptr) RegCloseKey(key);
}

void notify_shell() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace

bool is_associated() {
    HKEY key = open_key(HKEY_CLASSES_ROOT, EXTENSION_KEY);
    close_key(key);
    return key != nullptr;
}

void associate() {
    if (is_associated()) return;
    ui.associated = 1; // the menu shows what the command aims at, whatever the registry does
    update_menus();

    // Room for the longest path and what each format adds to it, so neither text is ever cut.
    char program[PATH_BYTES];
    char icon[PATH_BYTES + sizeof ICON_FORMAT];
    char command[PATH_BYTES + sizeof COMMAND_FORMAT];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::snprintf(icon, sizeof icon, ICON_FORMAT, program);
    std::snprintf(command, sizeof command, COMMAND_FORMAT, program);

    HKEY extension = create_key(HKEY_CLASSES_ROOT, EXTENSION_KEY);
    set_default(extension, TYPE_KEY);
    HKEY type = create_key(HKEY_CLASSES_ROOT, TYPE_KEY);
    set_default(type, TYPE_NAME);
    HKEY default_icon = create_key(type, "DefaultIcon");
    set_default(default_icon, icon);
    HKEY shell = create_key(type, "Shell");
    set_default(shell, "");
    HKEY open         = create_key(shell, "Open");
    HKEY open_command = create_key(open, "command");
    set_default(open_command, command);

    for (HKEY key : {open_command, open, shell, default_icon, type, extension})
        close_key(key);
    notify_shell();
}

// Deepest keys first: a key with subkeys cannot be deleted.
void dissociate() {
    if (!is_associated()) return;
    ui.associated = 0;
    update_menus();

    RegDeleteKeyA(HKEY_CLASSES_ROOT, EXTENSION_KEY);
    HKEY type = open_key(HKEY_CLASSES_ROOT, TYPE_KEY);
    delete_key(type, "DefaultIcon");
    HKEY shell = open_key(type, "Shell");
    HKEY open  = open_key(shell, "Open");
    delete_key(open, "command");
    delete_key(shell, "Open");
    delete_key(type, "Shell");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, TYPE_KEY);

    for (HKEY key : {open, shell, type})
        close_key(key);
    notify_shell();
}
