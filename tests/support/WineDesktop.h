#pragma once
// For tests under Wine that need a desktop: both desktop folders emptied (never
// deleted), and the stand-in desktop (tools/standin_desktop) started from the build
// folder and ended whatever the test does. Windows builds only.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace stowly::test {

inline bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs = 5000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (done()) return true;
    return done();
}

// A file of the build tree as this process sees it: Unix paths are on drive Z:.
inline std::wstring BuildTreePath(const std::string& name) {
    const char* dir = std::getenv("STOWLY_BUILD_DIR");
    std::string path = std::string(dir ? dir : ".") + "/" + name;
    if (path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return Widen(path);
}

class DesktopFolders {
public:
    explicit DesktopFolders(Win32Platform& os) : user_(os.SpecialFolder(16)), common_(os.SpecialFolder(25)) { Empty(); }
    ~DesktopFolders() { Empty(); }
    DesktopFolders(const DesktopFolders&) = delete;
    DesktopFolders& operator=(const DesktopFolders&) = delete;
    const std::string& user() const { return user_; }
    const std::string& common() const { return common_; }

    void Empty() {
        for (const auto& folder : {user_, common_}) {
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(Widen(folder)), ec)) {
                SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
                std::filesystem::remove_all(entry.path(), ec);
            }
        }
    }

private:
    std::string user_, common_;
};

class StandinProcess {
public:
    StandinProcess() = default;
    ~StandinProcess() { Stop(); }
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    // Starts it and waits until its list view answers (with many items on the
    // desktop, and many programs sharing the machine, that can take a while).
    // Wine closes the windows of its virtual desktop a little after the last one
    // went; a stand-in that came up in that moment is simply started again.
    bool Start(unsigned timeoutMs = 30000) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            // A leftover would answer in its place; one that is just closing goes soon.
            if (!WaitUntil([] { return FindWindowW(L"Progman", nullptr) == nullptr; })) return false;
            if (!Launch()) return false;
            bool up = WaitUntil([&] { return Answers() || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; },
                                timeoutMs);
            if (up && Answers()) return true;
            Stop();
            Sleep(500);
        }
        return false;
    }

    void Stop() {
        if (!process_) return;
        HWND progman = FindWindowW(L"Progman", nullptr);
        DWORD owner = 0;
        if (progman) GetWindowThreadProcessId(progman, &owner);
        if (owner == pid_) PostMessageW(progman, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
    }

private:
    bool Launch() {
        std::wstring exe = BuildTreePath("standin_desktop.exe");
        std::wstring cmd = L"\"" + exe + L"\"";
        STARTUPINFOW si{sizeof(si)};
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
        return true;
    }

    bool Answers() const {
        HWND progman = FindWindowW(L"Progman", nullptr);
        DWORD owner = 0;
        if (progman) GetWindowThreadProcessId(progman, &owner);
        HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
        return owner == pid_ && view && FindWindowExW(view, nullptr, L"SysListView32", nullptr);
    }

    KernelHandle process_;
    DWORD pid_ = 0;
};

} // namespace stowly::test
