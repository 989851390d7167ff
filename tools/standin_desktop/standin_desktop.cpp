// A stand-in for the shell's desktop where there is none (Wine): in a process of its
// own, "Progman" > "SHELLDLL_DefView" > "SysListView32" (the real comctl32 list view),
// showing "Recycle Bin" and every visible entry of the two desktop folders with the
// shell's icons. Items follow the folders within a second; new ones take the first
// free grid slot; a person can drag them. Ends on WM_CLOSE to "Progman".
//
// Labels are the shell's display names, so they follow the user's "hide extensions
// for known file types" (HideFileExt) as the desktop's do: "Report.docx" and
// "Report.pdf" both show "Report" when it is 1. While the list view has
// LVS_AUTOARRANGE it refuses positions, as the shell's does.
//
// It keeps up with desktops of thousands of items: the free slots are found in one
// pass over the items' positions, and new items are added a chunk at a time between
// turns of the message loop, so that other programs' messages to the view are
// answered while a large desktop fills. A benchmark can hold back its looks at the
// folders (kPauseSync), to see what a program does while icons are slow to show.
//
// When the screen changes size it covers the new screen, and the items whose grid
// cell would reach past its right or bottom edge go to the first free slots on it,
// as the shell pushes them; the others stay where they are, and nothing comes back
// when the screen grows again.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"

namespace {

constexpr UINT_PTR kSyncTimer = 1;
constexpr UINT kSyncMs = 250;
// Posted to itself while new items wait to be added.
constexpr UINT kAddMore = WM_APP + 1;
constexpr size_t kAddChunk = 100;
// Sent by others: wParam 1 stops the looks at the folders, 0 lets them go on.
constexpr UINT kPauseSync = WM_APP + 2;
// The grid that new items are placed on, in list-view coordinates: columns of as
// many rows as the screen holds, and when the columns reach the right end of what
// a 16-bit position can say, another band of rows below.
constexpr int kGridX = 75, kGridY = 75, kLeft = 10, kTop = 5;
constexpr int kColumnsPerBand = (32767 - kLeft - kGridX) / kGridX;

// Position messages to the list view while it arranges its items itself do nothing
// and answer FALSE, as the documented list view and the shell's desktop do; Wine's
// list view would move the item all the same.
LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) noexcept {
    if ((msg == LVM_SETITEMPOSITION || msg == LVM_SETITEMPOSITION32) &&
        (GetWindowLongPtrW(hwnd, GWL_STYLE) & LVS_AUTOARRANGE))
        return FALSE;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ListProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Paths compare without regard to case.
std::wstring PathKey(std::wstring path) {
    CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

std::wstring FolderPath(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return {};
    return buf;
}

class StandinDesktop {
public:
    bool Create(HINSTANCE instance);

private:
    template <LRESULT (StandinDesktop::*Proc)(HWND, UINT, WPARAM, LPARAM) noexcept>
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    LRESULT ProgmanProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    LRESULT ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void FitToScreen();
    void AddRecycleBin();
    void Sync();
    void AddPending();
    void Append(const std::wstring& name, int image, std::wstring source);
    int Rows() const;
    POINT SlotPoint(long slot) const;
    void MarkTaken(POINT item, long rows);
    void MarkTakenSlots();
    POINT FreeSlot();
    void KeepOnScreen();
    void EndDrag(bool drop);

    HWND progman_ = nullptr;
    HWND view_ = nullptr;
    HWND list_ = nullptr;
    std::wstring folders_[2];
    // The file or folder behind each item, in the list's order; "" for virtual items.
    std::vector<std::wstring> sources_;
    // Entries found by the last look at the folders, not yet shown.
    std::deque<std::wstring> pending_;
    // Grid slots with an item near them, and where the search for a free one goes on.
    std::set<long> taken_;
    long nextSlot_ = 0;
    bool paused_ = false;
    bool dragging_ = false;
    POINT dragStart_{};
};

template <LRESULT (StandinDesktop::*Proc)(HWND, UINT, WPARAM, LPARAM) noexcept>
LRESULT CALLBACK StandinDesktop::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandinDesktop*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? (self->*Proc)(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

bool StandinDesktop::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Thunk<&StandinDesktop::ProgmanProc>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    wc.lpszClassName = L"Progman";
    if (!RegisterClassW(&wc)) return false;
    wc.lpfnWndProc = Thunk<&StandinDesktop::ViewProc>;
    wc.lpszClassName = L"SHELLDLL_DefView";
    if (!RegisterClassW(&wc)) return false;

    folders_[0] = FolderPath(CSIDL_DESKTOPDIRECTORY);
    folders_[1] = FolderPath(CSIDL_COMMON_DESKTOPDIRECTORY);

    progman_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"Progman", L"Program Manager", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                               0, 0, nullptr, nullptr, instance, this);
    if (!progman_) return false;
    view_ = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                            progman_, nullptr, instance, this);
    // Icon mode without auto-arrange, so that positions stay where they are put.
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView",
                            WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SHAREIMAGELISTS | LVS_NOSCROLL, 0, 0, 0, 0, view_,
                            nullptr, instance, nullptr);
    if (!view_ || !list_ || !SetWindowSubclass(list_, ListProc, 1, 0)) return false;

    SHFILEINFOW sfi{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    SendMessageW(list_, LVM_SETBKCOLOR, 0, GetSysColor(COLOR_DESKTOP));
    SendMessageW(list_, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
    SendMessageW(list_, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));

    FitToScreen();
    SetWindowPos(progman_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Wine's list view lays every item out afresh at its first paint with items in it,
    // forgetting the positions set before. That paint is made here, with the Recycle
    // Bin alone, which then goes back to its slot.
    AddRecycleBin();
    RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    POINT first = SlotPoint(0);
    SendMessageW(list_, LVM_SETITEMPOSITION32, 0, reinterpret_cast<LPARAM>(&first));
    Sync();
    SetTimer(progman_, kSyncTimer, kSyncMs, nullptr);
    return true;
}

void StandinDesktop::FitToScreen() {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    SetWindowPos(progman_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void StandinDesktop::AddRecycleBin() {
    int image = 0;
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &pidl))) {
        SHFILEINFOW sfi{};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &sfi, sizeof(sfi),
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_LARGEICON))
            image = sfi.iIcon;
        CoTaskMemFree(pidl);
    }
    Append(L"Recycle Bin", image, L"");
}

// Items whose entry left disappear; new entries are appended, so the order of the
// others never changes.
void StandinDesktop::Sync() {
    if (paused_ || !pending_.empty()) return; // held back, or still adding what the last look found
    std::map<std::wstring, std::wstring> present; // key -> path
    for (const auto& folder : folders_) {
        if (folder.empty()) continue;
        WIN32_FIND_DATAW fd;
        stowly::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
        if (!find) continue;
        do {
            if (lstrcmpW(fd.cFileName, L".") == 0 || lstrcmpW(fd.cFileName, L"..") == 0) continue;
            if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
            std::wstring path = folder + L"\\" + fd.cFileName;
            present.emplace(PathKey(path), path);
        } while (FindNextFileW(find.get(), &fd));
    }
    std::set<std::wstring> known;
    for (size_t i = sources_.size(); i-- > 0;) {
        if (sources_[i].empty()) continue;
        std::wstring key = PathKey(sources_[i]);
        if (present.count(key)) {
            known.insert(key);
        } else {
            SendMessageW(list_, LVM_DELETEITEM, i, 0);
            sources_.erase(sources_.begin() + static_cast<ptrdiff_t>(i));
        }
    }
    for (auto& [key, path] : present)
        if (!known.count(key)) pending_.push_back(std::move(path));
    if (pending_.empty()) return;
    MarkTakenSlots();
    AddPending();
}

// Adds a chunk of the waiting entries, and asks to be called again for the rest.
void StandinDesktop::AddPending() {
    for (size_t n = 0; n < kAddChunk && !pending_.empty(); ++n) {
        std::wstring path = std::move(pending_.front());
        pending_.pop_front();
        // The display name drops the extension when HideFileExt asks for it: Windows
        // only for registered types, Wine's shell for any extension.
        SHFILEINFOW sfi{};
        SHGetFileInfoW(path.c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_LARGEICON | SHGFI_DISPLAYNAME);
        std::wstring name = sfi.szDisplayName[0] ? sfi.szDisplayName : path.substr(path.rfind(L'\\') + 1);
        Append(name, sfi.iIcon, std::move(path));
    }
    if (!pending_.empty()) PostMessageW(progman_, kAddMore, 0, 0);
}

void StandinDesktop::Append(const std::wstring& name, int image, std::wstring source) {
    POINT slot = FreeSlot();
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(sources_.size());
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = image;
    int index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
    sources_.push_back(std::move(source));
    SendMessageW(list_, LVM_SETITEMPOSITION32, index, reinterpret_cast<LPARAM>(&slot));
}

int StandinDesktop::Rows() const {
    RECT rc{};
    GetClientRect(list_, &rc);
    return std::max(1, static_cast<int>((rc.bottom - kTop) / kGridY));
}

// Slots run down each column, then across, band after band.
POINT StandinDesktop::SlotPoint(long slot) const {
    const long rows = Rows(), perBand = rows * kColumnsPerBand;
    const long band = slot / perBand, inBand = slot % perBand;
    return {kLeft + static_cast<int>(inBand / rows) * kGridX,
            kTop + static_cast<int>(band * rows + inBand % rows) * kGridY};
}

// Marks the slots whose cell the cell of an item at `item` overlaps: one for an item
// on the grid, up to four for one between slots.
void StandinDesktop::MarkTaken(POINT item, long rows) {
    const auto below = [](long a, long step) { return a >= 0 ? a / step : -((step - 1 - a) / step); };
    const long column = below(item.x - kLeft, kGridX), row = below(item.y - kTop, kGridY);
    for (long c = std::max(0L, column); c <= column + 1 && c < kColumnsPerBand; ++c)
        for (long r = std::max(0L, row); r <= row + 1; ++r)
            if (std::abs(item.x - kLeft - c * kGridX) < kGridX && std::abs(item.y - kTop - r * kGridY) < kGridY)
                taken_.insert((r / rows) * rows * kColumnsPerBand + c * rows + r % rows);
}

// Which slots the items cover, read in one pass.
void StandinDesktop::MarkTakenSlots() {
    taken_.clear();
    nextSlot_ = 0;
    const long rows = Rows();
    const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        POINT p{};
        SendMessageW(list_, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
        MarkTaken(p, rows);
    }
}

// The first grid slot that no item sits near.
POINT StandinDesktop::FreeSlot() {
    while (taken_.count(nextSlot_)) ++nextSlot_;
    return SlotPoint(nextSlot_++);
}

// After the screen changed size: the items whose cell no longer fits on it go to the
// first free slots of the columns it holds, in the list's order. When every slot on
// the screen is taken, the rest stay where they are.
void StandinDesktop::KeepOnScreen() {
    RECT screen{};
    GetClientRect(list_, &screen);
    const long rows = Rows(), onScreen = rows * std::max(0L, (screen.right - kLeft) / kGridX);
    taken_.clear();
    nextSlot_ = 0;
    std::vector<int> outside;
    const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        POINT p{};
        SendMessageW(list_, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
        if (p.x + kGridX > screen.right || p.y + kGridY > screen.bottom)
            outside.push_back(i);
        else
            MarkTaken(p, rows);
    }
    for (int i : outside) {
        while (taken_.count(nextSlot_)) ++nextSlot_;
        if (nextSlot_ >= onScreen) break;
        POINT slot = SlotPoint(nextSlot_);
        taken_.insert(nextSlot_);
        SendMessageW(list_, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&slot));
    }
    MarkTakenSlots(); // for the items still to be added
}

// Moves the selected items by how far the mouse travelled since the drag began.
void StandinDesktop::EndDrag(bool drop) {
    if (!dragging_) return;
    dragging_ = false;
    if (GetCapture() == view_) ReleaseCapture();
    if (!drop) return;
    POINT end{};
    GetCursorPos(&end);
    ScreenToClient(list_, &end);
    int dx = end.x - dragStart_.x, dy = end.y - dragStart_.y;
    for (int i = -1; (i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;) {
        POINT p{};
        SendMessageW(list_, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
        p.x += dx;
        p.y += dy;
        SendMessageW(list_, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&p));
    }
}

LRESULT StandinDesktop::ProgmanProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_SIZE:
        if (view_) MoveWindow(view_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_SETTINGCHANGE:
        if (wp != SPI_SETWORKAREA) break;
        [[fallthrough]];
    case WM_DISPLAYCHANGE:
        FitToScreen();
        if (list_) KeepOnScreen();
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // A desktop stays behind every other window.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if (!(pos->flags & SWP_NOZORDER)) pos->hwndInsertAfter = HWND_BOTTOM;
        return 0;
    }
    case WM_TIMER:
        if (wp == kSyncTimer) Sync();
        return 0;
    case kAddMore:
        AddPending();
        return 0;
    case kPauseSync:
        paused_ = wp != 0;
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kSyncTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT StandinDesktop::ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_SIZE:
        if (list_) MoveWindow(list_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->hwndFrom == list_ && (hdr->code == LVN_BEGINDRAG || hdr->code == LVN_BEGINRDRAG)) {
            dragStart_ = reinterpret_cast<NMLISTVIEW*>(lp)->ptAction;
            dragging_ = true;
            SetCapture(hwnd);
        }
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        EndDrag(true);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) dragging_ = false;
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) EndDrag(false);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // One desktop at a time: a second one would hide the first from every search.
    if (FindWindowW(L"Progman", nullptr)) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    StandinDesktop desktop;
    if (!desktop.Create(instance)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CoUninitialize();
    return 0;
}
