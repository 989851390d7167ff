// frmCleanDesktop and frmRestoreDesktop: one window class for both, showing the
// closet's places, wallpaper, screen size, password and icons. The decisions are
// in closet/AdvancedCloset.h.
#include "closet/AdvancedClosetDialogs_win.h"

#include <functional>

#include "resource.h"
#include "closet/AdvancedCloset.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

struct Kind {
    const wchar_t* caption;
    const wchar_t* heading;
    const wchar_t* button;
};
constexpr Kind kClean{L"Clean Desktop (Advanced)", L"Remove all icons from the Windows Desktop", L"Clean"};
constexpr Kind kRestore{L"Restore Desktop (Advanced)", L"Place all icons from the closet back to the Desktop",
                        L"Restore"};

class AdvancedClosetDialog {
public:
    // `run` is the dialog's button: it gets the typed password and says whether
    // the dialog closes. `canRun` false leaves the button disabled.
    AdvancedClosetDialog(Win32Ui& ui, const Kind& kind, const ClosetDialogFields& fields, bool canRun,
                         std::function<DialogEnd(const std::string& password)> run)
        : ui_(ui), kind_(kind), fields_(fields), canRun_(canRun), run_(std::move(run)) {}

    void Show(HWND owner) {
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADVANCED_CLOSET), owner,
                        DialogThunk<AdvancedClosetDialog>, reinterpret_cast<LPARAM>(this));
    }

private:
    template <typename Dialog>
    friend INT_PTR CALLBACK stowly::DialogThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Fill();
    void OnRun();

    Win32Ui& ui_;
    const Kind& kind_;
    ClosetDialogFields fields_;
    bool canRun_;
    std::function<DialogEnd(const std::string&)> run_;
    HWND dlg_ = nullptr;
};

void AdvancedClosetDialog::Fill() {
    SetWindowTextW(dlg_, kind_.caption);
    SetDlgItemTextW(dlg_, IDC_CLOSET_HEADING, kind_.heading);
    SetDlgItemTextW(dlg_, IDOK, kind_.button);
    const std::pair<int, const std::string*> boxes[] = {
        {IDC_CLOSET_DIRECTORY, &fields_.closetDirectory}, {IDC_CLOSET_KEYFILE, &fields_.keyFile},
        {IDC_CLOSET_WALLPAPER, &fields_.wallpaper},       {IDC_CLOSET_SCREEN, &fields_.screenSize},
        {IDC_CLOSET_PASSWORD, &fields_.password},         {IDC_CLOSET_ICONS, &fields_.icons}};
    for (const auto& [id, text] : boxes) SetDlgItemTextW(dlg_, id, Widen(*text).c_str());
    EnableWindow(GetDlgItem(dlg_, IDOK), canRun_);
}

void AdvancedClosetDialog::OnRun() {
    HWND box = GetDlgItem(dlg_, IDC_CLOSET_PASSWORD);
    std::wstring typed(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    typed.resize(static_cast<size_t>(GetWindowTextW(box, typed.data(), static_cast<int>(typed.size()))));
    DialogEnd end = DialogEnd::StayOpen;
    RunDisabled(dlg_, ui_, [&] { end = run_(Narrow(typed)); });
    if (end == DialogEnd::Close) {
        EndDialog(dlg_, IDOK);
        return;
    }
    SetForegroundWindow(dlg_);
    SetFocus(box);
}

INT_PTR AdvancedClosetDialog::DlgProc(UINT msg, WPARAM wp, LPARAM) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            Fill();
            CentreOverOwner(dlg_);
            SetFocus(GetDlgItem(dlg_, IDC_CLOSET_PASSWORD));
            SendDlgItemMessageW(dlg_, IDC_CLOSET_PASSWORD, EM_SETSEL, 0, -1);
            return FALSE; // the focus is set
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK && IsWindowEnabled(GetDlgItem(dlg_, IDOK))) OnRun();
            else if (LOWORD(wp) == IDCANCEL) EndDialog(dlg_, IDCANCEL);
            return TRUE;
        case WM_SETCURSOR:
            return DialogCursor(dlg_, ui_.Busy());
        }
    } catch (...) {
        EndDialog(dlg_, IDCANCEL);
    }
    return FALSE;
}

} // namespace

void ShowAdvancedCleanDialog(HWND owner, Context& ctx, Win32Ui& ui) {
    const CleanDialog loaded = LoadCleanDialog(ctx);
    AdvancedClosetDialog dialog(ui, kClean, loaded.fields, true,
                                [&](const std::string& password) { return RunAdvancedClean(ctx, loaded, password); });
    dialog.Show(owner);
}

void ShowAdvancedRestoreDialog(HWND owner, Context& ctx, Win32Ui& ui) {
    const RestoreDialog loaded = LoadRestoreDialog(ctx);
    AdvancedClosetDialog dialog(ui, kRestore, loaded.fields, loaded.loaded, [&](const std::string& password) {
        return RunAdvancedRestore(ctx, loaded, password);
    });
    dialog.Show(owner);
}

} // namespace stowly
