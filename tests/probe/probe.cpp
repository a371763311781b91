// The end-to-end tests' probe: runs inside the test prefix and reads what a
// person would see (message boxes, windows, the screen-saver settings) and
// presses buttons.  Output is UTF-8, one fact per line.
#include "../ClosedMutex.h"

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& line)
{
    const std::wstring full = line + L"\n";
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()), utf8.data(), n, nullptr, nullptr);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring ClassOf(HWND h)
{
    wchar_t name[256] = L"";
    GetClassNameW(h, name, 256);
    return name;
}

std::wstring TextOf(HWND h)
{
    const int n = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(h, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring Escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r') out += L"\\r";
        else if (c == L'\n') out += L"\\n";
        else if (c == L'\t') out += L"\\t";
        else if (c == L'\\') out += L"\\\\";
        else out += c;
    }
    return out;
}

std::vector<HWND> MessageBoxes()
{
    std::vector<HWND> boxes;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            if (ClassOf(h) == L"#32770" && TextOf(h) == L"Lullwick" && IsWindowVisible(h))
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// Which system icon the box shows, told by comparing its pixels with each candidate.
std::wstring IconOf(HWND box)
{
    HWND iconControl = nullptr;
    for (HWND c : Children(box))
        if (ClassOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) iconControl = c;
    if (!iconControl || !IsWindowVisible(iconControl)) return L"none";
    RECT r;
    GetWindowRect(iconControl, &r);
    const int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, size, size);
    HBITMAP candidate = CreateCompatibleBitmap(screen, size, size);
    SelectObject(mem, shot);
    BitBlt(mem, 0, 0, size, size, screen, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> seen;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) seen.push_back(GetPixel(mem, x, y));
    const COLORREF background = seen.front();
    const struct {
        const wchar_t* id;
        const wchar_t* name;
    } icons[] = {{IDI_HAND, L"error"}, {IDI_ASTERISK, L"information"}, {IDI_EXCLAMATION, L"warning"},
        {IDI_QUESTION, L"question"}};
    std::wstring best = L"unknown";
    long bestDiff = 0x7fffffff;
    for (const auto& icon : icons) {
        SelectObject(mem, candidate);
        HBRUSH brush = CreateSolidBrush(background);
        const RECT all{0, 0, size, size};
        FillRect(mem, &all, brush);
        DeleteObject(brush);
        DrawIconEx(mem, 0, 0, LoadIconW(nullptr, icon.id), size, size, 0, nullptr, DI_NORMAL);
        long diff = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const COLORREF a = GetPixel(mem, x, y), b = seen[static_cast<size_t>(y * size + x)];
                diff += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                    std::abs(GetBValue(a) - GetBValue(b));
            }
        if (diff < bestDiff) {
            bestDiff = diff;
            best = icon.name;
        }
    }
    DeleteDC(mem);
    DeleteObject(shot);
    DeleteObject(candidate);
    ReleaseDC(nullptr, screen);
    return best;
}

// "left top width height"
std::wstring RectText(const RECT& r)
{
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top);
}

void DescribeAndPress(HWND box, bool press)
{
    std::wstring text;
    for (HWND c : Children(box))
        if (ClassOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) text += TextOf(c);
    std::wstring buttons;
    for (HWND c : Children(box))
        if (ClassOf(c) == L"Button" && IsWindowVisible(c)) buttons += L"[" + TextOf(c) + L"]";
    Print(L"text=" + Escaped(text));
    Print(L"icon=" + IconOf(box));
    Print(L"buttons=" + buttons);
    Print(L"owner=" + std::to_wstring(GetWindow(box, GW_OWNER) != nullptr));
    RECT r;
    GetWindowRect(box, &r);
    Print(L"rect=" + RectText(r));
    if (press) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

HWND FindWindowOfClass(const std::wstring& suffix)
{
    struct Search {
        std::wstring suffix;
        HWND found = nullptr;
    } search{suffix};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            const std::wstring c = ClassOf(h);
            if (c.ends_with(s->suffix) && c.starts_with(L"Lullwick.")) {
                s->found = h;
                return FALSE;
            }
            for (HWND child : Children(h)) {
                const std::wstring cc = ClassOf(child);
                if (cc.ends_with(s->suffix) && cc.starts_with(L"Lullwick.")) {
                    s->found = child;
                    return FALSE;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    // The tray's callback window is message-only, which EnumWindows does not list.
    for (HWND h = nullptr; !search.found && (h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr));) {
        const std::wstring c = ClassOf(h);
        if (c.ends_with(suffix) && c.starts_with(L"Lullwick.")) search.found = h;
    }
    return search.found;
}

void PrintWindowState(HWND h)
{
    if (!h) {
        Print(L"window=none");
        return;
    }
    RECT r;
    GetWindowRect(h, &r);
    Print(L"window=" + std::to_wstring(IsWindowVisible(h)) + L" " + RectText(r));
}

// The client area in screen coordinates, where a child control must lie.
void PrintClientArea(HWND h)
{
    if (!h) {
        Print(L"client=none");
        return;
    }
    RECT r;
    GetClientRect(h, &r);
    MapWindowPoints(h, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    Print(L"client=" + RectText(r));
}

// The control that has the keyboard focus in that window's thread.
void PrintFocus(HWND h)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!h || !GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &info) || !info.hwndFocus) {
        Print(L"focus=none");
        return;
    }
    Print(L"focus=" + ClassOf(info.hwndFocus) + L" " + TextOf(info.hwndFocus));
}

// The screen-saver flag is the display's once a window exists, as in the program.
void PrintSaver()
{
    CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    BOOL active = FALSE;
    INT seconds = 0;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    wchar_t value[16] = L"";
    DWORD size = sizeof value;
    RegGetValueW(
        HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value, &size);
    Print(L"active=" + std::to_wstring(active));
    Print(L"timeout=" + std::to_wstring(seconds));
    Print(L"registry=" + std::wstring(value));
}

HWND VisibleMenu()
{
    HWND menu = nullptr;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            if (ClassOf(h) != L"#32768" || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(p) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&menu));
    return menu;
}

// A tray message as the shell sends it under version 4: the event and the
// icon's identifier in lParam, the anchor (here the pointer) in wParam.
void PostTray(HWND callback, UINT event)
{
    POINT at{};
    GetCursorPos(&at);
    PostMessageW(callback, WM_USER + 200, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, 1));
}

// The right button's press and release, then the menu request that follows them.
void PostRightClick(HWND callback)
{
    for (UINT m : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}) PostTray(callback, m);
}

// Tray messages as the shell sends them, with the setting changed by this other
// program in between, then menu openings and dismissals; to Lullwick's tray
// window unless another program's window class is named.
int Soak(int messages, int menus, const wchar_t* windowClass)
{
    HWND callback = windowClass ? FindWindowW(windowClass, nullptr) : FindWindowOfClass(L"TCallbackWindow");
    if (!callback) return 1;
    CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    auto post = [&](UINT event) { PostTray(callback, event); };
    auto sync = [&] {
        DWORD_PTR r;
        SendMessageTimeoutW(callback, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r);
    };
    int sent = 0, clicks = 0, doubles = 0;
    while (sent < messages) {
        if (sent % 2000 == 1000) {
            for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_LBUTTONDBLCLK, WM_LBUTTONUP, NIN_SELECT})
                post(m);
            sent += 6;
            ++doubles;
        } else if (sent % 50 == 25) {
            for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT}) post(m);
            sent += 3;
            ++clicks;
        } else {
            post(WM_MOUSEMOVE);
            ++sent;
        }
        if (sent % 100 == 0) {
            BOOL active = FALSE;
            SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
            SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, !active, nullptr, SPIF_UPDATEINIFILE);
            sync();
        }
    }
    sync();
    Sleep(GetDoubleClickTime() + 300); // the last single clicks complete
    sync();
    int opened = 0;
    for (int i = 0; i < menus; ++i) {
        PostRightClick(callback);
        HWND menu = nullptr;
        const ULONGLONG end = GetTickCount64() + 5000;
        while (!(menu = VisibleMenu()) && GetTickCount64() < end) Sleep(1);
        if (!menu) break;
        ++opened;
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        while (VisibleMenu() && GetTickCount64() < end + 5000) Sleep(1);
    }
    sync();
    Print(L"sent=" + std::to_wstring(sent));
    Print(L"clicks=" + std::to_wstring(clicks));
    Print(L"doubles=" + std::to_wstring(doubles));
    Print(L"menus=" + std::to_wstring(opened));
    return 0;
}

double Milliseconds(const LARGE_INTEGER& from)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PrintTimes(const std::wstring& name, std::vector<double> times)
{
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    Print(name + L"=" + std::to_wstring(times[times.size() / 2]) + L" " + std::to_wstring(times.back()) + L" " +
        std::to_wstring(times.front()));
}

// From the right button's tray messages to the menu on screen, `count` times.
int MenuLatency(int count)
{
    HWND callback = FindWindowOfClass(L"TCallbackWindow");
    if (!callback) return 1;
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        PostRightClick(callback);
        HWND menu = nullptr;
        while (!(menu = VisibleMenu()) && Milliseconds(start) < 5000) Sleep(0);
        if (!menu) return 1;
        times.push_back(Milliseconds(start));
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        while (VisibleMenu() && Milliseconds(start) < 10000) Sleep(1);
    }
    PrintTimes(L"menu", times);
    return 0;
}

// How late OnClick comes after the left release, beyond the double-click time
// plus 50 ms: the version window it shows is the sign.  The first click is
// reported apart, as that show also builds the window's controls.
int ClickLateness(int count)
{
    HWND callback = FindWindowOfClass(L"TCallbackWindow");
    HWND form = FindWindowOfClass(L"TFormMain");
    if (!callback || !form) return 1;
    const double wait = GetDoubleClickTime() + 50.0;
    std::vector<double> late;
    for (int i = 0; i <= count; ++i) {
        PostTray(callback, WM_LBUTTONDOWN);
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        PostTray(callback, WM_LBUTTONUP);
        PostTray(callback, NIN_SELECT);
        while (!IsWindowVisible(form) && Milliseconds(start) < 5000) Sleep(0);
        late.push_back(Milliseconds(start) - wait);
        // Its controls exist once it has been shown.
        HWND close = nullptr;
        for (HWND c : Children(form))
            if (ClassOf(c).ends_with(L"TButton")) close = c;
        if (!close) return 1;
        PostMessageW(close, BM_CLICK, 0, 0);
        while (IsWindowVisible(form) && Milliseconds(start) < 10000) Sleep(1);
    }
    Print(L"first=" + std::to_wstring(late.front()));
    late.erase(late.begin());
    PrintTimes(L"late", late);
    return 0;
}

// Starts a program with exactly this command line, without waiting for it.
int StartProcess(std::wstring line)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

// Starts the program with a command line no shell could pass on as it is.
int RunSpecial(const std::wstring& program, const std::wstring& kind)
{
    std::wstring line = L"\"" + program + L"\" ";
    if (kind == L"long") line += L"/" + std::wstring(32000 - line.size() - 1, L'x');
    else if (kind == L"surrogate") line += L"/\xD800\xDFFFx\xDC00";
    else if (kind == L"controls") line += L"/\x01S\x7F";
    else if (kind == L"unpaired") line += L"\"/S \t/C";
    else if (kind == L"foreign") line += L"/\u00e9\u0416\U0001F600\u4e02";
    else return 2;
    return StartProcess(line);
}

void SetClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

int Usage()
{
    Print(L"usage: probe saver | set-saver 0|1 [seconds] | announce-saver 0|1 | wait-box ms [--keep] | count-boxes | "
          L"press-boxes |"
          L" window CLASS | client CLASS | focus CLASS | wait-window CLASS ms | count-windows CLASS | close-main | "
          L"post CLASS MSG WPARAM |"
          L" run CMDLINE | menu | broadcast-taskbar | soak MESSAGES MENUS [CLASS] | run-special PROGRAM KIND |"
          L" clipboard TEXT | tooltips | latency-menu N | latency-click N | close-class NAME | record-open FILE | "
          L"hold-guard ms");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    if (command == L"saver") {
        PrintSaver();
    } else if (command == L"registry") {
        // The user profile alone, without a window that could take the foreground.
        wchar_t value[16] = L"";
        DWORD size = sizeof value;
        RegGetValueW(
            HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value, &size);
        Print(L"registry=" + std::wstring(value));
    } else if (command == L"set-saver" && argc >= 3) {
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, _wtoi(argv[2]), nullptr, SPIF_UPDATEINIFILE);
        if (argc >= 4)
            SystemParametersInfoW(
                SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(_wtoi(argv[3])), nullptr, SPIF_UPDATEINIFILE);
        PrintSaver();
    } else if (command == L"announce-saver" && argc >= 3) {
        // As the Control Panel changes it: every top-level window is told.
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, _wtoi(argv[2]), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
        PrintSaver();
    } else if (command == L"wait-box" && argc >= 3) {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argv[2]));
        const bool keep = argc >= 4 && std::wstring(argv[3]) == L"--keep";
        for (;;) {
            if (const auto boxes = MessageBoxes(); !boxes.empty()) {
                Sleep(200); // let it paint before its icon is read
                DescribeAndPress(boxes.front(), !keep);
                return 0;
            }
            if (GetTickCount64() > end) {
                Print(L"text=<none>");
                return 1;
            }
            Sleep(50);
        }
    } else if (command == L"tooltips") {
        // The tips and balloons on screen, as the shell shows them: "tip TEXT" or "balloon TEXT" each.
        EnumWindows(
            [](HWND h, LPARAM) -> BOOL {
                if (ClassOf(h) != L"tooltips_class32" || !IsWindowVisible(h)) return TRUE;
                const bool balloon = (GetWindowLongW(h, GWL_STYLE) & TTS_BALLOON) != 0;
                Print(std::wstring(L"tooltip=") + (balloon ? L"balloon " : L"tip ") + Escaped(TextOf(h)));
                return TRUE;
            },
            0);
    } else if (command == L"count-boxes") {
        Print(L"boxes=" + std::to_wstring(MessageBoxes().size()));
    } else if (command == L"press-boxes") {
        const auto boxes = MessageBoxes();
        for (HWND box : boxes) PostMessageW(box, WM_COMMAND, IDOK, 0);
        Print(L"pressed=" + std::to_wstring(boxes.size()));
    } else if (command == L"window" && argc >= 3) {
        PrintWindowState(FindWindowOfClass(argv[2]));
    } else if (command == L"client" && argc >= 3) {
        PrintClientArea(FindWindowOfClass(argv[2]));
    } else if (command == L"focus" && argc >= 3) {
        PrintFocus(FindWindowOfClass(argv[2]));
    } else if (command == L"wait-window" && argc >= 4) {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argv[3]));
        HWND h = nullptr;
        while (!(h = FindWindowOfClass(argv[2])) && GetTickCount64() < end) Sleep(50);
        PrintWindowState(h);
        return h ? 0 : 1;
    } else if (command == L"count-windows" && argc >= 3) {
        struct Count {
            std::wstring suffix;
            int n = 0;
        } count{argv[2]};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* c = reinterpret_cast<Count*>(p);
                const std::wstring name = ClassOf(h);
                c->n += name.starts_with(L"Lullwick.") && name.ends_with(c->suffix);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        Print(L"windows=" + std::to_wstring(count.n));
    } else if (command == L"close-main") {
        HWND h = FindWindowOfClass(L"TFormMain");
        if (h) PostMessageW(h, WM_CLOSE, 0, 0);
        Print(L"closed=" + std::to_wstring(h != nullptr));
    } else if (command == L"post" && argc >= 5) {
        // A message that the system would send, such as a lock of the session, which Wine never reports.
        HWND h = FindWindowOfClass(argv[2]);
        if (h) PostMessageW(h, wcstoul(argv[3], nullptr, 0), wcstoul(argv[4], nullptr, 0), 0);
        Print(L"posted=" + std::to_wstring(h != nullptr));
    } else if (command == L"run" && argc >= 3) {
        return StartProcess(argv[2]);
    } else if (command == L"menu") {
        // The open popup menu's window; its items live in the other process.
        PrintWindowState(VisibleMenu());
    } else if (command == L"soak" && argc >= 4) {
        return Soak(_wtoi(argv[2]), _wtoi(argv[3]), argc >= 5 ? argv[4] : nullptr);
    } else if (command == L"run-special" && argc >= 4) {
        return RunSpecial(argv[2], argv[3]);
    } else if (command == L"latency-menu" && argc >= 3) {
        return MenuLatency(_wtoi(argv[2]));
    } else if (command == L"latency-click" && argc >= 3) {
        return ClickLateness(_wtoi(argv[2]));
    } else if (command == L"close-class" && argc >= 3) {
        HWND h = FindWindowW(argv[2], nullptr);
        if (h) PostMessageW(h, WM_CLOSE, 0, 0);
        Print(L"closed=" + std::to_wstring(h != nullptr));
    } else if (command == L"record-open" && argc >= 3) {
        // Stands in for the program the shell opens a page with: notes the file in opened.txt beside the probe.
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring note(self, n);
        note.replace(note.find_last_of(L'\\') + 1, std::wstring::npos, L"opened.txt");
        HANDLE file = CreateFileW(note.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, file);
        Print(argv[2]);
        SetStdHandle(STD_OUTPUT_HANDLE, out);
        CloseHandle(file);
    } else if (command == L"clipboard" && argc >= 3) {
        SetClipboardText(argv[2]);
    } else if (command == L"hold-guard" && argc >= 3) {
        const HANDLE guard = CreateMutexGrantingNothing(L"Lullwick");
        Print(L"held=" + std::to_wstring(guard != nullptr));
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    } else if (command == L"broadcast-taskbar") {
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    } else {
        return Usage();
    }
    return 0;
}
