// The installer and uninstaller that ship (tools/package.sh), run as a script or a
// person would: a silent install into a folder of the prefix, a start of the
// installed program, the uninstaller's warning about a quick closet that holds the
// desktop, and silent uninstalls that take the program away and leave the closet.
#include <doctest/doctest.h>
#include <windows.h>

#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "WineHarness.h"

using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

const std::wstring kVersion = std::to_wstring(STOWLY_VERSION_MAJOR) + L"." + std::to_wstring(STOWLY_VERSION_MINOR) +
                              L"." + std::to_wstring(STOWLY_VERSION_REVISION);
const fs::path kFolder = L"C:\\Stowly installer test\\Stowly";
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Stowly";

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::optional<std::wstring> RegText(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t text[1024];
    DWORD size = sizeof text;
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(text);
}

void SetRegText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    REQUIRE(RegSetKeyValueW(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2)) ==
            ERROR_SUCCESS);
}

fs::path StartMenuEntry() {
    wchar_t programs[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return fs::path(programs) / L"Stowly.lnk";
}

// The program a shortcut starts.
std::wstring ShortcutTarget(const fs::path& link) {
    std::wstring target;
    CoInitialize(nullptr);
    IShellLinkW* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        shell->Release();
    }
    CoUninitialize();
    return target;
}

// No installation before the test and none after it.
struct NothingInstalled {
    NothingInstalled() { Clear(); }
    ~NothingInstalled() { Clear(); }
    NothingInstalled(const NothingInstalled&) = delete;
    NothingInstalled& operator=(const NothingInstalled&) = delete;
    static void Clear() {
        std::error_code ec;
        fs::remove_all(kFolder.parent_path(), ec);
        fs::remove(StartMenuEntry(), ec);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Stowly");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Stowly");
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    }
};

// Runs `exe` with `arguments` to its end; its exit code.
DWORD Run(const fs::path& exe, const std::wstring& arguments) {
    Program program;
    REQUIRE(program.Start(exe, arguments));
    REQUIRE(program.WaitEnd(120000));
    return program.ExitCode();
}

DWORD SilentInstall(const fs::path& folder) {
    return Run(BuildPath("stowly-" + stowly::Narrow(kVersion) + "-setup.exe"), L"/S /D=" + folder.wstring());
}

// The uninstaller runs on from a copy of itself in the temporary folder; it is done
// when its own file and its entry in the list of installed programs are gone.
void SilentUninstall() {
    REQUIRE(Run(kFolder / L"uninstall.exe", L"/S") == 0);
    HKEY key = nullptr;
    const bool done = WaitFor(
        [&] {
            const bool listed = RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (listed) RegCloseKey(key);
            return !listed && !fs::exists(kFolder / L"uninstall.exe");
        },
        60000);
    REQUIRE(done);
    Sleep(500); // its last step, removing an empty folder
}

} // namespace

TEST_CASE("Installed silently, the program starts; the uninstaller warns of a full quick closet, "
          "and a silent uninstall removes the program and its start-up entries but leaves the closet") {
    NothingInstalled clean;
    REQUIRE(SilentInstall(kFolder) == 0);
    CHECK(Contents(kFolder / L"stowly.exe") == Contents(BuildPath("stowly.exe")));
    CHECK(Contents(kFolder / L"stowly.chm") == Contents(BuildPath("stowly.chm")));
    CHECK(fs::exists(kFolder / L"uninstall.exe"));
    CHECK(_wcsicmp(ShortcutTarget(StartMenuEntry()).c_str(), (kFolder / L"stowly.exe").c_str()) == 0);
    CHECK(RegText(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString") ==
          L"\"" + (kFolder / L"uninstall.exe").wstring() + L"\"");

    {
        Program stowly;
        REQUIRE(stowly.Start(kFolder / L"stowly.exe"));
        HWND main = nullptr;
        const std::wstring title = L"Stowly\u2122 - Version: " + kVersion;
        REQUIRE(WaitFor([&] { return (main = FindWindowByTitle(stowly.pid(), title, true)) != nullptr; }, 30000));
        // Help opens the installed help file, by the program's own (upper-case) folder.
        std::wstring folder = kFolder.wstring() + L"\\";
        CharUpperW(folder.data());
        REQUIRE(Click(FindChild(main, L"Help")));
        CHECK(HelpViewerCommandLine(stowly.pid()) == HelpCommandLine(folder));
        PostMessageW(main, WM_CLOSE, 0, 0);
        CHECK(stowly.WaitEnd(10000));
    }

    // A cleaned desktop, settings and start-at-logon entries as the program writes them
    // (its folder in upper case; quoted or not).
    Write(kFolder / L"QuickClean" / L"Shopping list.txt", "milk\r\n");
    Write(kFolder / L"AllUsers" / L"Shared notes.txt", "shared\r\n");
    Write(kFolder / L"QuickClean.qvr", "key\r\n");
    Write(kFolder / L"stowly.ini", "[PREFS]\r\nRunOnStartUP= 1\r\n");
    std::wstring upper = kFolder.wstring() + L"\\";
    CharUpperW(upper.data());
    SetRegText(HKEY_CURRENT_USER, kRunKey, L"Stowly", L"\"" + upper + L"stowly.exe\"");
    SetRegText(HKEY_LOCAL_MACHINE, kRunKey, L"Stowly", upper + L"stowly.exe");

    SUBCASE("Not silent, the uninstaller names the closet's folders; No leaves everything") {
        Program uninstaller;
        REQUIRE(uninstaller.Start(kFolder / L"uninstall.exe"));
        std::vector<MessageBoxInfo> boxes;
        const auto closetWarning = [&] {
            boxes = MessageBoxes(0);
            std::erase_if(boxes, [](const MessageBoxInfo& box) { return box.text.find(L"quick closet") == std::wstring::npos; });
            return !boxes.empty();
        };
        REQUIRE(WaitFor(closetWarning, 30000));
        CHECK(boxes[0].text.find((kFolder / L"QuickClean").wstring()) != std::wstring::npos);
        CHECK(boxes[0].text.find((kFolder / L"AllUsers").wstring()) != std::wstring::npos);
        REQUIRE(Click(GetDlgItem(boxes[0].hwnd, IDNO)));
        CHECK(WaitFor([&] { return !IsWindow(boxes[0].hwnd); }));
        Sleep(2000); // time enough to remove something, were it going on
        CHECK(TopWindows(0, [](HWND h) { return IsWindowVisible(h) && Text(h) == L"Stowly Uninstall"; }).empty());
        CHECK(fs::exists(kFolder / L"stowly.exe"));
        CHECK(RegText(HKEY_CURRENT_USER, kRunKey, L"Stowly").has_value());
    }
    SUBCASE("Silent, it goes on and leaves the closet") {
        SilentUninstall();
        for (const wchar_t* gone : {L"stowly.exe", L"stowly.chm", L"uninstall.exe"}) {
            CAPTURE(stowly::Narrow(gone));
            CHECK_FALSE(fs::exists(kFolder / gone));
        }
        CHECK_FALSE(fs::exists(StartMenuEntry()));
        CHECK_FALSE(RegText(HKEY_CURRENT_USER, kRunKey, L"Stowly"));
        CHECK_FALSE(RegText(HKEY_LOCAL_MACHINE, kRunKey, L"Stowly"));
        CHECK(Contents(kFolder / L"QuickClean" / L"Shopping list.txt") == "milk\r\n");
        CHECK(Contents(kFolder / L"AllUsers" / L"Shared notes.txt") == "shared\r\n");
        CHECK(Contents(kFolder / L"QuickClean.qvr") == "key\r\n");
        CHECK(Contents(kFolder / L"stowly.ini") == "[PREFS]\r\nRunOnStartUP= 1\r\n");
    }
}

TEST_CASE("Uninstalled with nothing of the user's in it, the folder goes too; another copy's start-up entry stays") {
    NothingInstalled clean;
    REQUIRE(SilentInstall(kFolder) == 0);
    SetRegText(HKEY_CURRENT_USER, kRunKey, L"Stowly", L"C:\\TOOLS\\STOWLY\\stowly.exe");
    SilentUninstall();
    CHECK_FALSE(fs::exists(kFolder));
    CHECK(RegText(HKEY_CURRENT_USER, kRunKey, L"Stowly") == L"C:\\TOOLS\\STOWLY\\stowly.exe");
}

TEST_CASE("The installer refuses a folder on the desktop, where the program would not run") {
    NothingInstalled clean;
    EmptyDesktops desktops;
    const fs::path onDesktop = desktops.user() / L"Tools" / L"Stowly";
    CHECK(SilentInstall(onDesktop) != 0);
    CHECK_FALSE(fs::exists(onDesktop / L"stowly.exe"));
    CHECK_FALSE(RegText(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"));
}
