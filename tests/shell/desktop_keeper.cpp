// Keeps a hidden window open while the window tests run, so that Wine's desktop stays up from
// one test program to the next instead of being started (and awaited) by each.
#include <cstdio>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR ready_file, int) {
    // There is none in the first seconds of a fresh Wine session: desktop.sh tries again.
    if (!CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr))
        return 1;
    if (std::FILE* ready = std::fopen(ready_file, "w")) std::fclose(ready); // tell desktop.sh
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
