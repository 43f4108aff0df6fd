#include "main_window_fixture.h"
#include <string>

namespace {

// The shell shows a bank with the icon that the association's DefaultIcon names: the document
// icon, the program file's second (index 1), not the program's own.
TEST_F(MainWindowTest, AssociationNamesTheDocumentIcon) {
    SendMessageA(window, WM_COMMAND, IDM_ASSOCIATE, 0);
    char value[MAX_PATH] = "", program[MAX_PATH] = "";
    LONG size = sizeof value;
    RegQueryValueA(HKEY_CLASSES_ROOT, "QUMA.ZP-4\\DefaultIcon", value, &size);
    GetModuleFileNameA(nullptr, program, sizeof program);
    EXPECT_EQ(value, std::string(program) + ",1");
    HICON shown = ExtractIconA(ui.instance, program, 1);
    EXPECT_EQ(picture(shown), picture(LoadIconA(ui.instance, MAKEINTRESOURCEA(IDI_DOCUMENT))));
    DestroyIcon(shown);
    SendMessageA(window, WM_COMMAND, IDM_DISSOCIATE, 0);
}

} // namespace
