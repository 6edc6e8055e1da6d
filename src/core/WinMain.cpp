// Entry point of LumenoSetup.exe.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The window arrives with the toolkit; until then the installer starts and ends quietly.
    return 0;
}
