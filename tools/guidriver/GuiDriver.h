#pragma once
// Drives another program's windows from outside, as a person would: finds windows
// and controls by their texts, clicks (posted, so that a click which opens a modal
// dialog does not block the driver), reads labels and message boxes, takes
// screenshots of the X screen. Used by guidriver.exe and by the Wine tests.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace guidriver {

// Polls `done` every 20 ms until it holds or `timeoutMs` passed.
inline bool WaitFor(const std::function<bool()>& done, unsigned timeoutMs = 10000) {
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < timeoutMs; Sleep(20))
        if (done()) return true;
    return done();
}

// A window's text; it does not wait for the window's thread, which may be busy.
inline std::wstring Text(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
    return text;
}

inline std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

inline DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// Top-level windows of process `pid` (0: any) that pass `match`.
inline std::vector<HWND> TopWindows(DWORD pid, const std::function<bool(HWND)>& match) {
    struct Search {
        DWORD pid;
        const std::function<bool(HWND)>* match;
        std::vector<HWND> found;
    } search{pid, &match, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if ((s->pid == 0 || ProcessOf(h) == s->pid) && (*s->match)(h)) s->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Child controls of `parent` (at any depth) whose text is exactly `text`.
inline HWND FindChild(HWND parent, std::wstring_view text) {
    struct Search {
        std::wstring_view text;
        HWND found = nullptr;
    } search{text};
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (Text(h) != s->text) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The top-level window of `pid` titled `title`; hidden ones too unless `visibleOnly`.
inline HWND FindWindowByTitle(DWORD pid, std::wstring_view title, bool visibleOnly = false) {
    const auto found = TopWindows(pid, [&](HWND h) { return Text(h) == title && (!visibleOnly || IsWindowVisible(h)); });
    return found.empty() ? nullptr : found.front();
}

// The visible top-level window of `pid` that holds a control with `childText`
// (for windows without a title).
inline HWND FindWindowWithChild(DWORD pid, std::wstring_view childText) {
    const auto found = TopWindows(pid, [&](HWND h) { return IsWindowVisible(h) && FindChild(h, childText); });
    return found.empty() ? nullptr : found.front();
}

// Visible top-level windows of `pid` of the window class `cls` ("#32770" for
// message boxes and dialogs, "#32768" for pop-up menus).
inline std::vector<HWND> VisibleOfClass(DWORD pid, std::wstring_view cls) {
    return TopWindows(pid, [&](HWND h) { return IsWindowVisible(h) && ClassName(h) == cls; });
}

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;
};
// The message boxes `pid` shows now; their text is the static control 0xFFFF.
inline std::vector<MessageBoxInfo> MessageBoxes(DWORD pid) {
    std::vector<MessageBoxInfo> boxes;
    for (HWND h : VisibleOfClass(pid, L"#32770")) {
        HWND text = GetDlgItem(h, 0xFFFF);
        boxes.push_back({h, Text(h), text ? Text(text) : std::wstring()});
    }
    return boxes;
}

// Presses a button the way BM_CLICK does, without waiting for what it starts.
inline bool Click(HWND button) { return button && PostMessageW(button, BM_CLICK, 0, 0); }

// Keys posted to a window, for example to a pop-up menu's window.
inline void PostKeys(HWND hwnd, std::initializer_list<WORD> keys) {
    for (WORD vk : keys) {
        PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    }
}

// Moves the mouse pointer to the centre of `hwnd` with real input, so that the
// window under it sees the pointer arrive. (Under Wine, SetCursorPos alone is not
// always seen by other processes.)
inline bool MoveMouseOver(HWND hwnd) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return false;
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SetCursorPos(x, y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &in, sizeof in) == 1;
}

// A screenshot of the X screen (ImageMagick's import) into the Unix path `png`,
// cut to `area` when one is given (screen coordinates: Wine's virtual desktop
// lies at the X screen's origin); true when the file was written.
inline bool Screenshot(const std::string& png, const RECT* area = nullptr) {
    std::wstring dos = L"Z:";
    for (char c : png) dos += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    DeleteFileW(dos.c_str());
    // Wine starts Unix programs too (not with CREATE_NO_WINDOW), but their process
    // handles say nothing: wait until the PNG is complete instead.
    std::wstring cmd = L"/usr/bin/import -window root ";
    if (area)
        cmd += L"-crop " + std::to_wstring(area->right - area->left) + L"x" + std::to_wstring(area->bottom - area->top) +
               L"+" + std::to_wstring(area->left) + L"+" + std::to_wstring(area->top) + L" +repage ";
    cmd += L"\"";
    for (char c : png) cmd += static_cast<wchar_t>(static_cast<unsigned char>(c));
    cmd += L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return WaitFor(
        [&] {
            HANDLE f = CreateFileW(dos.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            if (f == INVALID_HANDLE_VALUE) return false;
            char tail[12] = {};
            DWORD got = 0;
            const bool ok = SetFilePointer(f, -12, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                            ReadFile(f, tail, 12, &got, nullptr) && got == 12 &&
                            std::string_view(tail + 4, 4) == "IEND";
            CloseHandle(f);
            return ok;
        },
        20000);
}

} // namespace guidriver
