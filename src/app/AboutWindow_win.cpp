// frmAbout: title, version, the running Windows, a notice and a legal warning,
// OK and System Info; a double-click on the logo reveals the hidden pictures
// (about/About.h decides which).
#include "app/AboutWindow_win.h"

#include <commctrl.h>

#include <array>

#include "resource.h"
#include "about/About.h"
#include "app/Picture_win.h"
#include "app/TwipsDialog_win.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

enum : int {
    kLogo = 100, kTitle, kVersionNo, kOsName, kNotice, kTopLine, kDisclaimer, kBottomLine, kSysInfo,
    kHidden1, kHidden2, kHidden3,
};

constexpr wchar_t kNoticeText[] = L"Stowly keeps a tidy desktop and puts it back just as it was.";
constexpr wchar_t kDisclaimerText[] =
    L"This program is protected by copyright law. Copying it or passing it on, in whole or in part, without "
    L"the written permission of Orvenko, Inc. is not allowed. Whoever does so may be held liable for the "
    L"damage done.";

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kPicture = SS_OWNERDRAW;
// Places in twips from the client area's top left corner; the hidden pictures'
// places are the ones the double-click moves them to.
const DialogControl kControls[] = {
    {IDOK, WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, {6120, 2760, 1440, 375}},
    {kSysInfo, WC_BUTTONW, L"&System Info...", BS_PUSHBUTTON | WS_TABSTOP, {6120, 3240, 1440, 375}},
    {kLogo, WC_STATICW, L"Stowly logo", kPicture | SS_NOTIFY, {6240, 240, 1200, 1200}},
    {kTitle, WC_STATICW, L"Stowly\u2122", kLabel, {240, 180, 5760, 600}, DialogFont::Title},
    {kVersionNo, WC_STATICW, L"", kLabel, {240, 840, 5760, 270}},
    {kOsName, WC_STATICW, L"", kLabel, {240, 1110, 5760, 270}},
    {kNotice, WC_STATICW, kNoticeText, kLabel, {240, 1440, 5760, 270}},
    {kTopLine, WC_STATICW, L"", SS_ETCHEDHORZ, {240, 1890, 7320, 30}},
    {kDisclaimer, WC_STATICW, L"", kLabel, {240, 2040, 5640, 1440}},
    {kBottomLine, WC_STATICW, L"", SS_ETCHEDHORZ, {240, 3600, 5640, 30}},
    {kHidden1, WC_STATICW, L"", kPicture, {2080, 2110, 1200, 1200}, DialogFont::Normal, 0, true},
    {kHidden2, WC_STATICW, L"", kPicture, {1920, 1800, 1080, 1080}, DialogFont::Normal, 0, true},
    {kHidden3, WC_STATICW, L"", kPicture, {240, 360, 1440, 1080}, DialogFont::Normal, 0, true},
};
// The whole window, frame and title bar included.
constexpr SIZE kWindowSize{7920, 4590};

constexpr std::array<int, 3> kHidden{kHidden1, kHidden2, kHidden3};
constexpr std::array<int, 4> kArt{IDR_ART_ABOUT_LOGO, IDR_ART_ABOUT_BOX, IDR_ART_ABOUT_SPARKLE, IDR_ART_ABOUT_SCREEN};

class AboutWindow : public TwipsDialog {
public:
    explicit AboutWindow(Context& ctx) : TwipsDialog(kControls, kWindowSize, true), ctx_(ctx) {}
    void Run(HWND owner) { RunModal(owner, L"About Stowly(tm)"); }

private:
    void OnInit() override {
        SetDlgItemTextW(hwnd_, kDisclaimer, kDisclaimerText);
        SetDlgItemTextW(hwnd_, kVersionNo, Widen(AboutVersionLabel()).c_str());
        SetDlgItemTextW(hwnd_, kOsName, Widen(AboutOsName(ctx_.st.OSName, ctx_.os.OsVersion())).c_str());
        // The keys reach whichever control has the focus.
        for (const DialogControl& c : kControls) SetWindowSubclass(Item(c.id), KeySpy, 0, reinterpret_cast<DWORD_PTR>(this));
    }

    void OnLayout() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        const int ids[] = {kLogo, kHidden1, kHidden2, kHidden3};
        for (size_t i = 0; i < art_.size(); ++i) {
            RECT r{};
            GetClientRect(Item(ids[i]), &r);
            art_[i].Load(instance, kArt[i], dpi(), r.right, r.bottom);
        }
    }

    void OnCommand(int id, int code) override {
        switch (id) {
        case IDOK:
        case IDCANCEL:
            End(id);
            break;
        case kSysInfo:
            StartSysInfo(ctx_.os, ctx_.ui);
            break;
        case kLogo:
            if (code == STN_DBLCLK) {
                pictures_.LogoDoubleClicked();
                for (size_t i = 0; i < kHidden.size(); ++i) {
                    HWND picture = Item(kHidden[i]);
                    if (pictures_.Shown(static_cast<int>(i)))
                        SetWindowPos(picture, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
                    else
                        ShowWindow(picture, SW_HIDE);
                }
            }
            break;
        }
    }

    bool OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) override {
        if (msg != WM_DRAWITEM) return false;
        const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        FillRect(di.hDC, &di.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        const int index = di.CtlID == kLogo ? 0 : static_cast<int>(di.CtlID) - kHidden1 + 1;
        if (index >= 0 && index < static_cast<int>(art_.size())) art_[static_cast<size_t>(index)].Draw(di.hDC, 0, 0);
        result = TRUE;
        return true;
    }

    static LRESULT CALLBACK KeySpy(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) noexcept {
        auto* self = reinterpret_cast<AboutWindow*>(data);
        switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            self->pictures_.KeyDown(static_cast<int>(wp), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                                    GetKeyState(VK_MENU) < 0);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            self->pictures_.KeyUp();
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, KeySpy, id);
            break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

    Context& ctx_;
    HiddenPictures pictures_;
    std::array<Picture, 4> art_; // the logo, then the hidden pictures
};

} // namespace

void ShowAboutWindow(HWND owner, Context& ctx) {
    AboutWindow window(ctx);
    window.Run(owner);
}

} // namespace stowly
