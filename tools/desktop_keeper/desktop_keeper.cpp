// Keeps Wine's virtual desktop open, and Wine's explorer away from the desktop
// folders, for a whole test run.
//
// Wine closes a virtual desktop one second after the last program using it ended,
// by telling the desktop's owner (explorer) to quit. A program started in that
// second still joins the closing desktop, then draws into an X window that is gone
// (BadWindow) and dies. While this program runs it is a user of the desktop, so
// the desktop never counts as empty.
//
// Wine's explorer also watches the two desktop folders for shortcuts to draw, and
// that watcher crashes (taking the desktop with it) under the bursts of changes a
// clean or a restore makes. Explorer reads where the folders are once, when it
// starts, and this program is what starts it: for that moment the folders are
// pointed at empty ones of our own, then put back as they were.
//
//   desktop_keeper.exe READY-FILE
// Once all that is done it writes READY-FILE and waits until it is killed. It ends
// with 3 when it joined a desktop it did not start, or one that was closing (the
// runner then tries again, and the next try gets a fresh desktop).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/Handle.h"

namespace {

constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// One registry value pointed elsewhere while the object lives, then put back.
class RedirectedValue {
public:
    // `usual` is put back should the value still point elsewhere from a keeper that
    // was ended before it could put it back.
    RedirectedValue(HKEY root, const wchar_t* name, const std::wstring& path, const std::wstring& usual)
        : name_(name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        key_.reset(key);
        DWORD size = 0;
        if (RegQueryValueExW(key, name_, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            had_ = RegQueryValueExW(key, name_, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
        }
        const std::wstring now(reinterpret_cast<const wchar_t*>(saved_.data()), saved_.size() / sizeof(wchar_t));
        if (now.find(path) != std::wstring::npos) {
            type_ = REG_EXPAND_SZ;
            saved_.assign(reinterpret_cast<const BYTE*>(usual.c_str()),
                          reinterpret_cast<const BYTE*>(usual.c_str() + usual.size() + 1));
        }
        RegSetValueExW(key, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    ~RedirectedValue() {
        if (!key_) return;
        if (had_) RegSetValueExW(key_.get(), name_, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        else RegDeleteValueW(key_.get(), name_);
    }
    RedirectedValue(const RedirectedValue&) = delete;
    RedirectedValue& operator=(const RedirectedValue&) = delete;

private:
    stowly::RegKey key_;
    const wchar_t* name_;
    DWORD type_ = REG_EXPAND_SZ;
    std::vector<BYTE> saved_;
    bool had_ = false;
};

LRESULT CALLBACK KeeperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE || msg == WM_QUERYENDSESSION) return 0; // only a kill ends it
    return DefWindowProcW(hwnd, msg, wp, lp);
}

ULONGLONG Ticks(const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

// True when the process that owns the desktop window started after `since` and is
// still running after a while longer than Wine's close delay.
bool FreshDesktopStays(const FILETIME& since) {
    DWORD pid = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &pid);
    if (pid == 0 || pid == GetCurrentProcessId()) return false;
    stowly::KernelHandle owner(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!owner) return false;
    FILETIME created{}, exited{}, kernel{}, user{};
    const bool fresh =
        GetProcessTimes(owner.get(), &created, &exited, &kernel, &user) && Ticks(created) >= Ticks(since);
    const bool ended = WaitForSingleObject(owner.get(), 3000) == WAIT_OBJECT_0;
    return fresh && !ended && IsWindow(GetDesktopWindow());
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2) return 2;

    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return 1;
    const std::wstring decoys = std::wstring(temp) + L"stowly-desktop-keeper";
    CreateDirectoryW(decoys.c_str(), nullptr);
    {
        RedirectedValue user(HKEY_CURRENT_USER, L"Desktop", decoys + L"\\user", L"%USERPROFILE%\\Desktop");
        RedirectedValue common(HKEY_LOCAL_MACHINE, L"Common Desktop", decoys + L"\\common", L"%PUBLIC%\\Desktop");
        FILETIME start{};
        GetSystemTimeAsFileTime(&start);
        // The first call into the window manager (this one) starts the desktop.
        WNDCLASSW wc{};
        wc.lpfnWndProc = KeeperProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"StowlyTestDesktopKeeper";
        if (!RegisterClassW(&wc)) return 1;
        // Never shown: having a window makes this thread a user of the desktop.
        if (!CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr))
            return 1;
        if (!FreshDesktopStays(start)) return 3;
    }

    stowly::FileHandle ready(
        CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!ready) return 1;
    ready.reset();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
