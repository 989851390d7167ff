#pragma once
// What the program's modal dialogs share: the dialog procedure that binds the
// object shown (passed to DialogBoxParam) at WM_INITDIALOG, places given in twips,
// and accessible names for controls whose text does not say enough.
#include <windows.h>

#include <exception>
#include <string>

#include "platform/Ui.h"

namespace stowly {

// The dialog class declares it a friend and has `HWND dlg_` and
// `INT_PTR DlgProc(UINT, WPARAM, LPARAM) noexcept`.
template <typename Dialog>
INT_PTR CALLBACK DialogThunk(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lp);
        self->dlg_ = dlg;
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dlg, DWLP_USER));
    return self ? self->DlgProc(msg, wp, lp) : FALSE;
}

// A place in twips (1440 to the inch): left, top, width, height.
struct TwipsRect {
    int left, top, width, height;
};

inline int TwipsAtDpi(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

// Puts control `id` of `dlg` at `place`, in pixels at `dpi`.
inline void PlaceControl(HWND dlg, int id, const TwipsRect& place, UINT dpi) {
    SetWindowPos(GetDlgItem(dlg, id), nullptr, TwipsAtDpi(place.left, dpi), TwipsAtDpi(place.top, dpi),
                 TwipsAtDpi(place.width, dpi), TwipsAtDpi(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Gives the dialog a client area of `width` by `height` twips at `dpi`, keeping its frame.
inline void SizeClientArea(HWND dlg, int width, int height, UINT dpi) {
    RECT rc{0, 0, TwipsAtDpi(width, dpi), TwipsAtDpi(height, dpi)};
    AdjustWindowRectExForDpi(&rc, static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_EXSTYLE)), dpi);
    SetWindowPos(dlg, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centres `dlg` over its owner, or over the work area when the owner is out of
// sight (the main window hidden in the notification area).
inline void CentreOverOwner(HWND dlg) {
    HWND owner = GetWindow(dlg, GW_OWNER);
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT area = mi.rcWork, own;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
    GetWindowRect(dlg, &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    SetWindowPos(dlg, nullptr, area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dialog's WM_SETCURSOR: the hourglass while an operation of the program runs.
inline INT_PTR DialogCursor(HWND dlg, bool busy) {
    if (!busy) return FALSE;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// Runs a button's action with the dialog disabled: the action's prompts and moves
// let messages through, and a second click must not start a second action. An
// unexpected failure is shown rather than let through the dialog procedure.
template <typename Action>
void RunDisabled(HWND dlg, Ui& ui, Action&& action) {
    EnableWindow(dlg, FALSE);
    try {
        action();
    } catch (const std::exception& e) {
        ui.SetBusy(false);
        ui.Message(e.what(), "Error", MsgButtons::Ok, MsgIcon::Critical);
    }
    EnableWindow(dlg, TRUE);
}

// The name a screen reader gives `control`, in place of its own text (several
// buttons may all read "Browse"). Without the accessibility service the control
// keeps its own text as its name.
void SetAccessibleName(HWND control, const std::wstring& name);

} // namespace stowly
