// Drives nomvary.exe from outside, as a user would, for the tests under
// wine: starts it, waits for its window, and answers on standard output
// (UTF-8, one "key: value" per line) what the window shows.
//
//   window_probe NOMVARY_EXE show [BMP]   title and drive text; BMP: a
//                                         picture of the window; then closes it
//   window_probe NOMVARY_EXE autorun      the text of the box the autorun
//                                         shows; answers Yes
//
// Every step waits at most 20 s. Exit status 0 when the program ended by
// itself afterwards (its exit code is printed too), 1 otherwise.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "wide_text.h"
#include "win32_window.h"

namespace {

using nomvary::Utf8FromWide;

constexpr DWORD kWaitMs = 20000;

struct Found {
    DWORD process;
    const wchar_t* windowClass;
    HWND window;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (process == found->process && std::wstring(name) == found->windowClass && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD process, const wchar_t* windowClass) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        Found found{process, windowClass, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&found));
        if (found.window != nullptr) return found.window;
        Sleep(50);
    }
    return nullptr;
}

std::string Text(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return Utf8FromWide(text);
}

void Say(const std::string& key, const std::string& value) {
    std::string line = key + ": " + value + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// The window with its frame and title, as the screen shows it, as a 24-bit
// BMP.
void Picture(HWND window, const std::wstring& path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HDC windowDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, windowDc, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, windowDc);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(info) + pixels.size()), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(info)};
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fputs("usage: window_probe NOMVARY_EXE show [BMP] | autorun\n", stderr);
        return 2;
    }
    const std::wstring exe = argv[1], mode = argv[2];
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started)) {
        Say("error", "cannot start " + Utf8FromWide(exe));
        return 1;
    }
    WaitForInputIdle(started.hProcess, kWaitMs);
    HWND window = WaitForWindow(started.dwProcessId, nomvary::Win32Window::kClassName);
    if (window == nullptr) {
        Say("error", "no window");
        TerminateProcess(started.hProcess, 3);
        return 1;
    }
    if (mode == L"show") {
        Sleep(300);  // let a first activation's work finish
        Say("title", Text(window));
        HWND drives = GetDlgItem(window, nomvary::Win32Window::kFirstControlId);
        const LRESULT current = SendMessageW(drives, CB_GETCURSEL, 0, 0);
        wchar_t drive[512] = {};
        if (current >= 0 && SendMessageW(drives, CB_GETLBTEXTLEN, current, 0) < 512) {
            SendMessageW(drives, CB_GETLBTEXT, current, reinterpret_cast<LPARAM>(drive));
        }
        Say("drive", Utf8FromWide(drive));
        if (argc > 3) Picture(window, argv[3]);
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (mode == L"autorun") {
        HWND box = WaitForWindow(started.dwProcessId, L"#32770");
        if (box == nullptr) {
            Say("error", "no message box");
            TerminateProcess(started.hProcess, 3);
            return 1;
        }
        Say("box title", Text(box));
        Say("box text", Text(GetDlgItem(box, 0xFFFF)));
        PostMessageW(box, WM_COMMAND, IDYES, 0);
    }
    if (WaitForSingleObject(started.hProcess, kWaitMs) != WAIT_OBJECT_0) {
        Say("error", "the program did not end");
        TerminateProcess(started.hProcess, 3);
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    Say("exit", std::to_string(code));
    return 0;
}
