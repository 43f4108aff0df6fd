// Creates the program's real main window in the test process through the program's own
// start-up code, and takes everything down again after each test.
#pragma once
#include <functional>
#include <gtest/gtest.h>
#include <windows.h>

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Dispatches what is queued for this thread, as the message loop would.
    static void pump();
    // Pumps until the condition holds; false when the time ran out.
    static bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000);

    // Enabled or greyed, as the menu shows the command.
    static bool enabled(HMENU menu, UINT command);

    HWND window = nullptr;

  private:
    char working_folder_[MAX_PATH] = "";
};
