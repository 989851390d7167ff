// A plain window in place of the main window, until the real one exists.
#include <windows.h>

#include "../../res/resource.h"
#include "app/MainWindow.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

LRESULT CALLBACK PlaceholderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int RunMainWindow(Context&, Win32Ui& ui) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = PlaceholderProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_STOWLY));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"StowlyMain";
    RegisterClassExW(&wc);

    const std::wstring title = Widen("Stowly\xE2\x84\xA2 - Version: " + VersionText());
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOW);
    return ui.RunMessageLoop();
}

} // namespace stowly
