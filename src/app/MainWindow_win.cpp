// frmMain: the three command pictures, the four small buttons, the hidden "File"
// menu that serves as the notification-area menu, and the tray icon itself.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <array>
#include <exception>
#include <functional>
#include <memory>

#include "resource.h"
#include "about/About.h"
#include "app/AboutWindow_win.h"
#include "app/MainCommands.h"
#include "app/MainWindow.h"
#include "app/Picture_win.h"
#include "app/PreferencesWindow_win.h"
#include "app/ProgressWindow_win.h"
#include "app/WindowThunk_win.h"
#include "closet/AdvancedClosetDialogs_win.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "core/Version.h"
#include "icons/IconPositions.h"
#include "icons/IconPositionsDialog_win.h"
#include "icons/LayoutKeeper.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

constexpr wchar_t kClass[] = L"StowlyMain";
constexpr UINT kTrayMessage = WM_APP + 1; // the notification-area icon's callback
constexpr UINT kTrayId = 1;

// Control and menu identifiers. IDOK and IDCANCEL (1, 2) come from the dialog
// manager: Enter on a focused button and Escape.
enum : int {
    kCleanCommand = 101, kRestoreCommand, kPositionsCommand,
    kPreferences = 111, kHelp, kAbout, kExit,
    kMenuClean = 201, kMenuRestore, kMenuIcons, kMenuPreferences,
    kMenuFavorite0 = 211, kMenuFavorite1, kMenuFavorite2, kMenuFavorite3,
    kMenuShow = 221, kMenuAbout, kMenuExit,
};

struct TwipsRect {
    int left, top, width, height;
};
// Each command is one control over its picture that turns highlighted under the
// mouse: the union of the picture's and its hover button's places.
constexpr std::array<TwipsRect, 3> kCommandPlaces{{{6120, 240, 5565, 1695},
                                                   {6120, 2280, 5565, 1695},
                                                   {6120, 4320, 5565, 1695}}};
constexpr std::array<TwipsRect, 4> kSmallPlaces{{{6000, 6240, 1335, 450},
                                                 {7500, 6240, 1335, 450},
                                                 {8950, 6240, 1335, 450},
                                                 {10440, 6240, 1335, 450}}};
constexpr TwipsRect kPanelPlace{240, 240, 5640, 6360};
constexpr int kClientWidth = 11895, kClientHeight = 6840;

constexpr std::array<const wchar_t*, 3> kCommandNames{L"Clean Desktop", L"Restore Desktop", L"Icon Positions"};
constexpr std::array<const wchar_t*, 4> kSmallNames{L"Preferences", L"Help", L"About", L"Exit"};
constexpr std::array<std::array<int, 2>, 3> kCommandArt{{{IDR_ART_CLEAN, IDR_ART_CLEAN_HOT},
                                                         {IDR_ART_RESTORE, IDR_ART_RESTORE_HOT},
                                                         {IDR_ART_POSITIONS, IDR_ART_POSITIONS_HOT}}};

constexpr COLORREF kGrey = RGB(224, 224, 224);
constexpr COLORREF kOrange = RGB(255, 192, 128);
constexpr COLORREF kOrangePressed = RGB(242, 166, 94);
constexpr COLORREF kOrangeBorder = RGB(210, 134, 62);
constexpr COLORREF kOrangeDisabled = RGB(250, 222, 196);

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;

int Px(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

class MainWindow {
public:
    MainWindow(Context& ctx, Win32Ui& ui);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void Load();

private:
    friend LRESULT CALLBACK stowly::WindowThunk<MainWindow>(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK CommandSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                            DWORD_PTR self) noexcept;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;

    void CreateControls();
    void CreateMenu();
    // Fonts, pictures, sizes and places for one DPI.
    void ApplyDpi(UINT dpi);
    SIZE OuterSize() const;
    void OnResize(WPARAM kind);
    void Paint();
    void DrawCommand(const DRAWITEMSTRUCT& di, int index);
    void DrawSmallButton(const DRAWITEMSTRUCT& di);
    void SetHot(int index);

    void OnCommand(int id);
    bool Busy();
    template <typename Handler>
    void Guarded(const char* name, Handler&& handler);
    void RunClosetCommand(CommandOutcome (*command)(Context&), const char* name);
    void RunIconCommand(const char* name, const std::function<void()>& command);
    void OnExitClicked();
    void ShowMainWindow();
    void UpdateFavorites();
    void LockBigButtons(bool enabled);
    // Starts or stops keeping a layout for each display, as the setting says.
    void UpdateLayoutKeeper();

    NOTIFYICONDATAW TrayIconData() const;
    void AddTrayIcon();
    void TrayCallback(UINT mouseMessage);

    Context& ctx_;
    Win32Ui& ui_;
    HINSTANCE instance_ = GetModuleHandleW(nullptr);
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    static constexpr UINT_PTR kLayoutTimer = 1;
    std::unique_ptr<LayoutKeeper> layoutKeeper_;
    std::array<HWND, 3> commandButtons_{};
    std::array<HWND, 4> smallButtons_{};
    int hot_ = -1; // the command under the mouse, -1 for none
    bool running_ = false;
    bool trayIconShown_ = false;
    std::array<std::array<Picture, 2>, 3> commandArt_;
    Picture panel_;
    GdiObject font_, background_;
    IconHandle bigIcon_, smallIcon_;
    HMENU menu_ = nullptr, favorites_ = nullptr;
    ProgressWindow progress_;
};

MainWindow::MainWindow(Context& ctx, Win32Ui& ui) : ctx_(ctx), ui_(ui), progress_(instance_, ui) {
    ui_.onShowProgress = [this](const std::string& message) { progress_.Show(hwnd_, message); };
    ui_.onFinishProgress = [this](const std::string& message) { progress_.Finish(message); };
    ui_.onProgressLabels = [this](const std::string& status, const std::string& count, bool visible) {
        progress_.SetLabels(status, count, visible);
    };
    ui_.onLockBigButtons = [this](bool enabled) { LockBigButtons(enabled); };
}

MainWindow::~MainWindow() {
    ui_.onShowProgress = nullptr;
    ui_.onFinishProgress = nullptr;
    ui_.onProgressLabels = nullptr;
    ui_.onLockBigButtons = nullptr;
    progress_.Close();
    if (hwnd_) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
}

void MainWindow::Load() {
    background_.reset(CreateSolidBrush(kGrey));
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowThunk<MainWindow>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(background_.get());
    wc.lpszClassName = kClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw RuntimeError(static_cast<int>(GetLastError()));

    const std::wstring title = Widen("Stowly\xE2\x84\xA2 - Version: " + VersionText());
    CreateWindowExW(WS_EX_CONTROLPARENT, kClass, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                    nullptr, nullptr, instance_, this);
    if (!hwnd_) throw RuntimeError(static_cast<int>(GetLastError()));
    CreateControls();
    CreateMenu();
    ApplyDpi(GetDpiForWindow(hwnd_));

    // Centred on the screen that holds it.
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    const SIZE size = OuterSize();
    SetWindowPos(hwnd_, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - size.cx) / 2,
                 mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - size.cy) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    ui_.AddModeless(hwnd_); // Tab between the commands, Escape for Preferences
    UpdateLayoutKeeper();
    if (ctx_.st.settings.MinSystemTray == 1) {
        // Starts in the notification area; the window is never shown.
        AddTrayIcon();
    } else {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
}

void MainWindow::CreateControls() {
    const auto button = [this](const wchar_t* text, int id) {
        return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                               hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    };
    for (int i = 0; i < 3; ++i) {
        commandButtons_[i] = button(kCommandNames[i], kCleanCommand + i);
        SetWindowSubclass(commandButtons_[i], CommandSubclass, static_cast<UINT_PTR>(i), reinterpret_cast<DWORD_PTR>(this));
    }
    for (int i = 0; i < 4; ++i) smallButtons_[i] = button(kSmallNames[i], kPreferences + i);
}

void MainWindow::CreateMenu() {
    favorites_ = CreatePopupMenu();
    for (int i = 0; i < 4; ++i)
        AppendMenuW(favorites_, MF_STRING, kMenuFavorite0 + i, (L"Favorite Location " + std::to_wstring(i)).c_str());
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, kMenuClean, L"Clean Desktop...");
    AppendMenuW(menu_, MF_STRING, kMenuRestore, L"Restore Desktop...");
    AppendMenuW(menu_, MF_STRING, kMenuIcons, L"Icon Positions...");
    AppendMenuW(menu_, MF_STRING, kMenuPreferences, L"Preferences...");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(favorites_), L"Location Favorites");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kMenuShow, L"Show...");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kMenuAbout, L"About...");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kMenuExit, L"Exit");
    UpdateFavorites();
}

void MainWindow::UpdateFavorites() {
    const auto items = FavoriteMenuItems(ctx_.st.settings);
    for (int i = 0; i < 4; ++i) {
        const UINT state = items[i].enabled ? MF_ENABLED : MF_GRAYED;
        ModifyMenuW(favorites_, kMenuFavorite0 + i, MF_BYCOMMAND | MF_STRING | state, kMenuFavorite0 + i,
                    Widen(items[i].caption).c_str());
    }
}

SIZE MainWindow::OuterSize() const {
    // The client area holds the layout; the frame around it is the system's.
    RECT rc{0, 0, Px(kClientWidth, dpi_), Px(kClientHeight, dpi_)};
    AdjustWindowRectExForDpi(&rc, kStyle, FALSE, WS_EX_CONTROLPARENT, dpi_);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void MainWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMessageFont;
    lf.lfHeight = -MulDiv(10, static_cast<int>(dpi), 72);
    lf.lfWidth = 0;
    lf.lfWeight = FW_SEMIBOLD;
    font_.reset(CreateFontIndirectW(&lf));

    for (int i = 0; i < 3; ++i) {
        const TwipsRect& r = kCommandPlaces[i];
        for (int hot = 0; hot < 2; ++hot)
            commandArt_[i][hot].Load(instance_, kCommandArt[i][hot], dpi, Px(r.width, dpi), Px(r.height, dpi));
        SetWindowPos(commandButtons_[i], nullptr, Px(r.left, dpi), Px(r.top, dpi), Px(r.width, dpi), Px(r.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int i = 0; i < 4; ++i) {
        const TwipsRect& r = kSmallPlaces[i];
        SetWindowPos(smallButtons_[i], nullptr, Px(r.left, dpi), Px(r.top, dpi), Px(r.width, dpi), Px(r.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(smallButtons_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    panel_.Load(instance_, IDR_ART_PANEL, dpi, Px(kPanelPlace.width, dpi), Px(kPanelPlace.height, dpi));

    const auto icon = [this](int metric) {
        const int side = GetSystemMetricsForDpi(metric, dpi_);
        return static_cast<HICON>(
            LoadImageW(instance_, MAKEINTRESOURCEW(IDI_STOWLY), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    };
    bigIcon_.reset(icon(SM_CXICON));
    smallIcon_.reset(icon(SM_CXSMICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    if (trayIconShown_) {
        NOTIFYICONDATAW nid = TrayIconData();
        Shell_NotifyIconW(NIM_MODIFY, &nid);
    }

    const SIZE size = OuterSize();
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnResize(WPARAM kind) {
    // The size is fixed; minimising works.
    if (kind == SIZE_MINIMIZED || !IsWindowVisible(hwnd_)) return;
    if (kind == SIZE_MAXIMIZED) {
        ShowWindow(hwnd_, SW_RESTORE);
        return;
    }
    const SIZE want = OuterSize();
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    if (wr.right - wr.left != want.cx || wr.bottom - wr.top != want.cy)
        SetWindowPos(hwnd_, nullptr, 0, 0, want.cx, want.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    panel_.Draw(dc, Px(kPanelPlace.left, dpi_), Px(kPanelPlace.top, dpi_));
    EndPaint(hwnd_, &ps);
}

void MainWindow::DrawCommand(const DRAWITEMSTRUCT& di, int index) {
    const RECT& rc = di.rcItem;
    FillRect(di.hDC, &rc, static_cast<HBRUSH>(background_.get()));
    const bool disabled = di.itemState & ODS_DISABLED;
    const bool hot = !disabled && (hot_ == index || (di.itemState & ODS_SELECTED));
    const int shift = (di.itemState & ODS_SELECTED) ? 1 : 0;
    // A disabled command shows its picture faded into the window.
    commandArt_[index][hot ? 1 : 0].Draw(di.hDC, rc.left + shift, rc.top + shift, disabled ? 110 : 255);
    if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = rc;
        const int inset = MulDiv(6, static_cast<int>(dpi_), 96);
        InflateRect(&focus, -inset, -inset);
        DrawFocusRect(di.hDC, &focus);
    }
}

void MainWindow::DrawSmallButton(const DRAWITEMSTRUCT& di) {
    RECT rc = di.rcItem;
    FillRect(di.hDC, &rc, static_cast<HBRUSH>(background_.get()));
    const bool disabled = di.itemState & ODS_DISABLED;
    const COLORREF fill = disabled ? kOrangeDisabled : (di.itemState & ODS_SELECTED) ? kOrangePressed : kOrange;
    GdiObject brush(CreateSolidBrush(fill));
    GdiObject pen(CreatePen(PS_SOLID, MulDiv(1, static_cast<int>(dpi_), 96), kOrangeBorder));
    HGDIOBJ oldBrush = SelectObject(di.hDC, brush.get());
    HGDIOBJ oldPen = SelectObject(di.hDC, pen.get());
    const int round = MulDiv(8, static_cast<int>(dpi_), 96);
    RoundRect(di.hDC, rc.left, rc.top, rc.right, rc.bottom, round, round);
    SelectObject(di.hDC, oldPen);
    SelectObject(di.hDC, oldBrush);

    wchar_t text[64];
    GetWindowTextW(di.hwndItem, text, 64);
    HGDIOBJ oldFont = SelectObject(di.hDC, font_.get());
    SetBkMode(di.hDC, TRANSPARENT);
    SetTextColor(di.hDC, disabled ? RGB(150, 120, 96) : RGB(32, 32, 32));
    DrawTextW(di.hDC, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(di.hDC, oldFont);
    if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) {
        const int inset = MulDiv(3, static_cast<int>(dpi_), 96);
        InflateRect(&rc, -inset, -inset);
        DrawFocusRect(di.hDC, &rc);
    }
}

void MainWindow::SetHot(int index) {
    if (hot_ == index) return;
    const int old = hot_;
    hot_ = index;
    if (old >= 0) InvalidateRect(commandButtons_[old], nullptr, FALSE);
    if (index >= 0) InvalidateRect(commandButtons_[index], nullptr, FALSE);
}

void MainWindow::LockBigButtons(bool enabled) {
    for (HWND h : commandButtons_) EnableWindow(h, enabled);
    for (HWND h : smallButtons_) EnableWindow(h, enabled);
}

template <typename Handler>
void MainWindow::Guarded(const char* name, Handler&& handler) {
    try {
        handler();
    } catch (const RuntimeError& e) {
        ReportError(ui_, e.number(), name);
    } catch (const std::exception& e) {
        ui_.SetBusy(false);
        ui_.Message(e.what(), "Error", MsgButtons::Ok, MsgIcon::Critical);
    }
}

// Whether a command must wait: one runs in this window (the tray menu stays usable
// meanwhile), a dialog of this window is open, or any copy of the program is
// cleaning or restoring. The tray menu greys its commands while this holds.
void MainWindow::UpdateLayoutKeeper() {
    const bool keep = ctx_.st.settings.KeepLayouts == 1;
    if (keep == static_cast<bool>(layoutKeeper_)) return;
    if (keep) {
        layoutKeeper_ = std::make_unique<LayoutKeeper>(ctx_.os, ctx_.st.ProgramFolder);
        SetTimer(hwnd_, kLayoutTimer, LayoutKeeper::kLookMs, nullptr);
        WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION);
    } else {
        KillTimer(hwnd_, kLayoutTimer);
        WTSUnRegisterSessionNotification(hwnd_);
        layoutKeeper_.reset();
    }
}

bool MainWindow::Busy() {
    return running_ || !IsWindowEnabled(hwnd_) || ctx_.os.OperationLockHeld();
}

void MainWindow::RunClosetCommand(CommandOutcome (*command)(Context&), const char* name) {
    if (Busy()) return;
    running_ = true;
    Guarded(name, [&] {
        switch (command(ctx_)) {
        case CommandOutcome::Done: break;
        case CommandOutcome::ShowAdvancedClean: ShowAdvancedCleanDialog(hwnd_, ctx_, ui_); break;
        case CommandOutcome::ShowAdvancedRestore: ShowAdvancedRestoreDialog(hwnd_, ctx_, ui_); break;
        }
    });
    running_ = false;
}

void MainWindow::RunIconCommand(const char* name, const std::function<void()>& command) {
    // Like a clean or restore, one at a time: they move the same icons.
    if (Busy()) return;
    running_ = true;
    Guarded(name, command);
    running_ = false;
}

void MainWindow::ShowMainWindow() {
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void MainWindow::OnExitClicked() {
    switch (ExitButtonAction(ctx_.st.settings, trayIconShown_)) {
    case ExitAction::EndProgram:
        DestroyWindow(hwnd_);
        break;
    case ExitAction::AddTrayIconAndHide:
        AddTrayIcon();
        ShowWindow(hwnd_, SW_HIDE);
        break;
    case ExitAction::Hide:
        ShowWindow(hwnd_, SW_HIDE);
        break;
    }
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case kCleanCommand:
    case kMenuClean:
        RunClosetCommand(OnCleanClicked, "Command1_Click"); // the name its error reports give
        break;
    case kRestoreCommand:
    case kMenuRestore:
        RunClosetCommand(OnRestoreClicked, "Command2_Click");
        break;
    case kPositionsCommand:
    case kMenuIcons:
        RunIconCommand("IconPositionsLoad", [this] {
            if (ShowIconPositionsDialog(hwnd_, ctx_, ui_)) UpdateFavorites();
        });
        break;
    case kMenuFavorite0:
    case kMenuFavorite1:
    case kMenuFavorite2:
    case kMenuFavorite3: {
        const int slot = id - kMenuFavorite0;
        RunIconCommand("LoadFav", [this, slot] { LoadFav(ctx_, slot); });
        break;
    }
    case kExit:
        OnExitClicked();
        break;
    case kPreferences:
    case kMenuPreferences:
        if (!Busy() && ShowPreferencesWindow(hwnd_, ctx_)) UpdateLayoutKeeper();
        break;
    case kHelp:
        RunHelp(ctx_.os, ctx_.ui, ctx_.st.ProgramFolder);
        break;
    case kAbout:
    case kMenuAbout:
        if (!Busy()) ShowAboutWindow(hwnd_, ctx_);
        break;
    case kMenuShow:
        ShowMainWindow();
        break;
    case kMenuExit:
        if (!Busy()) DestroyWindow(hwnd_);
        break;
    case IDOK: {
        // Enter on a focused button runs it.
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == hwnd_ && IsWindowEnabled(focus)) OnCommand(GetDlgCtrlID(focus));
        break;
    }
    case IDCANCEL: // Escape runs Preferences, as its button would.
        if (IsWindowEnabled(smallButtons_[0])) OnCommand(kPreferences);
        break;
    default:
        break;
    }
}

NOTIFYICONDATAW MainWindow::TrayIconData() const {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd_;
    nid.uID = kTrayId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = smallIcon_.get();
    lstrcpynW(nid.szTip, L"Stowly", ARRAYSIZE(nid.szTip));
    return nid;
}

void MainWindow::AddTrayIcon() {
    NOTIFYICONDATAW nid = TrayIconData();
    Shell_NotifyIconW(NIM_ADD, &nid);
    trayIconShown_ = true;
}

void MainWindow::TrayCallback(UINT mouseMessage) {
    switch (TrayIconAction(IsWindowVisible(hwnd_) != FALSE, mouseMessage)) {
    case TrayAction::None:
        break;
    case TrayAction::ShowWindow:
        ShowMainWindow();
        break;
    case TrayAction::PopupMenu: {
        // The menu closes when the user clicks elsewhere only if the window is
        // in the foreground; WM_NULL afterwards lets a second click open it again.
        SetForegroundWindow(hwnd_);
        const UINT state = Busy() ? MF_GRAYED : MF_ENABLED;
        for (UINT id : {kMenuClean, kMenuRestore, kMenuIcons, kMenuPreferences, kMenuAbout, kMenuExit})
            EnableMenuItem(menu_, id, MF_BYCOMMAND | state);
        for (int i = 0; i < GetMenuItemCount(menu_); ++i)
            if (GetSubMenu(menu_, i) == favorites_) EnableMenuItem(menu_, i, MF_BYPOSITION | state);
        POINT pt;
        GetCursorPos(&pt);
        TrackPopupMenuEx(menu_, 0, pt.x, pt.y, hwnd_, nullptr);
        PostMessageW(hwnd_, WM_NULL, 0, 0);
        break;
    }
    }
}

// The commands turn highlighted while the mouse is over them.
LRESULT CALLBACK MainWindow::CommandSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                             DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (self->hot_ != static_cast<int>(id)) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&tme);
            self->SetHot(static_cast<int>(id));
        }
        break;
    case WM_MOUSELEAVE:
        if (self->hot_ == static_cast<int>(id)) self->SetHot(-1);
        break;
    case WM_ERASEBKGND:
        return 1; // WM_DRAWITEM paints every pixel
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, CommandSubclass, id);
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT MainWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == kTrayMessage) {
        TrayCallback(static_cast<UINT>(LOWORD(lp)));
        return 0;
    }
    if (msg == taskbarCreated_) {
        // The shell restarted and forgot the icon, and may have moved the desktop's.
        if (trayIconShown_) AddTrayIcon();
        if (layoutKeeper_) layoutKeeper_->DisplayChanged();
        return 0;
    }
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_DRAWITEM: {
        const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (di.CtlID >= kCleanCommand && di.CtlID <= kPositionsCommand)
            DrawCommand(di, static_cast<int>(di.CtlID) - kCleanCommand);
        else
            DrawSmallButton(di);
        return TRUE;
    }
    case WM_SETCURSOR:
        if (!ui_.Busy()) break;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_MOUSEMOVE:
        SetHot(-1); // the bare window: no command is highlighted
        return 0;
    case WM_SIZE:
        OnResize(wp);
        return 0;
    case WM_GETMINMAXINFO: {
        if (!commandButtons_[0]) break;
        const SIZE size = OuterSize();
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        mmi->ptMinTrackSize = mmi->ptMaxTrackSize = {size.cx, size.cy};
        return 0;
    }
    case WM_TIMER:
        if (wp == kLayoutTimer && layoutKeeper_) layoutKeeper_->Look(Busy());
        return 0;
    case WM_DISPLAYCHANGE:
        if (layoutKeeper_) layoutKeeper_->DisplayChanged();
        break;
    case WM_WTSSESSION_CHANGE:
        // A remote session takes over the display, or gives it back.
        if (layoutKeeper_ && (wp == WTS_REMOTE_CONNECT || wp == WTS_REMOTE_DISCONNECT || wp == WTS_CONSOLE_CONNECT))
            layoutKeeper_->DisplayChanged();
        break;
    case WM_DPICHANGED: {
        if (layoutKeeper_) layoutKeeper_->DisplayChanged();
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyDpi(HIWORD(wp));
        return 0;
    }
    case WM_CLOSE:
        if (!running_) DestroyWindow(hwnd_); // never in the middle of a clean or restore
        return 0;
    case WM_DESTROY: {
        // Unloading: the icon goes (harmless when none was added), the program ends.
        if (layoutKeeper_) WTSUnRegisterSessionNotification(hwnd_);
        NOTIFYICONDATAW nid = TrayIconData();
        Shell_NotifyIconW(NIM_DELETE, &nid);
        ui_.RemoveModeless(hwnd_);
        progress_.Close();
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

} // namespace

int RunMainWindow(Context& ctx, Win32Ui& ui) {
    MainWindow window(ctx, ui);
    window.Load();
    return ui.RunMessageLoop();
}

} // namespace stowly
