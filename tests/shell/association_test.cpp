#include "main_window_fixture.h"
#include "resource.h"
#include <string>

namespace {

// The key's default value, which must be a string stored with its NUL.
std::string default_value(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char text[512];
    DWORD type = 0, bytes = sizeof text;
    const LONG read = RegQueryValueExA(key, nullptr, nullptr, &type, LPBYTE(text), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return "(no value)";
    if (type != REG_SZ || bytes == 0 || text[bytes - 1] != '\0') return "(not a string)";
    return text;
}

using AssociationTest = MainWindowTest;

TEST_F(AssociationTest, AssociateWritesTheSixKeysAndDissociateRemovesThem) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    // clang-format off
    const std::pair<const char*, std::string> keys[] = {
        {".zp4",                            "QUMA.ZP-4"},
        {"QUMA.ZP-4",                       "ZP-4 File"},
        {"QUMA.ZP-4\\DefaultIcon",          program + std::string(",1")},
        {"QUMA.ZP-4\\Shell",                ""},
        {"QUMA.ZP-4\\Shell\\Open",          "(no value)"},
        {"QUMA.ZP-4\\Shell\\Open\\command", program + std::string(" \"%1\"")},
    };
    // clang-format on
    EXPECT_TRUE(enabled(ui.file_menu, IDM_ASSOCIATE));
    EXPECT_FALSE(enabled(ui.file_menu, IDM_DISSOCIATE));
    SendMessageA(window, WM_COMMAND, IDM_ASSOCIATE, 0);
    EXPECT_FALSE(enabled(ui.file_menu, IDM_ASSOCIATE));
    EXPECT_TRUE(enabled(ui.file_menu, IDM_DISSOCIATE));
    for (const auto& key : keys)
        EXPECT_EQ(default_value(key.first), key.second) << key.first;
    SendMessageA(window, WM_COMMAND, IDM_DISSOCIATE, 0);
    EXPECT_TRUE(enabled(ui.file_menu, IDM_ASSOCIATE));
    EXPECT_FALSE(enabled(ui.file_menu, IDM_DISSOCIATE));
    EXPECT_EQ(default_value(".zp4"), "(no key)");
    EXPECT_EQ(default_value("QUMA.ZP-4"), "(no key)");
}

} // namespace
