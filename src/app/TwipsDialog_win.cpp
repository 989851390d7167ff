#include "app/TwipsDialog_win.h"

#include <exception>
#include <utility>

#include "app/Fonts_win.h"
#include "app/MainCommands.h"

namespace stowly {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;

} // namespace

INT_PTR TwipsDialog::RunModal(HWND owner, const std::wstring& title) {
    // An empty template: the controls are made at WM_INITDIALOG from the table.
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } empty{{kStyle, WS_EX_CONTROLPARENT, 0, 0, 0, 100, 60}, 0, 0, 0};
    title_ = title;
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.dialog, owner, Proc,
                                   reinterpret_cast<LPARAM>(this));
}

int TwipsDialog::Px(int twips) const { return TwipsToPixels(twips, static_cast<int>(dpi_)); }

RECT TwipsDialog::PlaceOf(const TwipsRect& r) const {
    return {Px(r.left), Px(r.top), Px(r.left) + Px(r.width), Px(r.top) + Px(r.height)};
}

HFONT TwipsDialog::Font(DialogFont font) const {
    switch (font) {
    case DialogFont::Bold: return static_cast<HFONT>(boldFont_.get());
    case DialogFont::Title: return static_cast<HFONT>(titleFont_.get());
    default: return static_cast<HFONT>(normalFont_.get());
    }
}

void TwipsDialog::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const DialogControl& c : controls_) {
        const DWORD style = c.style | WS_CHILD | (c.hidden ? 0 : WS_VISIBLE);
        CreateWindowExW(c.exStyle, c.cls, c.text, style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    }
}

void TwipsDialog::Layout(UINT dpi) {
    dpi_ = dpi;
    GdiObject oldNormal = std::move(normalFont_), oldBold = std::move(boldFont_), oldTitle = std::move(titleFont_);
    normalFont_.reset(MessageFont(dpi, 90, FW_NORMAL));
    boldFont_.reset(MessageFont(dpi, 90, FW_BOLD));
    titleFont_.reset(MessageFont(dpi, 200, FW_BOLD, L"Arial"));
    for (const DialogControl& c : controls_) {
        HWND h = Item(c.id);
        const RECT r = PlaceOf(c.place);
        SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.font)), TRUE);
    }
    // The old fonts go only now that no control uses them.
    oldNormal.reset();
    oldBold.reset();
    oldTitle.reset();

    RECT frame{0, 0, Px(size_.cx), Px(size_.cy)};
    if (!outerSize_) {
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
        AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnLayout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

INT_PTR TwipsDialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowTextW(hwnd_, title_.c_str());
        CreateControls();
        Layout(GetDpiForWindow(hwnd_));
        // Centred over the owner's screen.
        MONITORINFO mi{sizeof mi};
        GetMonitorInfoW(MonitorFromWindow(GetWindow(hwnd_, GW_OWNER) ? GetWindow(hwnd_, GW_OWNER) : hwnd_,
                                          MONITOR_DEFAULTTOPRIMARY),
                        &mi);
        RECT wr;
        GetWindowRect(hwnd_, &wr);
        SetWindowPos(hwnd_, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - (wr.right - wr.left)) / 2,
                     mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - (wr.bottom - wr.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        OnInit();
        return TRUE; // focus to the first control with a tab stop
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return TRUE;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd_, nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(HIWORD(wp));
        return TRUE;
    }
    default: {
        INT_PTR result = 0;
        return OnMessage(msg, wp, lp, result) ? result : FALSE;
    }
    }
}

INT_PTR CALLBACK TwipsDialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        reinterpret_cast<TwipsDialog*>(lp)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<TwipsDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Handle(msg, wp, lp);
    } catch (const std::exception&) {
        // Nothing may cross the dialog manager; the dialog ends as if cancelled.
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
}

} // namespace stowly
