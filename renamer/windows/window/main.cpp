// nomvary.exe: the renamer's window on Windows.
#include <windows.h>

#include "platform_types.h"
#include "win32_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    nomvary::PlatformFileSystem files;
    nomvary::PlatformSettingsFile settingsFile;
    nomvary::Win32Window window(instance, files, settingsFile);
    if (!window.Create()) {
        MessageBoxW(nullptr, L"The window could not be created.", L"Nomvary", MB_OK | MB_ICONERROR);
        return 1;
    }
    window.Show(showCommand);
    return window.RunMessageLoop();
}
