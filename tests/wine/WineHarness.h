#pragma once
// What the tests that drive real programs under Wine share: paths of the build
// tree, the two desktop folders, the stand-in Explorer desktop and started programs.
#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "../../tools/guidriver/GuiDriver.h"
#include "platform/Platform.h"
#include "platform/win32/Handle.h"
#include "platform/win32/WinText.h"

namespace stowly::wine {

// The main window's title, and its notification-area icon's callback message and id.
inline const std::wstring kMainWindowTitle = L"Stowly\u2122 - Version: 4.0.0";
constexpr UINT kTrayMessage = WM_APP + 1, kTrayId = 1;

// The desktop's icons by name, with their places.
using Places = std::map<std::string, std::pair<int, int>>;
inline Places Icons(Platform& os) {
    Places icons;
    for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{}))
        icons[item.name] = {item.x, item.y};
    return icons;
}

// The build folder as a Unix path (for programs such as import) and as this
// process sees it (drive Z:).
inline std::string BuildDirUnix() {
    const char* dir = std::getenv("STOWLY_BUILD_DIR");
    return dir ? dir : ".";
}
inline std::filesystem::path BuildPath(const std::string& name) {
    std::string path = BuildDirUnix() + "/" + name;
    if (path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return Widen(path);
}

// A screenshot into <build>/screenshots/`name`, cut to the windows shown (with a
// small margin), or of the whole screen.
inline void Shot(const std::string& name, std::initializer_list<HWND> windows = {}) {
    std::filesystem::create_directories(BuildPath("screenshots"));
    RECT area{}, r;
    for (HWND h : windows)
        if (GetWindowRect(h, &r)) UnionRect(&area, &area, &r);
    if (!IsRectEmpty(&area)) {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        InflateRect(&area, 6, 6);
        IntersectRect(&area, &area, &screen);
    }
    CHECK_MESSAGE(guidriver::Screenshot(BuildDirUnix() + "/screenshots/" + name, IsRectEmpty(&area) ? nullptr : &area),
                  name);
}

// The program copied into `folder` (made afresh), with `ini` beside it; the folder
// goes when the test is done (declare it before the program that runs from it).
struct InstalledCopy {
    explicit InstalledCopy(const std::filesystem::path& folder, const std::string& ini = "")
        : exe(folder / L"stowly.exe") {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(BuildPath("stowly.exe"), exe);
        if (!ini.empty()) std::ofstream(folder / L"stowly.ini", std::ios::binary) << ini;
    }
    ~InstalledCopy() {
        std::error_code ec;
        std::filesystem::remove_all(exe.parent_path(), ec);
    }
    InstalledCopy(const InstalledCopy&) = delete;
    InstalledCopy& operator=(const InstalledCopy&) = delete;
    const std::filesystem::path exe;
};

// Both desktop folders emptied when made and again when done (never deleted).
class EmptyDesktops {
public:
    EmptyDesktops() {
        wchar_t path[MAX_PATH];
        for (int i = 0; i < 2; ++i) {
            SHGetFolderPathW(nullptr, i == 0 ? 0x10 : 0x19, nullptr, 0, path); // CSIDL_(COMMON_)DESKTOPDIRECTORY
            folders_[i] = path;
        }
        Empty();
    }
    ~EmptyDesktops() { Empty(); }
    EmptyDesktops(const EmptyDesktops&) = delete;
    EmptyDesktops& operator=(const EmptyDesktops&) = delete;
    const std::filesystem::path& user() const { return folders_[0]; }
    const std::filesystem::path& common() const { return folders_[1]; }
    // The same folders as the program names them (UTF-8).
    std::string userText() const { return Narrow(folders_[0].wstring()); }
    std::string commonText() const { return Narrow(folders_[1].wstring()); }

private:
    void Empty() {
        for (const auto& folder : folders_) {
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
                SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
                std::filesystem::remove_all(entry.path(), ec);
            }
        }
    }
    std::filesystem::path folders_[2];
};

// A program of the test, ended (if it has not ended itself) when the test is done.
class Program {
public:
    Program() = default;
    ~Program() { Stop(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start(const std::filesystem::path& exe, const std::wstring& arguments = L"") {
        std::wstring cmd = L"\"" + exe.wstring() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        const std::wstring folder = exe.parent_path().wstring();
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
        return true;
    }
    bool WaitEnd(unsigned ms) const { return !process_ || WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
    bool Running() const { return !WaitEnd(0); }
    // Asks politely first (`close`, when given), then ends the process.
    void Stop(HWND close = nullptr) {
        if (!process_) return;
        if (close) PostMessageW(close, WM_CLOSE, 0, 0);
        if (!WaitEnd(close ? 5000 : 0)) {
            TerminateProcess(process_.get(), 1);
            WaitEnd(5000);
        }
        process_.reset();
    }
    DWORD pid() const { return pid_; }
    // The exit code once the program has ended (STILL_ACTIVE while it runs).
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        if (process_) GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    KernelHandle process_;
    DWORD pid_ = 0;
};

// The main window of a program just started, once it is there (hidden ones too
// unless `visibleOnly`); null when it has not come within half a minute.
inline HWND WaitMainWindow(const Program& program, bool visibleOnly = false) {
    HWND main = nullptr;
    guidriver::WaitFor([&] {
        return (main = guidriver::FindWindowByTitle(program.pid(), kMainWindowTitle, visibleOnly)) != nullptr;
    }, 30000);
    return main;
}

// The stand-in Explorer desktop (tools/standin_desktop), up with its list view.
class StandinDesktop {
public:
    // Starts it and waits until its list view answers (with many items on the
    // desktop and a busy machine that can take a while).
    bool Start(unsigned timeoutMs = 30000) {
        // A leftover would answer in its place; one that is just closing goes soon.
        if (!guidriver::WaitFor([] { return FindWindowW(L"Progman", nullptr) == nullptr; }, 5000)) return false;
        if (!program_.Start(BuildPath("standin_desktop.exe"))) return false;
        guidriver::WaitFor([&] { return Answers() || !program_.Running(); }, timeoutMs);
        return Answers();
    }
    void Stop() { program_.Stop(Answers() ? FindWindowW(L"Progman", nullptr) : nullptr); }
    ~StandinDesktop() { Stop(); }

private:
    bool Answers() const {
        HWND progman = FindWindowW(L"Progman", nullptr);
        HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
        return view && guidriver::ProcessOf(progman) == program_.pid() &&
               FindWindowExW(view, nullptr, L"SysListView32", nullptr);
    }

    Program program_;
};

// The command line of a running process, read from its process parameters.
inline std::wstring CommandLineOf(DWORD pid) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return {};
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process.get(), 0, &basic, sizeof basic, nullptr) != 0) return {};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS params{};
    SIZE_T got = 0;
    if (!ReadProcessMemory(process.get(), basic.PebBaseAddress, &peb, sizeof peb, &got) ||
        !ReadProcessMemory(process.get(), peb.ProcessParameters, &params, sizeof params, &got))
        return {};
    std::wstring line(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process.get(), params.CommandLine.Buffer, line.data(), params.CommandLine.Length, &got))
        return {};
    return line;
}

// Processes that `parent` started, named `exe`.
inline std::vector<DWORD> ChildProcesses(DWORD parent, const std::wstring& exe) {
    std::vector<DWORD> found;
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ParentProcessID == parent && lstrcmpiW(entry.szExeFile, exe.c_str()) == 0)
            found.push_back(entry.th32ProcessID);
    return found;
}

// What Help starts for a program in `programFolder` (ending with a backslash).
inline std::wstring HelpCommandLine(const std::wstring& programFolder) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return L"\"" + std::wstring(windows) + L"\\hh.exe\" \"" + programFolder + L"stowly.chm\"";
}

// The command line of the help viewer that program `pid` started; the viewer is
// then ended (the test prefix has no HTML engine, so it shows nothing worth keeping).
inline std::wstring HelpViewerCommandLine(DWORD pid) {
    std::vector<DWORD> viewers;
    if (!guidriver::WaitFor([&] { return !(viewers = ChildProcesses(pid, L"hh.exe")).empty(); })) return {};
    std::wstring line;
    guidriver::WaitFor([&] { return !(line = CommandLineOf(viewers[0])).empty(); });
    KernelHandle viewer(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, viewers[0]));
    if (viewer) {
        TerminateProcess(viewer.get(), 0);
        WaitForSingleObject(viewer.get(), 5000);
    }
    return line;
}

} // namespace stowly::wine
