#include "main_window_fixture.h"
#include <string>

namespace {

std::string value_of(const char* key) {
    char value[2 * MAX_PATH] = "";
    LONG size                = sizeof value;
    RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size);
    return value;
}

// Associated, the shell opens a bank with the program, its path quoted for the blanks of
// Program Files, and shows it with the icon that DefaultIcon names: the document icon, the
// program file's second (index 1), not the program's own. Dissociated, no key of the type stays.
TEST_F(MainWindowTest, AssociationOpensWithTheProgramAndNamesTheDocumentIcon) {
    SendMessageA(window, WM_COMMAND, IDM_ASSOCIATE, 0);
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, sizeof program);
    EXPECT_EQ(value_of("QUMA.ZP-4\\Shell\\Open\\command"),
              "\"" + std::string(program) + "\" \"%1\"");
    EXPECT_EQ(value_of("QUMA.ZP-4\\DefaultIcon"), std::string(program) + ",1");
    HICON shown = ExtractIconA(ui.instance, program, 1);
    EXPECT_EQ(picture(shown), picture(LoadIconA(ui.instance, MAKEINTRESOURCEA(IDI_DOCUMENT))));
    DestroyIcon(shown);
    SendMessageA(window, WM_COMMAND, IDM_DISSOCIATE, 0);
    HKEY key = nullptr;
    for (const char* name : {".zp4", "QUMA.ZP-4"})
        EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, name, 0, KEY_READ, &key), ERROR_SUCCESS) << name;
}

} // namespace
