#include "win32_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <functional>

#include "wide_text.h"

namespace nomvary {
namespace {

constexpr UINT kActivateMessage = WM_APP + 1;
constexpr int kDesignDpi = 96;
constexpr int kTwipsPerInch = 1440;
constexpr int kClientWidthTwips = 4815;
constexpr int kClientHeightTwips = 4950;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Where each control goes, in twips inside its parent (the option buttons
// inside their frame), and which of its sizes its caption must fit.
struct Placement {
    int left, top, width, height;
    int frame;  // index of the frame holding it, or -1
    bool measure;
};

// By the window's Control order: the tab order, then the status line and
// the frames.
constexpr std::array<Placement, 17> kDesign = {{
    {240, 240, 2535, 315, -1, false},    // Drive1
    {240, 720, 2535, 3240, -1, false},   // Dir1
    {3000, 240, 1575, 495, -1, true},    // Command1
    {240, 4260, 1215, 375, -1, true},    // Command3, beside "about" under the folder list
    {240, 150, 1095, 375, 0, true},      // blankopt 0
    {240, 510, 1095, 375, 0, true},      // blankopt 1
    {240, 150, 1215, 375, 1, true},      // fnamopt 0
    {240, 510, 1095, 375, 1, true},      // fnamopt 1
    {3000, 3120, 1575, 255, -1, true},   // autorunbox
    {3000, 3480, 1575, 255, -1, true},   // capcheck
    {3240, 3720, 1455, 255, -1, true},   // capsubcheck
    {3000, 4080, 1575, 255, -1, true},   // featcheck
    {3000, 4440, 1455, 255, -1, true},   // vscheck
    {1560, 4260, 1215, 375, -1, true},   // Command2
    {240, 4680, 4335, 255, -1, false},   // the status line
    {3000, 840, 1575, 975, -1, false},   // Frame1 0
    {3000, 1920, 1575, 975, -1, false},  // Frame1 1
}};

struct ControlKind {
    const wchar_t* windowClass;
    const wchar_t* caption;
    DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const std::array<ControlKind, 17> kKinds = {{
    {WC_COMBOBOXW, L"", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST},
    {WC_LISTBOXW, L"", kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT},
    {WC_BUTTONW, L"RUN", kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {WC_BUTTONW, L"Preview", kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {WC_BUTTONW, L"_ to blank", kChild | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
    {WC_BUTTONW, L"blank to _", kChild | BS_AUTORADIOBUTTON},
    {WC_BUTTONW, L"Just mp3's", kChild | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
    {WC_BUTTONW, L"All files", kChild | BS_AUTORADIOBUTTON},
    {WC_BUTTONW, L"Autorun next time", kChild | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX},
    {WC_BUTTONW, L"Capitalize", kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
    {WC_BUTTONW, L"except ({[ ]})", kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
    {WC_BUTTONW, L"Exclude \"feat.\"", kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
    {WC_BUTTONW, L"Exclude \"vs.\"", kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
    {WC_BUTTONW, L"about", kChild | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON},
    {WC_STATICW, L"", kChild | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS},
    {WC_BUTTONW, L"", kChild | BS_GROUPBOX},
    {WC_BUTTONW, L"", kChild | BS_GROUPBOX},
}};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
    return !folder.empty() && IsSeparator(folder.back()) ? folder + name : folder + '\\' + name;
}

// The folders from the root of `path` down to `path` itself: "C:\", "C:\a",
// "C:\a\b"; a share "\\host\share\" is a root too.
std::vector<std::string> FolderChain(const std::string& path) {
    std::size_t rootEnd = 0;
    if (path.size() >= 2 && path[1] == ':') {
        rootEnd = std::min<std::size_t>(3, path.size());
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t separators = 0;
        for (rootEnd = 2; rootEnd < path.size() && separators < 2; ++rootEnd) {
            if (IsSeparator(path[rootEnd])) ++separators;
        }
    }
    std::vector<std::string> chain;
    if (rootEnd > 0) chain.push_back(path.substr(0, rootEnd));
    for (std::size_t at = rootEnd; at < path.size(); ++at) {
        if (IsSeparator(path[at]) && at > rootEnd) chain.push_back(path.substr(0, at));
    }
    if (chain.empty() || chain.back() != path) chain.push_back(path);
    return chain;
}

std::string LastName(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos || cut + 1 == path.size() ? path : path.substr(cut + 1);
}

std::wstring Wide(const std::string& text) { return WideFromUtf8(text); }

// Per-monitor DPI functions exist from Windows 10 on; older systems (and
// older wine) scale by the system DPI.
UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi != nullptr && window != nullptr) {
        const UINT dpi = getDpi(window);
        if (dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

// Pixels designed at 96 DPI, at a window's DPI.
struct DpiScale {
    int dpi;
    int operator()(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi, kDesignDpi); }
};

// Registers a box's window class once per process; later calls find it made.
void RegisterBoxClass(HINSTANCE instance, WNDPROC proc, const wchar_t* name) {
    WNDCLASSW boxClass{};
    if (GetClassInfoW(instance, name, &boxClass)) return;
    boxClass.lpfnWndProc = proc;
    boxClass.hInstance = instance;
    boxClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    boxClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    boxClass.lpszClassName = name;
    RegisterClassW(&boxClass);
}

HFONT MakeFont(const wchar_t* face, int hundredthsOfPoint, bool bold, UINT dpi) {
    return CreateFontW(-MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

// Shows nothing for the first half second of a run; then a small modal box
// with "N of M files" and Cancel. While it shows, the run lets the window
// handle its messages every few files' worth of time, so it keeps painting
// and Cancel is heard; the disabled main window takes no input meanwhile.
class Win32RunProgress : public RunProgress {
public:
    Win32RunProgress(HWND owner, HINSTANCE instance, std::function<void()> pump)
        : m_owner(owner), m_instance(instance), m_pump(std::move(pump)), m_start(GetTickCount64()) {}

    ~Win32RunProgress() override {
        if (m_box != nullptr) {
            EnableWindow(m_owner, TRUE);
            DestroyWindow(m_box);
            SetActiveWindow(m_owner);
        }
    }

    bool Advance(std::size_t done, std::size_t total) override {
        constexpr ULONGLONG kShowAfterMs = 500;
        constexpr ULONGLONG kUpdateEveryMs = 40;
        const ULONGLONG now = GetTickCount64() - m_start;
        if (m_box == nullptr) {
            if (now < kShowAfterMs) return true;
            Open();
        } else if (now - m_shownAt < kUpdateEveryMs && done < total) {
            return true;
        }
        m_shownAt = now;
        const std::wstring text = std::to_wstring(done) + L" of " + std::to_wstring(total) + L" files";
        SetWindowTextW(m_label, text.c_str());
        m_pump();
        return !m_cancelled;
    }

private:
    static LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32RunProgress*>(GetWindowLongPtrW(box, GWLP_USERDATA));
        if (self != nullptr && ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE)) {
            self->m_cancelled = true;
            return 0;
        }
        return DefWindowProcW(box, message, wParam, lParam);
    }

    void Open() {
        RegisterBoxClass(m_instance, BoxProc, L"NomvaryProgress");
        const DpiScale px{static_cast<int>(WindowDpi(m_owner))};
        RECT client{0, 0, px(240), px(96)};
        AdjustWindowRectEx(&client, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
        RECT owner{};
        GetWindowRect(m_owner, &owner);
        const int width = client.right - client.left, height = client.bottom - client.top;
        m_box = CreateWindowExW(WS_EX_DLGMODALFRAME, L"NomvaryProgress", L"Nomvary",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, (owner.left + owner.right - width) / 2,
                                (owner.top + owner.bottom - height) / 2, width, height, m_owner, nullptr, m_instance,
                                nullptr);
        SetWindowLongPtrW(m_box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_label = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_CENTER, px(8), px(16), px(224), px(20),
                                  m_box, nullptr, m_instance, nullptr);
        HWND cancel = CreateWindowExW(0, WC_BUTTONW, L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                      px(80), px(52), px(80), px(28), m_box,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), m_instance, nullptr);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_owner, WM_GETFONT, 0, 0));
        for (HWND control : {m_label, cancel}) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        EnableWindow(m_owner, FALSE);
        SetFocus(cancel);
    }

    HWND m_owner;
    HINSTANCE m_instance;
    std::function<void()> m_pump;
    ULONGLONG m_start;
    ULONGLONG m_shownAt = 0;
    HWND m_box = nullptr;
    HWND m_label = nullptr;
    bool m_cancelled = false;
};

// The modal box "Preview": the summary over a list of the planned renames,
// and OK. The window stays disabled while it shows.
class PreviewBox {
public:
    PreviewBox(HWND owner, HINSTANCE instance, const std::string& summary, const std::vector<std::string>& lines)
        : m_owner(owner), m_instance(instance), m_summary(summary), m_lines(lines) {}

    void Run() {
        RegisterBoxClass(m_instance, BoxProc, L"NomvaryPreview");
        const DpiScale px{static_cast<int>(WindowDpi(m_owner))};
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        RECT frame{0, 0, px(480), px(320)};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
        RECT owner{};
        GetWindowRect(m_owner, &owner);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        m_box = CreateWindowExW(WS_EX_DLGMODALFRAME, L"NomvaryPreview", L"Preview", style,
                                (owner.left + owner.right - width) / 2, (owner.top + owner.bottom - height) / 2, width,
                                height, m_owner, nullptr, m_instance, nullptr);
        if (m_box == nullptr) return;
        SetWindowLongPtrW(m_box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_owner, WM_GETFONT, 0, 0));
        HWND label = CreateWindowExW(0, WC_STATICW, Wide(m_summary).c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, px(8),
                                     px(8), px(464), px(36), m_box, nullptr, m_instance, nullptr);
        HWND list = CreateWindowExW(
            WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, px(8),
            px(48), px(464), px(224), m_box, nullptr, m_instance, nullptr);
        HWND ok = CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, px(392),
                                  px(282), px(80), px(28), m_box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                                  m_instance, nullptr);
        for (HWND control : {label, list, ok}) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        HDC dc = GetDC(list);
        const HGDIOBJ old = SelectObject(dc, font);
        int widest = 0;
        for (const std::string& line : m_lines) {
            const std::wstring text = Wide(line);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + px(8)), 0);

        EnableWindow(m_owner, FALSE);
        ShowWindow(m_box, SW_SHOW);
        SetFocus(ok);
        MSG message;
        while (!m_done) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                // The program ends: the loop that ends it must still see it.
                if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (!IsDialogMessageW(m_box, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        EnableWindow(m_owner, TRUE);
        DestroyWindow(m_box);
        SetActiveWindow(m_owner);
    }

private:
    static LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PreviewBox*>(GetWindowLongPtrW(box, GWLP_USERDATA));
        if (self != nullptr && ((message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) ||
                                message == WM_CLOSE)) {
            self->m_done = true;
            return 0;
        }
        return DefWindowProcW(box, message, wParam, lParam);
    }

    HWND m_owner;
    HINSTANCE m_instance;
    const std::string& m_summary;
    const std::vector<std::string>& m_lines;
    HWND m_box = nullptr;
    bool m_done = false;
};

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, FileSystem& files, SettingsFile& settingsFile)
    : m_instance(instance), m_files(files), m_form(Platform{files, settingsFile, *this, *this}) {}

Win32Window::~Win32Window() {
    m_ended = true;
    if (m_window != nullptr) DestroyWindow(m_window);
    for (HFONT font : {m_font, m_runFont, m_aboutFont}) {
        if (font != nullptr) DeleteObject(font);
    }
}

bool Win32Window::Create() {
    INITCOMMONCONTROLSEX common{sizeof(common), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = m_instance;
    windowClass.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(1));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(
        m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return false;

    m_window = CreateWindowExW(0, kClassName, L"Nomvary", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 400, 400, nullptr,
                               nullptr, m_instance, this);
    if (m_window == nullptr) return false;
    CreateControls();
    ApplyFonts();
    Arrange();

    // The lists start at the process's current folder, as designed values:
    // no change handler runs before form_load.
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring start(length, L'\0');
    length = GetCurrentDirectoryW(length, start.data());
    start.resize(length);
    const std::string startFolder = Utf8FromWide(start);
    RefreshDrives();
    for (const Drive& drive : m_drives) {
        if (drive.root.size() >= 2 && startFolder.size() >= 2 &&
            std::towlower(static_cast<wint_t>(drive.root[0])) == std::towlower(static_cast<wint_t>(startFolder[0])) &&
            startFolder[1] == ':') {
            m_currentDrive = drive.text;
        }
    }
    ShowDrives();
    if (!OpenFolder(startFolder) && !m_drives.empty()) OpenFolder(m_drives.front().root);

    m_form.form_load();
    return true;
}

void Win32Window::Show(int showCommand) {
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
}

int Win32Window::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return m_exitCode;
}

void Win32Window::CreateControls() {
    for (int k = 0; k < kControlCount; ++k) {
        const ControlKind& kind = kKinds[static_cast<std::size_t>(k)];
        m_controls[static_cast<std::size_t>(k)] = CreateWindowExW(
            k == kDir1 ? WS_EX_CLIENTEDGE : 0, kind.windowClass, kind.caption, kind.style, 0, 0, 10, 10, m_window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + k)), m_instance, nullptr);
    }
    SetWindowSubclass(Item(kDir1), FolderListProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // The frames lie under their option buttons and after every control in
    // the tab order.
    for (Control frame : {kFrame1_0, kFrame1_1}) {
        SetWindowPos(Item(frame), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SendMessageW(Item(kBlankopt0), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(kFnamopt0), BM_SETCHECK, BST_CHECKED, 0);
    // Enabled exactly while "Capitalize" is checked, also when no settings
    // could be loaded to set it up.
    EnableWindow(Item(kCapsubcheck), FALSE);
}

UINT Win32Window::Dpi() const { return WindowDpi(m_window); }

void Win32Window::ApplyFonts() {
    for (HFONT font : {m_font, m_runFont, m_aboutFont}) {
        if (font != nullptr) DeleteObject(font);
    }
    const UINT dpi = Dpi();
    m_font = MakeFont(L"MS Shell Dlg 2", 800, false, dpi);
    m_runFont = MakeFont(L"Arial", 900, true, dpi);
    m_aboutFont = MakeFont(L"Verdana", 825, false, dpi);
    SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    for (int k = 0; k < kControlCount; ++k) {
        const HFONT font = k == kCommand1 ? m_runFont : k == kCommand2 ? m_aboutFont : m_font;
        SendMessageW(m_controls[static_cast<std::size_t>(k)], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void Win32Window::Arrange() {
    const int dpi = static_cast<int>(Dpi());
    const DpiScale px{dpi};

    // Where the fonts need more room than the design gave, the whole form
    // grows by the same factor along that axis: every caption fits and no
    // control runs into its neighbour.
    double growX = 1.0, growY = 1.0;
    HDC dc = GetDC(m_window);
    for (int k = 0; k < kControlCount; ++k) {
        const Placement& place = kDesign[static_cast<std::size_t>(k)];
        if (!place.measure) continue;
        HWND control = m_controls[static_cast<std::size_t>(k)];
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        const std::wstring caption = kKinds[static_cast<std::size_t>(k)].caption;
        SIZE text{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        SelectObject(dc, old);
        const bool button = k == kCommand1 || k == kCommand2 || k == kCommand3;
        const int neededWidth = text.cx + (button ? px(12) : px(20));
        const int neededHeight = text.cy + px(button ? 6 : 2);
        growX = std::max(growX, neededWidth / (MulDiv(place.width, dpi, kTwipsPerInch) * 1.0));
        growY = std::max(growY, neededHeight / (MulDiv(place.height, dpi, kTwipsPerInch) * 1.0));
    }
    ReleaseDC(m_window, dc);
    const auto x = [&](int twips) { return static_cast<int>(twips * growX * dpi / kTwipsPerInch + 0.999); };
    const auto y = [&](int twips) { return static_cast<int>(twips * growY * dpi / kTwipsPerInch + 0.999); };

    for (int k = 0; k < kControlCount; ++k) {
        const Placement& place = kDesign[static_cast<std::size_t>(k)];
        int left = place.left, top = place.top;
        if (place.frame >= 0) {
            left += kDesign[kFrame1_0 + place.frame].left;
            top += kDesign[kFrame1_0 + place.frame].top;
        }
        // A drop-down list's height is that of its open list.
        const int height = k == kDrive1 ? y(place.height) * 8 : y(place.height);
        SetWindowPos(m_controls[static_cast<std::size_t>(k)], nullptr, x(left), y(top), x(place.width), height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame{0, 0, x(kClientWidthTwips), y(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->m_window != window) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK Win32Window::FolderListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR window) {
    auto* self = reinterpret_cast<Win32Window*>(window);
    if (message == WM_GETDLGCODE && lParam != 0) {
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
            return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTMESSAGE;
        }
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        if (!self->m_ended) {
            self->ChooseFolderEntry(static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)), true);
        }
        return 0;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (!m_ended) OnCommand(static_cast<int>(LOWORD(wParam)) - kFirstControlId, HIWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            // Only the first activation counts: the window becomes active again
            // each time a message box closes, and the autorun must not start
            // over. Posted, so the window is drawn before an autorun's box.
            if (LOWORD(wParam) != WA_INACTIVE && !m_activated) {
                m_activated = true;
                PostMessageW(m_window, kActivateMessage, 0, 0);
            }
            break;
        case kActivateMessage:
            if (!m_ended) m_form.Form_Activate();
            return 0;
        case 0x02E0: {  // WM_DPICHANGED: the window moved to a screen of another DPI
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyFonts();
            Arrange();
            return 0;
        }
        case WM_CLOSE:
            // During a run the close waits for the run to stop after the file at
            // hand; the run then closes the window itself.
            if (!m_ended && !m_form.Form_QueryUnload()) return 0;
            if (!m_ended) m_form.Form_Unload();
            m_ended = true;
            PostQuitMessage(m_exitCode);
            ShowWindow(m_window, SW_HIDE);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void Win32Window::OnCommand(int control, int notification) {
    switch (control) {
        case kDrive1:
            if (notification == CBN_DROPDOWN) {
                RefreshDrives();
                ShowDrives();
            } else if (notification == CBN_SELENDOK ||
                       (notification == CBN_SELCHANGE && !SendMessageW(Item(kDrive1), CB_GETDROPPEDSTATE, 0, 0))) {
                const LRESULT index = SendMessageW(Item(kDrive1), CB_GETCURSEL, 0, 0);
                if (index < 0 || static_cast<std::size_t>(index) >= m_drives.size()) return;
                const std::string& text = m_drives[static_cast<std::size_t>(index)].text;
                if (text == m_currentDrive) return;
                m_currentDrive = text;
                m_form.Drive1_Change();
            }
            return;
        case kDir1:
            if (notification == LBN_SELCHANGE || notification == LBN_DBLCLK) {
                ChooseFolderEntry(static_cast<int>(SendMessageW(Item(kDir1), LB_GETCURSEL, 0, 0)),
                                  notification == LBN_DBLCLK);
            }
            return;
        default:
            break;
    }
    if (notification != BN_CLICKED) return;
    switch (control) {
        case kCommand1:
            m_form.Command1_Click();
            break;
        case kCommand2:
            m_form.Command2_Click();
            break;
        case kCommand3:
            m_form.Command3_Click();
            break;
        case kCapcheck:
            m_form.capcheck_Click();
            break;
        case kBlankopt0:
            m_form.blankopt_Click(0);
            break;
        case kBlankopt1:
            m_form.blankopt_Click(1);
            break;
        case kFnamopt0:
            m_form.fnamopt_Click(0);
            break;
        case kFnamopt1:
            m_form.fnamopt_Click(1);
            break;
        default:
            break;
    }
}

void Win32Window::RefreshDrives() {
    std::vector<Drive> drives = m_files.Drives();
    // A drive that went away stays listed while it is the current one, so the
    // list never shows a drive the program did not choose.
    const bool hasCurrent =
        m_currentDrive.empty() ||
        std::any_of(drives.begin(), drives.end(), [this](const Drive& drive) { return drive.text == m_currentDrive; });
    if (!hasCurrent) {
        for (const Drive& drive : m_drives) {
            if (drive.text == m_currentDrive) drives.push_back(drive);
        }
    }
    m_drives = std::move(drives);
    if (m_currentDrive.empty() && !m_drives.empty()) m_currentDrive = m_drives.front().text;
}

void Win32Window::ShowDrives() {
    HWND list = Item(kDrive1);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    int current = -1;
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(m_drives[i].text).c_str()));
        if (m_drives[i].text == m_currentDrive) current = static_cast<int>(i);
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

bool Win32Window::OpenFolder(const std::string& path) {
    int error = 0;
    const std::optional<std::string> full = m_files.ResolveReadableFolder(path, error);
    if (!full) return false;
    const std::optional<std::vector<std::string>> subfolders = m_files.ReadSubfolders(*full);
    if (!subfolders) return false;
    m_path = m_open = *full;
    FillFolders(*subfolders);
    return true;
}

void Win32Window::FillFolders(const std::vector<std::string>& subfolders) {
    HWND list = Item(kDir1);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    m_entryPaths.clear();
    int chosen = -1, widest = 0;
    HDC dc = GetDC(list);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    const auto add = [&](const std::string& path, const std::string& shown, std::size_t depth) {
        // Each level indents by three blanks, the way a folder tree draws it.
        const std::wstring text = std::wstring(3 * depth, L' ') + Wide(shown);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
        if (path == m_path) chosen = static_cast<int>(m_entryPaths.size());
        m_entryPaths.push_back(path);
    };
    const std::vector<std::string> chain = FolderChain(m_open);
    for (std::size_t depth = 0; depth < chain.size(); ++depth) {
        add(chain[depth], depth == 0 ? chain[depth] : LastName(chain[depth]), depth);
    }
    for (const std::string& name : subfolders) add(JoinPath(m_open, name), name, chain.size());
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // A deep folder scrolls sideways instead of being cut.
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + MulDiv(8, static_cast<int>(Dpi()), 96)), 0);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowTitle();
}

void Win32Window::ChooseFolderEntry(int index, bool open) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_entryPaths.size()) return;
    const std::string target = m_entryPaths[static_cast<std::size_t>(index)];
    const std::optional<std::vector<std::string>> subfolders = m_files.ReadSubfolders(target);
    if (!subfolders) {
        // The folder went away meanwhile: show the open folder as it is now.
        if (const auto current = m_files.ReadSubfolders(m_open)) FillFolders(*current);
        return;
    }
    const bool changed = target != m_path;
    m_path = target;
    if (open) {
        m_open = target;
        FillFolders(*subfolders);
    } else {
        ShowTitle();
    }
    if (changed) m_form.Dir1_Change();
}

void Win32Window::ShowTitle() { SetWindowTextW(m_window, Wide("Nomvary - " + m_path).c_str()); }

HWND Win32Window::BoxHandle(CheckBox box) const {
    switch (box) {
        case CheckBox::autorunbox:
            return Item(kAutorunbox);
        case CheckBox::capcheck:
            return Item(kCapcheck);
        case CheckBox::capsubcheck:
            return Item(kCapsubcheck);
        case CheckBox::featcheck:
            return Item(kFeatcheck);
        case CheckBox::vscheck:
            return Item(kVscheck);
    }
    return Item(kAutorunbox);
}

HWND Win32Window::OptionHandle(OptionArray array, int index) const {
    if (array == OptionArray::blankopt) return Item(index == 0 ? kBlankopt0 : kBlankopt1);
    return Item(index == 0 ? kFnamopt0 : kFnamopt1);
}

std::string Win32Window::DriveText() { return m_currentDrive; }

bool Win32Window::SetDriveText(const std::string& text) {
    RefreshDrives();
    const bool known =
        std::any_of(m_drives.begin(), m_drives.end(), [&text](const Drive& drive) { return drive.text == text; });
    if (!known) {
        ShowDrives();
        return false;
    }
    const bool changed = text != m_currentDrive;
    m_currentDrive = text;
    ShowDrives();
    if (changed) m_form.Drive1_Change();
    return true;
}

std::optional<std::string> Win32Window::DriveRoot(const std::string& driveText) {
    // The drive text's first two characters are its designator, "c:".
    if (driveText.size() < 2 || driveText[1] != ':') return std::nullopt;
    const std::string root = driveText.substr(0, 2) + '\\';
    if (!m_files.IsReadableFolder(root)) return std::nullopt;
    return root;
}

std::string Win32Window::FolderListPath() { return m_path; }

bool Win32Window::SetFolderListPath(const std::string& path) {
    if (!OpenFolder(path)) return false;
    m_form.Dir1_Change();
    return true;
}

int Win32Window::SelectedOption(OptionArray array) {
    return SendMessageW(OptionHandle(array, 1), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Window::SelectOption(OptionArray array, int index) {
    SendMessageW(OptionHandle(array, 0), BM_SETCHECK, index == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(OptionHandle(array, 1), BM_SETCHECK, index == 0 ? BST_UNCHECKED : BST_CHECKED, 0);
    if (array == OptionArray::blankopt) {
        m_form.blankopt_Click(index);
    } else {
        m_form.fnamopt_Click(index);
    }
}

bool Win32Window::IsChecked(CheckBox box) { return SendMessageW(BoxHandle(box), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32Window::SetChecked(CheckBox box, bool checked) {
    if (IsChecked(box) == checked) return;
    SendMessageW(BoxHandle(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (box == CheckBox::capcheck) m_form.capcheck_Click();
}

bool Win32Window::IsEnabled(CheckBox box) { return IsWindowEnabled(BoxHandle(box)) != FALSE; }

void Win32Window::SetEnabled(CheckBox box, bool enabled) { EnableWindow(BoxHandle(box), enabled ? TRUE : FALSE); }

// A text longer than the line loses its middle, where a path can best spare
// it.
void Win32Window::SetStatusText(const std::string& text) { SetWindowTextW(Item(kStatus), Wide(text).c_str()); }

void Win32Window::ProcessPendingEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The loop that ends the program must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool Win32Window::AskYesNo(const std::string& text, const std::string& title) {
    return MessageBoxW(m_window, Wide(text).c_str(), Wide(title).c_str(), MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

void Win32Window::ShowMessage(const std::string& text, const std::string& title) {
    MessageBoxW(m_window, Wide(text).c_str(), Wide(title).c_str(), MB_OK);
}

void Win32Window::EndProgram() {
    // No handler runs from here on, not even Form_Unload.
    m_ended = true;
    ShowWindow(m_window, SW_HIDE);
    PostQuitMessage(0);
}

void Win32Window::ShowPreview(const std::string& summary, const std::vector<std::string>& lines) {
    PreviewBox(m_window, m_instance, summary, lines).Run();
}

std::unique_ptr<RunProgress> Win32Window::StartProgress() {
    return std::make_unique<Win32RunProgress>(m_window, m_instance, [this] { ProcessPendingEvents(); });
}

}  // namespace nomvary
