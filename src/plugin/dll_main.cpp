// The library's entry routine: all set-up belongs to InitializePlugin and all release to
// ShutdownPlugin, so every notification just reports success.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
