#include "main_window_fixture.h"
#include "resource.h"
#include "window_state.h"
#include <string>

namespace {

// Removes what Associate writes (and anything another program put there).
void clear_registry() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".zp4");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QUMA.ZP-4");
}

bool key_exists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct DefaultValue {
    bool present;
    DWORD type;
    DWORD bytes;
    std::string text;
};

DefaultValue default_value(const char* path) {
    DefaultValue value{false, 0, 0, ""};
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    char text[512] = "";
    value.bytes    = sizeof text;
    value.present  = RegQueryValueExA(key, nullptr, nullptr, &value.type,
                                      reinterpret_cast<BYTE*>(text), &value.bytes) == ERROR_SUCCESS;
    value.text     = text;
    RegCloseKey(key);
    return value;
}

void set_foreign_extension() {
    HKEY key;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, ".zp4", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Other.Type"), 11);
    RegCloseKey(key);
}

std::string program_path() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

class AssociationTest : public MainWindowTest {
  protected:
    void SetUp() override {
        clear_registry();
        MainWindowTest::SetUp();
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        clear_registry();
    }

    static bool can_associate() { return enabled(ui.file_menu, IDM_ASSOCIATE); }
    static bool can_dissociate() { return enabled(ui.file_menu, IDM_DISSOCIATE); }

    void command(WPARAM id) { SendMessageA(window, WM_COMMAND, id, 0); }
};

struct ValueCase {
    const char* key;
    std::string text; // empty with present false: the key has no value
    bool present;
};

TEST_F(AssociationTest, AssociateWritesTheSixKeysAndSwitchesTheItems) {
    EXPECT_TRUE(can_associate());
    EXPECT_FALSE(can_dissociate());
    command(IDM_ASSOCIATE);
    EXPECT_FALSE(can_associate());
    EXPECT_TRUE(can_dissociate());

    const std::string program = program_path();
    // clang-format off
    const ValueCase values[] = {
        {".zp4",                            "QUMA.ZP-4",         true},
        {"QUMA.ZP-4",                       "ZP-4 File",         true},
        {"QUMA.ZP-4\\DefaultIcon",          program + ",1",      true},
        {"QUMA.ZP-4\\Shell",                "",                  true},
        {"QUMA.ZP-4\\Shell\\Open",          "",                  false},
        {"QUMA.ZP-4\\Shell\\Open\\command", program + " \"%1\"", true},
    };
    // clang-format on
    for (const ValueCase& c : values) {
        ASSERT_TRUE(key_exists(c.key)) << c.key;
        const DefaultValue value = default_value(c.key);
        EXPECT_EQ(value.present, c.present) << c.key;
        if (!c.present) continue;
        EXPECT_EQ(value.type, DWORD(REG_SZ)) << c.key;
        EXPECT_EQ(value.text, c.text) << c.key;
        EXPECT_EQ(value.bytes, c.text.size() + 1) << c.key << ": the NUL is stored";
    }
}

TEST_F(AssociationTest, SecondAssociateChangesNothing) {
    command(IDM_ASSOCIATE);
    set_foreign_extension();
    command(IDM_ASSOCIATE);
    EXPECT_EQ(default_value(".zp4").text, "Other.Type");
}

TEST_F(AssociationTest, DissociateRemovesEveryKeyAndSwitchesTheItems) {
    command(IDM_ASSOCIATE);
    command(IDM_DISSOCIATE);
    EXPECT_TRUE(can_associate());
    EXPECT_FALSE(can_dissociate());
    EXPECT_FALSE(key_exists(".zp4"));
    EXPECT_FALSE(key_exists("QUMA.ZP-4"));
}

TEST_F(AssociationTest, DissociateWithoutRegistrationChangesNothing) {
    EnableMenuItem(ui.file_menu, IDM_DISSOCIATE, MF_BYCOMMAND | MF_ENABLED);
    command(IDM_DISSOCIATE);
    EXPECT_TRUE(can_dissociate()) << "the items are left alone";
}

// Any ".zp4" key counts: Dissociate deletes it even if another program wrote it.
TEST_F(AssociationTest, ForeignRegistrationGreysAssociateAndDissociateDeletesIt) {
    DestroyWindow(window);
    MainWindowTest::TearDown();
    set_foreign_extension();
    MainWindowTest::SetUp();
    EXPECT_FALSE(can_associate());
    EXPECT_TRUE(can_dissociate());
    command(IDM_ASSOCIATE);
    EXPECT_EQ(default_value(".zp4").text, "Other.Type");
    command(IDM_DISSOCIATE);
    EXPECT_FALSE(key_exists(".zp4"));
    EXPECT_TRUE(can_associate());
}

} // namespace
