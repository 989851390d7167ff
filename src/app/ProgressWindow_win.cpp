#include "app/ProgressWindow_win.h"

#include "app/Fonts_win.h"
#include "app/MainCommands.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

constexpr wchar_t kClass[] = L"StowlyWait";
constexpr int kOK = IDOK;
constexpr COLORREF kYellow = RGB(255, 255, 192);

struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect kMSG{120, 240, 5175, 495};
// Once done, with the two small labels hidden, a longer final message ("... 2 items
// could not be moved.") may take their room down to the OK button.
constexpr TwipsRect kMSGDone{120, 240, 5175, 900};
const TwipsRect& MessageRect(bool done, HWND statusLabel) {
    return done && !IsWindowVisible(statusLabel) ? kMSGDone : kMSG;
}
constexpr TwipsRect kStatus{120, 840, 3975, 255};
constexpr TwipsRect kCount{4200, 840, 1095, 255};
constexpr TwipsRect kOKButton{2280, 1200, 975, 375};
constexpr int kOuterWidth = 5475, kOuterHeight = 1680;

void Place(HWND control, const TwipsRect& r, UINT dpi) {
    const int d = static_cast<int>(dpi);
    SetWindowPos(control, nullptr, TwipsToPixels(r.left, d), TwipsToPixels(r.top, d), TwipsToPixels(r.width, d),
                 TwipsToPixels(r.height, d), SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void ProgressWindow::Show(HWND owner, const std::string& message) {
    Close();
    WNDCLASSEXW wc{sizeof wc};
    if (!GetClassInfoExW(instance_, kClass, &wc)) {
        wc.lpfnWndProc = WindowThunk<ProgressWindow>;
        wc.hInstance = instance_;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    done_ = false;
    dpi_ = owner ? GetDpiForWindow(owner) : GetDpiForSystem();
    background_.reset(CreateSolidBrush(kYellow));
    // No caption and a single fixed border; it stays above every other window.
    CreateWindowExW(WS_EX_TOPMOST, kClass, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, owner,
                    nullptr, instance_, this);
    if (!hwnd_) return;
    const auto make = [this](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        return CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    };
    messageLabel_ = make(L"STATIC", Widen(message).c_str(), WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0);
    statusLabel_ = make(L"STATIC", L"Cleaning File:", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0);
    countLabel_ = make(L"STATIC", L"1 out of 1000", SS_RIGHT | SS_NOPREFIX, 0);
    // OK shows and can be pressed only once the operation reports "Done".
    okButton_ = make(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED, kOK);
    Layout();

    // Loading: topmost, centred on the owner's screen.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    SetWindowPos(hwnd_, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2,
                 mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ui_.AddModeless(hwnd_);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

void ProgressWindow::Layout() {
    fontMsg_.reset(MessageFont(dpi_, 135, FW_BOLD));
    fontLabel_.reset(MessageFont(dpi_, 90, FW_NORMAL));
    for (HWND c : {statusLabel_, countLabel_, okButton_})
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(fontLabel_.get()), FALSE);
    SendMessageW(messageLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(fontMsg_.get()), FALSE);
    Place(messageLabel_, MessageRect(done_, statusLabel_), dpi_);
    Place(statusLabel_, kStatus, dpi_);
    Place(countLabel_, kCount, dpi_);
    Place(okButton_, kOKButton, dpi_);
    const int d = static_cast<int>(dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, TwipsToPixels(kOuterWidth, d), TwipsToPixels(kOuterHeight, d),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::SetLabels(const std::string& status, const std::string& count, bool visible) {
    if (!hwnd_) return;
    SetWindowTextW(statusLabel_, Widen(status).c_str());
    SetWindowTextW(countLabel_, Widen(count).c_str());
    ShowWindow(statusLabel_, visible ? SW_SHOWNA : SW_HIDE);
    ShowWindow(countLabel_, visible ? SW_SHOWNA : SW_HIDE);
}

void ProgressWindow::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

// The final message shows as soon as the operation ends, and before OK can be pressed.
void ProgressWindow::Finish(const std::string& message) {
    if (!hwnd_ || done_) return;
    SetWindowTextW(messageLabel_, Widen(message).c_str());
    done_ = true;
    Place(messageLabel_, MessageRect(done_, statusLabel_), dpi_);
    ShowWindow(okButton_, SW_SHOWNA);
    EnableWindow(okButton_, TRUE);
    MessageBeep(MB_OK);
    if (GetForegroundWindow() == hwnd_ || GetActiveWindow() == hwnd_) SetFocus(okButton_);
}

void ProgressWindow::OnOkClicked() {
    ui_.LockBigButtons(true);
    Close();
}

LRESULT ProgressWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_COMMAND:
        // Enter reaches here as IDOK too; it counts only once OK can be pressed.
        if (LOWORD(wp) == kOK && IsWindowEnabled(okButton_) && IsWindowVisible(okButton_)) OnOkClicked();
        return 0;
    case WM_CLOSE:
        return 0; // OK is the only way out
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(background_.get()));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(background_.get());
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(background_.get());
    case WM_DPICHANGED:
        dpi_ = HIWORD(wp);
        Layout();
        return 0;
    case WM_DESTROY:
        ui_.RemoveModeless(hwnd_);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

} // namespace stowly
