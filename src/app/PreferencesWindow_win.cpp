// frmPreferences: the options, the clean wallpaper and its style; Done stores
// them (settings/Preferences.h), Cancel leaves everything as it was.
#include "app/PreferencesWindow_win.h"

#include <commctrl.h>

#include <array>

#include "app/TwipsDialog_win.h"
#include "platform/win32/WinText.h"
#include "settings/Preferences.h"

namespace stowly {

namespace {

enum : int {
    kHeading = 100, kOptionsFrame, kMinimizeToTray, kRunOnStartUp, kAdvancedMode, kKeepLayouts,
    kWallpaperLabel, kWallpaperBox, kBrowse, kStyleLabel, kCenter, kTile, kStretch,
};
constexpr std::array<int, 3> kStyleOptions{kCenter, kTile, kStretch};
constexpr std::array<int, 4> kCheckBoxes{kMinimizeToTray, kRunOnStartUp, kAdvancedMode, kKeepLayouts};

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// Places in twips from the client area's top left corner.
const DialogControl kControls[] = {
    {kHeading, WC_STATICW, L"Customize and change the default settings", kLabel, {240, 180, 6120, 300}, DialogFont::Bold},
    {kOptionsFrame, WC_BUTTONW, L"Options", BS_GROUPBOX, {240, 600, 6120, 1710}},
    {kMinimizeToTray, WC_BUTTONW, L"Minimize to System Tray", kCheck | WS_GROUP, {480, 900, 5640, 285}},
    {kRunOnStartUp, WC_BUTTONW, L"Run on Start Up", kCheck, {480, 1230, 5640, 285}},
    {kAdvancedMode, WC_BUTTONW, L"Turn on Advanced Mode", kCheck, {480, 1560, 5640, 285}},
    {kKeepLayouts, WC_BUTTONW, L"Keep Icon Layout for Each Display", kCheck, {480, 1890, 5640, 285}},
    {kWallpaperLabel, WC_STATICW, L"Default Clean Windows Wallpaper:", kLabel, {240, 2490, 6120, 255}},
    {kWallpaperBox, WC_EDITW, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, {240, 2790, 6120, 330}},
    {kBrowse, WC_BUTTONW, L"Browse for Wallpaper", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, {4200, 3210, 2160, 375}},
    {kStyleLabel, WC_STATICW, L"WallPaper Style:", kLabel, {240, 3330, 3600, 255}},
    {kCenter, WC_BUTTONW, L"Center", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, {480, 3810, 1500, 285}},
    {kTile, WC_BUTTONW, L"Tile", BS_AUTORADIOBUTTON, {2160, 3810, 1500, 285}},
    {kStretch, WC_BUTTONW, L"Stretch", BS_AUTORADIOBUTTON, {3840, 3810, 1500, 285}},
    {IDOK, WC_BUTTONW, L"Done", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, {3480, 4530, 1320, 375}},
    {IDCANCEL, WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {5040, 4530, 1320, 375}},
};
constexpr SIZE kClientSize{6600, 5130};

class PreferencesWindow : public TwipsDialog {
public:
    explicit PreferencesWindow(Context& ctx) : TwipsDialog(kControls, kClientSize, false), ctx_(ctx) {}
    bool Run(HWND owner) { return RunModal(owner, L"Preferences") == IDOK; }

private:
    void OnInit() override { Show(LoadPreferences(ctx_.ui, ctx_.st.settings)); }

    void OnCommand(int id, int) override {
        switch (id) {
        case kBrowse:
            if (auto chosen = BrowseForWallpaper(ctx_.ui, ctx_.st.ProgramFolder))
                SetDlgItemTextW(hwnd_, kWallpaperBox, Widen(*chosen).c_str());
            break;
        case IDOK:
            // A failed Done has said why and changed nothing; the user may correct it.
            if (PreferencesDone(ctx_, Read())) End(IDOK);
            break;
        case IDCANCEL:
            End(IDCANCEL);
            break;
        }
    }

    void Show(const PreferencesForm& form) {
        const int states[] = {form.minimizeToTray, form.runOnStartUp, form.advancedMode, form.keepLayouts};
        for (size_t i = 0; i < kCheckBoxes.size(); ++i) {
            // A setting of 2 shows the box greyed, which only a three-state box can.
            if (states[i] == BST_INDETERMINATE)
                SendMessageW(Item(kCheckBoxes[i]), BM_SETSTYLE, BS_AUTO3STATE, TRUE);
            CheckDlgButton(hwnd_, kCheckBoxes[i], static_cast<UINT>(states[i]));
        }
        SetDlgItemTextW(hwnd_, kWallpaperBox, Widen(form.wallpaper).c_str());
        for (size_t i = 0; i < kStyleOptions.size(); ++i)
            CheckDlgButton(hwnd_, kStyleOptions[i], static_cast<int>(i) == form.wallpaperStyle ? BST_CHECKED : BST_UNCHECKED);
    }

    PreferencesForm Read() const {
        PreferencesForm form;
        form.minimizeToTray = static_cast<int>(IsDlgButtonChecked(hwnd_, kMinimizeToTray));
        form.runOnStartUp = static_cast<int>(IsDlgButtonChecked(hwnd_, kRunOnStartUp));
        form.advancedMode = static_cast<int>(IsDlgButtonChecked(hwnd_, kAdvancedMode));
        form.keepLayouts = static_cast<int>(IsDlgButtonChecked(hwnd_, kKeepLayouts));
        HWND box = Item(kWallpaperBox);
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
        form.wallpaper = Narrow(text);
        for (size_t i = 0; i < kStyleOptions.size(); ++i)
            if (IsDlgButtonChecked(hwnd_, kStyleOptions[i]) == BST_CHECKED) form.wallpaperStyle = static_cast<int>(i);
        return form;
    }

    Context& ctx_;
};

} // namespace

bool ShowPreferencesWindow(HWND owner, Context& ctx) {
    PreferencesWindow window(ctx);
    return window.Run(owner);
}

} // namespace stowly
