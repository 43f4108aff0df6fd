// Keeps one hidden top-level window open while the window tests run. Wine's desktop process
// then stays up from one test program to the next instead of being started by each of them
// (and holding the test runner's output open for a second after each).
#include <cstdio>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR ready_file, int) {
    // For the first seconds of a fresh Wine session there is no window to be had: desktop.sh
    // then starts another keeper.
    if (!CreateWindowExA(0, "STATIC", "desktop keeper", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr))
        return 1;
    // The desktop is up once the window exists: tell the script that started us.
    if (std::FILE* ready = std::fopen(ready_file, "w")) std::fclose(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
