// frmSplash: the product's name, logo, legal notice and version, shown at start.
#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "resource.h"
#include "app/Splash.h"
#include "core/Version.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

constexpr wchar_t kSplashClass[] = L"StowlySplash";
constexpr DWORD kStyle = WS_POPUP | WS_BORDER; // no title bar, fixed single border
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;   // no taskbar button of its own
constexpr unsigned kShowMs = 3000;

constexpr wchar_t kLegalNotice[] =
    L"Copyright \u00A9 Orvenko, Inc. All rights reserved.\n\n"
    L"This program is protected by copyright law. Copying or distributing it, or any part of it, "
    L"without permission is not allowed.";

// Positions in twips, converted at the window's DPI.
struct TwipsRect {
    int x, y, cx, cy;
};
constexpr int kClientCx = 6825, kClientCy = 4350;
constexpr TwipsRect kLogo{360, 360, 1440, 1440};
constexpr TwipsRect kTitle{2040, 480, 4425, 840};
constexpr TwipsRect kNotice{2040, 1560, 4425, 1920};
constexpr TwipsRect kVersionNo{2040, 3720, 4425, 330};

enum ControlId : int { kTitleLabel = 1, kNoticeLabel, kVersionLabel };

int Px(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

class SplashWindow {
public:
    SplashWindow() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = Thunk;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kSplashClass;
        RegisterClassExW(&wc);
        owner_.reset(CreateWindowExW(kExStyle, kSplashClass, L"", kStyle, 0, 0, 1, 1, nullptr, nullptr, instance,
                                     this));
        if (!hwnd_) return;
        for (int id : {kTitleLabel, kNoticeLabel, kVersionLabel})
            CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 1, 1, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SetDlgItemTextW(hwnd_, kTitleLabel, L"Stowly\u2122");
        SetDlgItemTextW(hwnd_, kNoticeLabel, kLegalNotice);
        SetDlgItemTextW(hwnd_, kVersionLabel, Widen("Version: " + VersionText()).c_str());
        const UINT dpi = GetDpiForWindow(hwnd_);
        Layout(dpi);
        Centre(dpi);
    }

    void Show() {
        if (!hwnd_) return;
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<SplashWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<SplashWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return self ? self->WndProc(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
    }

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            const UINT dpi = GetDpiForWindow(hwnd_);
            if (logo_)
                DrawIconEx(dc, Px(kLogo.x, dpi), Px(kLogo.y, dpi), logo_.get(), Px(kLogo.cx, dpi),
                           Px(kLogo.cy, dpi), 0, nullptr, DI_NORMAL);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wp));
            return 0;
        }
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }

    void Place(int id, const TwipsRect& r, UINT dpi, HGDIOBJ font) {
        HWND child = GetDlgItem(hwnd_, id);
        MoveWindow(child, Px(r.x, dpi), Px(r.y, dpi), Px(r.cx, dpi), Px(r.cy, dpi), TRUE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }

    // Fonts, logo and controls for one DPI; the window's size follows from it too.
    void Layout(UINT dpi) {
        auto font = [dpi](int points, int weight) {
            return CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
        };
        GdiObject titleFont(font(26, FW_BOLD));
        GdiObject textFont(font(9, FW_NORMAL));
        Place(kTitleLabel, kTitle, dpi, titleFont.get());
        Place(kNoticeLabel, kNotice, dpi, textFont.get());
        Place(kVersionLabel, kVersionNo, dpi, textFont.get());
        // The controls now use the new fonts; the old ones can go.
        titleFont_ = std::move(titleFont);
        textFont_ = std::move(textFont);

        const int side = Px(kLogo.cx, dpi);
        logo_.reset(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_STOWLY), IMAGE_ICON, side, side, 0)));
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    void Centre(UINT dpi) {
        RECT r{0, 0, Px(kClientCx, dpi), Px(kClientCy, dpi)};
        AdjustWindowRectExForDpi(&r, kStyle, FALSE, kExStyle, dpi);
        const int cx = r.right - r.left, cy = r.bottom - r.top;
        MONITORINFO mi{sizeof(mi)};
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
        const RECT& m = mi.rcMonitor;
        SetWindowPos(hwnd_, nullptr, m.left + (m.right - m.left - cx) / 2, m.top + (m.bottom - m.top - cy) / 2, cx,
                     cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND hwnd_ = nullptr; // valid from WM_NCCREATE on
    WindowHandle owner_;  // destroys the window with this object
    GdiObject titleFont_, textFont_;
    IconHandle logo_;
};

} // namespace

void ShowSplash(Win32Ui& ui) {
    SplashWindow splash;
    splash.Show();
    ui.PumpFor(kShowMs);
}

} // namespace stowly
