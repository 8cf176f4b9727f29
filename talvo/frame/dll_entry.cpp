// The library's process entry routine. The library sets up and tears down
// nothing here; the host's hooks do all of it.

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
