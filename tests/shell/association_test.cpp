#include "main_window_fixture.h"
#include "resource.h"
#include <cstring>
#include <string>

namespace {

struct KeyContents {
    std::string value; // the default value, or what stands in for it
    DWORD subkeys;
    DWORD values;
};

// The key's default value, which must be a string stored with its NUL, and how many subkeys
// and values it holds.
KeyContents contents(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {"(no key)", 0, 0};
    KeyContents found{"", 0, 0};
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &found.subkeys, nullptr, nullptr,
                     &found.values, nullptr, nullptr, nullptr, nullptr);
    char text[512];
    DWORD type = 0, bytes = sizeof text;
    const LONG read = RegQueryValueExA(key, nullptr, nullptr, &type, LPBYTE(text), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        found.value = "(no value)";
    else if (type != REG_SZ || bytes == 0 || text[bytes - 1] != '\0')
        found.value = "(not a string)";
    else
        found.value = text;
    return found;
}

void set_default_value(const char* path, const char* text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, LPCBYTE(text), DWORD(strlen(text) + 1));
    RegCloseKey(key);
}

class AssociationTest : public MainWindowTest {
  protected:
    void send(WPARAM command) { SendMessageA(window, WM_COMMAND, command, 0); }

    void expect_menu_offers_associate(bool associate) {
        EXPECT_EQ(enabled(ui.file_menu, IDM_ASSOCIATE), associate);
        EXPECT_EQ(enabled(ui.file_menu, IDM_DISSOCIATE), !associate);
    }
};

TEST_F(AssociationTest, AssociateWritesExactlyTheSixKeysOnceAndDissociateRemovesThem) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    // clang-format off
    const std::pair<const char*, KeyContents> keys[] = {
        {".zp4",                            {"QUMA.ZP-4",                       0, 1}},
        {"QUMA.ZP-4",                       {"ZP-4 File",                       2, 1}},
        {"QUMA.ZP-4\\DefaultIcon",          {program + std::string(",1"),       0, 1}},
        {"QUMA.ZP-4\\Shell",                {"",                                1, 1}},
        {"QUMA.ZP-4\\Shell\\Open",          {"(no value)",                      1, 0}},
        {"QUMA.ZP-4\\Shell\\Open\\command", {program + std::string(" \"%1\""), 0, 1}},
    };
    // clang-format on
    expect_menu_offers_associate(true);
    send(IDM_ASSOCIATE);
    expect_menu_offers_associate(false);
    for (const auto& key : keys) {
        const KeyContents found = contents(key.first);
        EXPECT_EQ(found.value, key.second.value) << key.first;
        EXPECT_EQ(found.subkeys, key.second.subkeys) << key.first;
        EXPECT_EQ(found.values, key.second.values) << key.first;
    }

    // A second Associate finds the type registered and writes nothing.
    set_default_value("QUMA.ZP-4\\Shell\\Open\\command", "edited");
    send(IDM_ASSOCIATE);
    EXPECT_EQ(contents("QUMA.ZP-4\\Shell\\Open\\command").value, "edited");

    send(IDM_DISSOCIATE);
    expect_menu_offers_associate(true);
    for (const auto& key : keys)
        EXPECT_EQ(contents(key.first).value, "(no key)") << key.first;
}

// Only the extension key is looked at: another program's counts as registered from the
// window's creation on, Associate leaves it alone and Dissociate deletes it.
TEST_F(AssociationTest, AnotherProgramsExtensionKeyCountsAsRegistered) {
    set_default_value(".zp4", "Other.Type");
    DestroyWindow(window);
    window = create_main_window();
    expect_menu_offers_associate(false);
    send(IDM_ASSOCIATE);
    EXPECT_EQ(contents(".zp4").value, "Other.Type");
    EXPECT_EQ(contents("QUMA.ZP-4").value, "(no key)");
    send(IDM_DISSOCIATE);
    expect_menu_offers_associate(true);
    EXPECT_EQ(contents(".zp4").value, "(no key)");
}

} // namespace
