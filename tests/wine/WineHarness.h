#pragma once
// What the tests that drive real programs under Wine share: the build tree, the two
// desktop folders, the stand-in Explorer desktop, started programs, and the program's
// main window and message boxes.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

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
using namespace guidriver;
namespace fs = std::filesystem;

inline const std::string kVersion = std::to_string(STOWLY_VERSION_MAJOR) + "." + std::to_string(STOWLY_VERSION_MINOR) +
                                    "." + std::to_string(STOWLY_VERSION_REVISION);
inline const std::wstring kMainWindowTitle = L"Stowly\u2122 - Version: " + Widen(kVersion);
constexpr UINT kTrayMessage = WM_APP + 1, kTrayId = 1;
// A folder of its own, so that the copy run by tools/run.sh keeps its settings.
inline const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (test)";

// Everything under a folder: relative path -> content ("/" for a folder).
using Tree = std::map<std::wstring, std::string>;
inline Tree Contents(const fs::path& folder) {
    Tree tree;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) {
        std::ifstream in(e.path(), std::ios::binary);
        tree[fs::relative(e.path(), folder).wstring()] =
            e.is_directory() ? "/" : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return tree;
}

// The build folder as a Unix path (for programs such as import) and as seen here (drive Z:).
inline std::string BuildDirUnix() { return std::getenv("STOWLY_BUILD_DIR") ? std::getenv("STOWLY_BUILD_DIR") : "."; }
inline fs::path BuildPath(const std::string& name) {
    std::string path = BuildDirUnix() + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return Widen(path[0] == '\\' ? "Z:" + path : path);
}

// A screenshot into <build>/screenshots/`name`, cut to the windows shown, or of the whole screen.
inline void Shot(const std::string& name, std::initializer_list<HWND> windows = {}) {
    fs::create_directories(BuildPath("screenshots"));
    RECT area{}, r, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (HWND h : windows)
        if (GetWindowRect(h, &r)) UnionRect(&area, &area, &r);
    InflateRect(&area, 6, 6);
    const bool cut = windows.size() && IntersectRect(&area, &area, &screen);
    CHECK_MESSAGE(Screenshot(BuildDirUnix() + "/screenshots/" + name, cut ? &area : nullptr), name);
}

inline RegData RegValue(Platform& os, RegRoot root, const char* key, const char* name) {
    RegData value;
    os.RegRead(root, key, name, value);
    return value;
}

// The program copied into `folder` (made afresh) with `ini`; the folder goes when the test is done.
struct InstalledCopy {
    explicit InstalledCopy(const fs::path& folder, const std::string& ini = "") : exe(folder / L"stowly.exe") {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(BuildPath("stowly.exe"), exe);
        if (!ini.empty()) std::ofstream(folder / L"stowly.ini", std::ios::binary) << ini;
    }
    ~InstalledCopy() {
        std::error_code ec;
        fs::remove_all(exe.parent_path(), ec);
    }
    const fs::path exe;
};

// Both desktop folders emptied when made and again when done (never deleted).
struct EmptyDesktops {
    EmptyDesktops() { Empty(); }
    ~EmptyDesktops() { Empty(); }
    static fs::path Folder(int csidl) {
        wchar_t path[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
        return path;
    }
    fs::path user() const { return Folder(CSIDL_DESKTOPDIRECTORY); }
    fs::path common() const { return Folder(CSIDL_COMMON_DESKTOPDIRECTORY); }
    void Empty() const {
        std::error_code ec;
        for (const auto& folder : {user(), common()})
            for (const auto& entry : fs::directory_iterator(folder, ec)) {
                SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
                fs::remove_all(entry.path(), ec);
            }
    }
};

// A program of the test, ended (if it has not ended itself) when the test is done.
class Program {
public:
    ~Program() { Stop(); }
    bool Start(const fs::path& exe, const std::wstring& arguments = L"") {
        std::wstring cmd = L"\"" + exe.wstring() + L"\" " + arguments;
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            exe.parent_path().c_str(), &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
        return true;
    }
    bool WaitEnd(unsigned ms) const { return !process_ || WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
    // Asks politely first (`close`, when given), then ends the process.
    void Stop(HWND close = nullptr) {
        if (close) PostMessageW(close, WM_CLOSE, 0, 0);
        if (!WaitEnd(close ? 5000 : 0)) TerminateProcess(process_.get(), 1), WaitEnd(5000);
        process_.reset();
    }
    DWORD pid() const { return pid_; }
    // The exit code of a program that has ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    KernelHandle process_;
    DWORD pid_ = 0;
};

// The main window of a program just started (hidden ones too unless `visibleOnly`), or null.
inline HWND WaitMainWindow(const Program& program, bool visibleOnly = false) {
    HWND main = nullptr;
    WaitFor([&] { return (main = FindWindowByTitle(program.pid(), kMainWindowTitle, visibleOnly)) != nullptr; }, 30000);
    return main;
}

// The desktop's icons by name, with their places.
using IconPlaces = std::map<std::string, std::pair<int, int>>;
inline IconPlaces Icons(Platform& os) {
    IconPlaces icons;
    for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{}))
        icons[item.name] = {item.x, item.y};
    return icons;
}
// The desktop's icons' places in the view's order, and moving them there.
using ViewPlaces = std::vector<std::pair<int, int>>;
inline ViewPlaces PlacesInOrder(Platform& os) {
    ViewPlaces at;
    for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{})) at.emplace_back(item.x, item.y);
    return at;
}
inline void PlaceInOrder(Platform& os, const ViewPlaces& at) {
    std::vector<ItemPosition> positions;
    for (size_t i = 0; i < at.size(); ++i)
        positions.push_back({static_cast<int>(i), static_cast<int16_t>(at[i].first), static_cast<int16_t>(at[i].second)});
    os.SetDesktopItemPositions(positions);
}
// Moves every icon to a place of its own, `seed` making each layout different; the places.
inline IconPlaces Arrange(Platform& os, int seed) {
    const auto items = os.ReadDesktopItems().value_or(std::vector<DesktopItem>{});
    for (size_t i = 0; i < items.size(); ++i)
        os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(200 + seed * 31 + 90 * i),
                                  static_cast<int16_t>(100 + seed * 17 + 60 * i));
    return Icons(os);
}

// The stand-in Explorer desktop (tools/standin_desktop), up with its list view.
class StandinDesktop {
public:
    bool Start(unsigned timeoutMs = 30000) {
        // A leftover would answer in its place; one that is just closing goes soon.
        if (!WaitFor([] { return FindWindowW(L"Progman", nullptr) == nullptr; }, 5000)) return false;
        if (!program_.Start(BuildPath("standin_desktop.exe"))) return false;
        WaitFor([&] { return Answers() || program_.WaitEnd(0); }, timeoutMs);
        return Answers();
    }
    ~StandinDesktop() { program_.Stop(Answers() ? FindWindowW(L"Progman", nullptr) : nullptr); }

private:
    bool Answers() const {
        HWND progman = FindWindowW(L"Progman", nullptr);
        HWND view = FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
        return progman && view && ProcessOf(progman) == program_.pid() &&
               FindWindowExW(view, nullptr, L"SysListView32", nullptr);
    }
    Program program_;
};

// The size of the screen, Wine's virtual desktop; true once the system reports it.
inline bool SetScreenSize(int width, int height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL &&
           WaitFor([&] { return GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height; });
}

// The screen at another size while a test runs, and back at the 1024 x 768 that every
// test expects (tools/wine-run.sh) when it is done, whether it passed or not.
struct ScreenSize {
    ScreenSize(int width, int height) : changed(SetScreenSize(width, height)) {}
    ~ScreenSize() { CHECK(SetScreenSize(1024, 768)); }
    const bool changed;
};

// Waits for the message box of `pid` that says `text`, checks its title and presses `button`.
inline void Answer(DWORD pid, const std::wstring& text, int button = IDOK, const std::wstring& title = L"Stowly") {
    HWND box = nullptr;
    const bool shown = WaitFor([&] {
        for (const auto& b : MessageBoxes(pid))
            if (b.text == text) box = b.hwnd;
        return box != nullptr;
    }, 30000);
    REQUIRE_MESSAGE(shown, Narrow(text));
    CHECK(Text(box) == title);
    REQUIRE(Click(GetDlgItem(box, button)));
    CHECK(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
}

} // namespace stowly::wine
