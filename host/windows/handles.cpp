// On Windows the stand-in host tells the streams apart by the process's standard handles.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "host/host_control.h"

int HostStreamForHandle(void* handle) {
    if (handle == GetStdHandle(STD_ERROR_HANDLE)) return 2;
    if (handle == GetStdHandle(STD_OUTPUT_HANDLE)) return 1;
    return 0;
}
