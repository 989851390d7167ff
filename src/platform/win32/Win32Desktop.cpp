// The desktop's icons, which live in the shell's process.
//
// Two roads lead to them, with the same item order, names and positions:
// - the shell's own folder view of the desktop (IFolderView). Since Windows 10 1809
//   positions set with list-view messages are not recorded by the shell and are lost
//   at its next refresh, so this road is taken whenever the view can be had;
// - list-view messages sent to "SysListView32" under "SHELLDLL_DefView", with request
//   blocks reserved in the view's process. Taken where the folder view cannot be had
//   (older shells, a stand-in desktop under Wine).
//
// Names are cut the way an 80-byte ANSI item buffer of old cut them (at most 79 bytes
// in the code page), so that names read now match position files written before; but
// they are read as UTF-16, so that a name outside the code page is not mangled.
//
// Every call opens the view once, on a thread of its own that is given up on when
// the shell stays silent (ShellCall.h); a placing reads, plans and places within that
// one opening. Nothing is held between calls: process handles, remote blocks and
// COM objects live for one call.
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/ShellCall.h"
#include "platform/win32/FolderViewOpening.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

// The item text buffer offered to the view, in UTF-16 units; the view writes at
// most one unit less, then its terminating zero.
constexpr int kTextUnits = 80;
constexpr int kNameBytes = kTextUnits - 1;
// A shell that does not answer within this time counts as unreachable.
constexpr UINT kReplyTimeoutMs = 5000;

// LVITEMW up to iIndent, as laid out in a process with pointers of type Ptr. A
// 32-bit view needs the 40-byte layout, a 64-bit one the 56-byte layout.
template <typename Ptr>
struct RemoteLvItem {
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint32_t state;
    uint32_t stateMask;
    Ptr pszText;
    int32_t cchTextMax;
    int32_t iImage;
    Ptr lParam;
    int32_t iIndent;
};
static_assert(sizeof(RemoteLvItem<uint32_t>) == 40);
static_assert(offsetof(RemoteLvItem<uint64_t>, pszText) == 24 && offsetof(RemoteLvItem<uint64_t>, iIndent) == 48);
using NativeLvItem = RemoteLvItem<std::conditional_t<sizeof(void*) == 8, uint64_t, uint32_t>>;
static_assert(offsetof(NativeLvItem, pszText) == offsetof(LVITEMW, pszText));
static_assert(offsetof(NativeLvItem, iIndent) == offsetof(LVITEMW, iIndent));

// Layout of one slot of the block reserved in the view's process: the item request,
// the text buffer and the point. The item part is as large as a whole LVITEMW of
// either width, so that a view reading past iIndent finds zeros.
constexpr size_t kItemAt = 0, kTextAt = 128, kPointAt = kTextAt + kTextUnits * sizeof(wchar_t);
constexpr size_t kSlotBytes = kPointAt + sizeof(POINT);
// Items asked for before their answers are read back in one piece: each call into
// the view's process costs about as much as a message, so one per item would
// double the cost of a read.
constexpr size_t kSlots = 256;
constexpr size_t kBlockBytes = kSlots * kSlotBytes;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

int AnsiBytes(const std::wstring& w) {
    return WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
}

// The name as the view gives it into an 80-unit buffer, then cut to what an 80-byte
// buffer in the ANSI code page would have held (characters the code page lacks take
// the room of their replacement). Never cuts inside a character.
std::string ViewName(std::wstring name) {
    auto cutOne = [&] {
        name.pop_back();
        if (!name.empty() && IsHighSurrogate(name.back())) name.pop_back();
    };
    if (name.size() > static_cast<size_t>(kNameBytes)) {
        name.resize(kNameBytes + 1);
        cutOne();
    }
    while (!name.empty() && AnsiBytes(name) > kNameBytes) cutOne();
    return Narrow(name);
}

HWND FindDefView() {
    HWND progman = FindWindowW(L"Progman", nullptr);
    HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    // Current shells put the view under one of the "WorkerW" top-level windows.
    for (HWND worker = nullptr; !view && (worker = FindWindowExW(nullptr, worker, L"WorkerW", nullptr));)
        view = FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
    return view;
}

HWND FindListView(HWND defView) {
    return defView ? FindWindowExW(defView, nullptr, L"SysListView32", nullptr) : nullptr;
}

DWORD WindowProcess(HWND window) {
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::optional<LRESULT> Send(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

void Log(const wchar_t* text) { OutputDebugStringW(text); }

// ---- The list view, through messages into its own process ----------------------

// One conversation with the list view: its process opened with the rights the
// reads need, and one block reserved there on first use for all items.
class RemoteListView {
public:
    RemoteListView(HWND list, ShellCall& call) : list_(list), call_(call) {
        DWORD pid = WindowProcess(list);
        if (!pid) return;
        process_.reset(OpenProcess(
            PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (process_) narrow_ = Is32Bit(process_.get());
    }
    explicit operator bool() const { return static_cast<bool>(process_); }

    // A message to the list view; each answer is proof of life.
    std::optional<LRESULT> Send(UINT msg, WPARAM wp, LPARAM lp) {
        auto answer = stowly::Send(list_, msg, wp, lp);
        if (answer) call_.Beat();
        return answer;
    }

    std::optional<long> Count() {
        auto n = Send(LVM_GETITEMCOUNT, 0, 0);
        if (!n) return std::nullopt;
        return static_cast<long>(*n);
    }

    // The first `n` items' names and, when `places` are asked for, positions (else
    // 0, 0); an empty name at 0, 0 for an item that vanished since the count.
    // nullopt when the process cannot be worked with. LVM_GETITEMTEXTW takes the
    // index beside the request, so the requests written into the view's process
    // once serve every item.
    std::optional<std::vector<DesktopItem>> Read(long n, bool places, bool names = true) {
        if (!block_) {
            block_ = RemoteMemory(process_.get(), kBlockBytes);
            if (!block_ || (narrow_ && reinterpret_cast<uintptr_t>(block_.get()) > 0xFFFFFFFFu)) return std::nullopt;
        }
        const auto remote = reinterpret_cast<uintptr_t>(block_.get());
        std::vector<unsigned char> local(kBlockBytes);
        std::vector<DesktopItem> items;
        items.reserve(static_cast<size_t>(std::max(n, 0L)));
        SIZE_T done = 0;
        for (long first = 0; first < n; first += static_cast<long>(kSlots)) {
            const size_t count = std::min(kSlots, static_cast<size_t>(n - first));
            // Places alone need no requests: the view writes each point where it is told.
            if (names && !requestsWritten_) {
                std::fill(local.begin(), local.end(), 0);
                for (size_t k = 0; k < kSlots; ++k) FillRequest(local.data() + k * kSlotBytes, remote + k * kSlotBytes);
                if (!WriteProcessMemory(process_.get(), block_.get(), local.data(), kBlockBytes, &done) ||
                    done != kBlockBytes)
                    return std::nullopt;
                requestsWritten_ = true;
            }
            // The answers say what the buffers cannot: no text (an empty name, or an
            // item gone, whose buffer keeps an older answer) and no position.
            std::vector<LRESULT> lengths(count), placed(count);
            for (size_t k = 0; k < count; ++k) {
                const int index = static_cast<int>(first + static_cast<long>(k));
                const uintptr_t slot = remote + k * kSlotBytes;
                auto length = names ? Send(LVM_GETITEMTEXTW, index, static_cast<LPARAM>(slot + kItemAt))
                                    : std::optional<LRESULT>(0);
                auto point = places ? Send(LVM_GETITEMPOSITION, index, static_cast<LPARAM>(slot + kPointAt))
                                    : std::optional<LRESULT>(0);
                if (!length || !point) return std::nullopt;
                lengths[k] = *length;
                placed[k] = *point;
            }
            const SIZE_T bytes = count * kSlotBytes;
            if (!ReadProcessMemory(process_.get(), block_.get(), local.data(), bytes, &done) || done != bytes)
                return std::nullopt;
            for (size_t k = 0; k < count; ++k) {
                const unsigned char* answer = local.data() + k * kSlotBytes;
                wchar_t text[kTextUnits] = {};
                if (lengths[k] > 0) std::memcpy(text, answer + kTextAt, sizeof(text));
                // A view may answer by pointing at text of its own instead of filling
                // the buffer; the requests are then written afresh.
                const uintptr_t answered = AnsweredText(answer);
                if (answered && answered != remote + k * kSlotBytes + kTextAt) {
                    std::memset(text, 0, sizeof(text));
                    ReadProcessMemory(process_.get(), reinterpret_cast<void*>(answered), text, sizeof(text), &done);
                    requestsWritten_ = false;
                }
                text[kTextUnits - 1] = L'\0';
                POINT point{};
                if (placed[k]) std::memcpy(&point, answer + kPointAt, sizeof(point));
                items.push_back({ViewName(text), point.x, point.y});
            }
        }
        return items;
    }

private:
    static bool Is32Bit(HANDLE process) {
        BOOL wow64 = FALSE;
        if (IsWow64Process(process, &wow64) && wow64) return true;
        // Not under WOW64: the system's own width, which a 64-bit caller shares.
        if (sizeof(void*) == 8) return false;
        BOOL selfWow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &selfWow64);
        return !selfWow64;
    }

    template <typename Ptr>
    static void FillRequestOf(unsigned char* slot, uintptr_t remoteSlot) {
        RemoteLvItem<Ptr> item{};
        item.mask = LVIF_TEXT;
        item.pszText = static_cast<Ptr>(remoteSlot + kTextAt);
        item.cchTextMax = kTextUnits;
        std::memcpy(slot + kItemAt, &item, sizeof(item));
    }
    void FillRequest(unsigned char* slot, uintptr_t remoteSlot) const {
        if (narrow_)
            FillRequestOf<uint32_t>(slot, remoteSlot);
        else
            FillRequestOf<uint64_t>(slot, remoteSlot);
    }

    template <typename Ptr>
    static uintptr_t AnsweredTextOf(const unsigned char* slot) {
        RemoteLvItem<Ptr> item;
        std::memcpy(&item, slot + kItemAt, sizeof(item));
        return static_cast<uintptr_t>(item.pszText);
    }
    uintptr_t AnsweredText(const unsigned char* slot) const {
        return narrow_ ? AnsweredTextOf<uint32_t>(slot) : AnsweredTextOf<uint64_t>(slot);
    }

    HWND list_;
    ShellCall& call_;
    KernelHandle process_;
    RemoteMemory block_;
    bool requestsWritten_ = false;
    bool narrow_ = false;
};

// ---- One opening of the desktop's view ------------------------------------------

// Where the view was found: its list view and, when it can be had, the shell's own
// folder view of it.
struct Opening {
    HWND list = nullptr;
    std::optional<FolderViewOpening> shell;
};

Opening Open(ShellCall& call) {
    Opening found;
    HWND defView = FindDefView();
    found.list = FindListView(defView);
    if (!found.list) return found;
    // Only the shell's own process has a folder view of the desktop to offer.
    DWORD shell = WindowProcess(GetShellWindow());
    if (shell && shell == WindowProcess(defView)) {
        call.NeedCom();
        found.shell = FolderViewOpening::OpenDesktop(defView, [&call] { call.Beat(); });
    }
    if (!found.shell) Log(L"Stowly: the shell's folder view of the desktop cannot be had; using list-view messages\n");
    return found;
}

// Runs `step` on an opening of the view, and once more on a fresh one when the
// shell's view went away meanwhile (the shell restarted).
template <typename Step>
auto OnOpening(ShellCall& call, Step step) {
    Opening opening = Open(call);
    auto result = step(opening);
    if (opening.shell && opening.shell->Disconnected()) {
        opening = Open(call);
        result = step(opening);
    }
    return result;
}

// Runs `step` on an opening of the view on a thread of its own (ShellCall.h) and
// hands its result over; `fallback` when the shell stayed silent too long.
template <typename Result, typename Step>
Result OffThread(Result fallback, Step step) {
    Result result = std::move(fallback);
    RunShellCall([&](ShellCall& call) {
        auto found = OnOpening(call, [&](Opening& opening) { return step(opening, call); });
        call.WithCaller([&] { result = std::move(found); });
    });
    return result;
}

DesktopItem FromShell(const ShellItem& item) {
    return {ViewName(item.label), item.at.x, item.at.y, item.placeKnown, Narrow(item.parsingName)};
}

// The items as the shell's folder view reads them, else as the list view does;
// a folder view that gives no items (and did not go away) is let go, so that
// `opening.shell` says afterwards which road the read took.
std::optional<std::vector<DesktopItem>> ReadOn(Opening& opening, ShellCall& call, bool places, bool names = true) {
    if (!opening.list) return std::nullopt;
    if (opening.shell) {
        if (auto read = opening.shell->Read(places)) {
            std::vector<DesktopItem> items;
            items.reserve(read->size());
            for (const auto& item : *read) items.push_back(FromShell(item));
            return items;
        }
        if (opening.shell->Disconnected()) return std::nullopt;
        opening.shell.reset();
    }
    RemoteListView remote(opening.list, call);
    if (!remote) return std::nullopt;
    auto n = remote.Count();
    if (!n) return std::nullopt;
    return remote.Read(*n, places, names);
}

} // namespace

bool Win32Platform::DesktopViewFound() { return FindListView(FindDefView()) != nullptr; }

std::optional<long> Win32Platform::DesktopItemCount() {
    return OffThread(std::optional<long>(), [](Opening& opening, ShellCall& call) -> std::optional<long> {
        if (!opening.list) return std::nullopt;
        if (opening.shell) {
            if (auto n = opening.shell->Count()) return *n;
        }
        // Opening the process proves that the items could also be read.
        RemoteListView remote(opening.list, call);
        if (!remote) return std::nullopt;
        return remote.Count();
    });
}

std::optional<std::vector<DesktopItem>> Win32Platform::ReadDesktopItems() { return ReadItems(true); }

std::optional<std::vector<DesktopItem>> Win32Platform::ReadDesktopItemPlaces() { return ReadItems(false); }

std::optional<std::vector<DesktopItem>> Win32Platform::ReadItems(bool names) {
    return OffThread(std::optional<std::vector<DesktopItem>>(),
                     [names](Opening& opening, ShellCall& call) { return ReadOn(opening, call, true, names); });
}

bool Win32Platform::DesktopArranges() {
    return OffThread(false, [](Opening& opening, ShellCall&) {
        if (!opening.list) return false;
        if (opening.shell) {
            if (auto arranges = opening.shell->Arranges()) return *arranges;
        }
        return (GetWindowLongPtrW(opening.list, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
    });
}

bool Win32Platform::StopDesktopArranging() {
    return OffThread(false, [](Opening& opening, ShellCall&) {
        if (!opening.list) return false;
        if (opening.shell && opening.shell->StopArranging()) return true;
        const LONG_PTR style = GetWindowLongPtrW(opening.list, GWL_STYLE);
        SetWindowLongPtrW(opening.list, GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_AUTOARRANGE));
        return (GetWindowLongPtrW(opening.list, GWL_STYLE) & LVS_AUTOARRANGE) == 0;
    });
}

PlacingResult Win32Platform::PlaceDesktopItems(const PlacingPlan& plan) {
    // The shell's own list view on Windows 10 1809 (build 17763) and later forgets
    // positions set by messages; a stand-in desktop or an older shell keeps them.
    const OsVersionInfo version = OsVersion();
    const bool listViewForgets = version.major >= 10 && version.build >= 17763;
    return OffThread(PlacingResult{}, [&plan, listViewForgets](Opening& opening, ShellCall& call) {
        PlacingResult result;
        auto items = ReadOn(opening, call, false);
        if (!items || !call.WithCaller([&] { result.asked = plan(*items); })) return PlacingResult{};
        if (opening.shell) {
            // Placed through the ids of the items this read found.
            result.road = PlacingResult::Road::ShellView;
            result.placed = opening.shell->Place(result.asked);
            for (const auto& item : opening.shell->ReadBack(result.asked)) result.after.push_back(FromShell(item));
            return result;
        }
        RemoteListView remote(opening.list, call);
        if (!remote) return PlacingResult{};
        result.road = WindowProcess(opening.list) == WindowProcess(GetShellWindow()) && listViewForgets
                          ? PlacingResult::Road::ListViewNotKept
                          : PlacingResult::Road::ListView;
        for (const auto& [index, x, y] : result.asked) {
            // Both halves as 16-bit two's-complement values, so negative positions survive.
            LPARAM packed = static_cast<LPARAM>(static_cast<uint16_t>(x)) | (static_cast<LPARAM>(static_cast<uint16_t>(y)) << 16);
            if (remote.Send(LVM_SETITEMPOSITION, static_cast<WPARAM>(index), packed).value_or(FALSE)) ++result.placed;
        }
        // The list view has no ids: an item whose index now shows another name left.
        const auto n = remote.Count();
        const auto now = n ? remote.Read(*n, true) : std::nullopt;
        for (const ItemPosition& asked : result.asked) {
            const auto i = static_cast<size_t>(asked.index);
            const bool same = now && asked.index >= 0 && i < now->size() && (*now)[i].name == (*items)[i].name;
            result.after.push_back(same ? (*now)[i] : DesktopItem{"", 0, 0, false});
        }
        return result;
    });
}

} // namespace stowly
