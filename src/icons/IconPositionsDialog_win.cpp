// frmIconPositions: the banner, Save, Load, the four favourite slots with their
// Browse buttons, Done and Cancel. The decisions are in icons/IconPositions.h.
#include "icons/IconPositionsDialog_win.h"

#include "resource.h"
#include "icons/IconPositions.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

constexpr int kClientWidth = 4260, kClientHeight = 5130;
constexpr TwipsRect kBanner{0, 0, 4260, 855};
constexpr TwipsRect kBannerText{120, 240, 4095, 255}; // inside the banner
constexpr TwipsRect kSave{240, 960, 3735, 495};
constexpr TwipsRect kLoad{240, 1680, 3735, 495};
constexpr TwipsRect kFrame{240, 2400, 3735, 1935};
constexpr TwipsRect kDone{240, 4560, 1095, 375};
constexpr TwipsRect kCancel{2880, 4560, 1095, 375};
// The slots sit in the frame, one row of 360 twips each.
constexpr TwipsRect NameBox(int i) { return {kFrame.left + 120, kFrame.top + 360 + 360 * i, 2655, 285}; }
constexpr TwipsRect BrowseButton(int i) { return {kFrame.left + 2880, kFrame.top + 360 + 360 * i, 735, 300}; }

constexpr COLORREF kBannerColour = RGB(255, 255, 255);

class IconPositionsDialog {
public:
    IconPositionsDialog(Context& ctx, Win32Ui& ui) : ctx_(ctx), ui_(ui), slots_(FavoritesOf(ctx.st.settings)) {}

    bool Show(HWND owner) {
        const INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ICON_POSITIONS), owner,
                                          DialogThunk<IconPositionsDialog>, reinterpret_cast<LPARAM>(this));
        return r == IDOK;
    }

private:
    template <typename Dialog>
    friend INT_PTR CALLBACK stowly::DialogThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;

    void Layout(UINT dpi);
    void ShowSlot(int i);
    void OnCommand(int id);
    // Runs a button's action (RunDisabled) and brings the dialog back to the front.
    template <typename Action>
    void Run(Action&& action);
    void DrawBanner(const DRAWITEMSTRUCT& di);

    Context& ctx_;
    Win32Ui& ui_;
    HWND dlg_ = nullptr;
    FavoriteSlots slots_; // the dialog's own copy until Done
    HFONT bannerFont_ = nullptr; // the dialog's, not ours to delete
    GdiObject bannerBrush_{CreateSolidBrush(kBannerColour)};
    UINT dpi_ = 96;
};

void IconPositionsDialog::Layout(UINT dpi) {
    dpi_ = dpi;
    SizeClientArea(dlg_, kClientWidth, kClientHeight, dpi);
    PlaceControl(dlg_, IDC_POSITIONS_BANNER, kBanner, dpi);
    PlaceControl(dlg_, IDC_POSITIONS_SAVE, kSave, dpi);
    PlaceControl(dlg_, IDC_POSITIONS_LOAD, kLoad, dpi);
    PlaceControl(dlg_, IDC_POSITIONS_FRAME, kFrame, dpi);
    for (int i = 0; i < 4; ++i) {
        PlaceControl(dlg_, IDC_POSITIONS_NAME0 + i, NameBox(i), dpi);
        PlaceControl(dlg_, IDC_POSITIONS_BROWSE0 + i, BrowseButton(i), dpi);
    }
    PlaceControl(dlg_, IDOK, kDone, dpi);
    PlaceControl(dlg_, IDCANCEL, kCancel, dpi);

    // The dialog's own font, which the system scaled for this DPI: a bold one
    // would not fit the banner's line.
    bannerFont_ = reinterpret_cast<HFONT>(SendMessageW(dlg_, WM_GETFONT, 0, 0));
    InvalidateRect(dlg_, nullptr, TRUE);
}

void IconPositionsDialog::ShowSlot(int i) {
    SetDlgItemTextW(dlg_, IDC_POSITIONS_NAME0 + i, Widen(slots_[i].name).c_str());
}

void IconPositionsDialog::DrawBanner(const DRAWITEMSTRUCT& di) {
    FillRect(di.hDC, &di.rcItem, static_cast<HBRUSH>(bannerBrush_.get()));
    RECT text{TwipsAtDpi(kBannerText.left, dpi_), TwipsAtDpi(kBannerText.top, dpi_),
              TwipsAtDpi(kBannerText.left + kBannerText.width, dpi_),
              TwipsAtDpi(kBannerText.top + kBannerText.height, dpi_)};
    HGDIOBJ old = SelectObject(di.hDC, bannerFont_);
    SetBkMode(di.hDC, TRANSPARENT);
    SetTextColor(di.hDC, RGB(0, 0, 128));
    DrawTextW(di.hDC, L"Memorize and Recall Desktop Icon Locations", -1, &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(di.hDC, old);
}

template <typename Action>
void IconPositionsDialog::Run(Action&& action) {
    RunDisabled(dlg_, ui_, action);
    SetForegroundWindow(dlg_);
}

void IconPositionsDialog::OnCommand(int id) {
    switch (id) {
    case IDC_POSITIONS_SAVE:
        Run([&] { SavePositions(ctx_); });
        break;
    case IDC_POSITIONS_LOAD:
        Run([&] { LoadPositions(ctx_); });
        break;
    case IDOK:
        Run([&] { StoreFavorites(ctx_, slots_); });
        EndDialog(dlg_, IDOK);
        break;
    case IDCANCEL: // also the close box and Escape: Browse's choices are dropped
        EndDialog(dlg_, IDCANCEL);
        break;
    default:
        if (id >= IDC_POSITIONS_BROWSE0 && id <= IDC_POSITIONS_BROWSE3) {
            const int slot = id - IDC_POSITIONS_BROWSE0;
            Run([&] {
                if (auto chosen = BrowseFavorite(ctx_)) {
                    slots_[slot] = std::move(*chosen);
                    ShowSlot(slot);
                }
            });
        }
        break;
    }
}

INT_PTR IconPositionsDialog::DlgProc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            Layout(GetDpiForWindow(dlg_));
            CentreOverOwner(dlg_);
            for (int i = 0; i < 4; ++i) {
                ShowSlot(i);
                SetAccessibleName(GetDlgItem(dlg_, IDC_POSITIONS_BROWSE0 + i),
                                  L"Browse for favorite " + std::to_wstring(i + 1));
            }
            return TRUE; // the first control (Save) takes the focus
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) OnCommand(LOWORD(wp));
            return TRUE;
        case WM_DRAWITEM: {
            const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di.CtlID != IDC_POSITIONS_BANNER) return FALSE;
            DrawBanner(di);
            return TRUE;
        }
        case WM_SETCURSOR:
            return DialogCursor(dlg_, ui_.Busy());
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(dlg_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wp));
            return TRUE;
        }
        }
    } catch (...) {
        EndDialog(dlg_, IDCANCEL);
    }
    return FALSE;
}

} // namespace

bool ShowIconPositionsDialog(HWND owner, Context& ctx, Win32Ui& ui) {
    IconPositionsDialog dialog(ctx, ui);
    return dialog.Show(owner);
}

} // namespace stowly
