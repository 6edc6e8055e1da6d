/* Idles until its standard input is closed (or a minute has passed), then exits 0. */
#include <windows.h>

static DWORD WINAPI DrainInput(LPVOID unused)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[64];
    DWORD read = 0;
    (void)unused;
    while (ReadFile(input, buffer, sizeof(buffer), &read, NULL) && read > 0) {}
    return 0;
}

int main(void)
{
    HANDLE reader = CreateThread(NULL, 0, DrainInput, NULL, 0, NULL);
    if (reader) WaitForSingleObject(reader, 60000);
    return 0;
}
