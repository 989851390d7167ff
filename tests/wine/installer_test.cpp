// The installer and uninstaller that ship (tools/package.sh), run silently as a script
// would: the installed program opens its help, and the uninstaller takes the program
// and its start-up entries away but leaves the closet and the settings.
#include "WineHarness.h"

#include <tlhelp32.h>
#include <winternl.h>

#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

const fs::path kFolder = L"C:\\Stowly installer test\\Stowly";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Stowly";

// The command line of the help viewer (hh.exe) that program `pid` started, read
// from its process parameters; the viewer is then ended (the test prefix has no HTML
// engine, so it shows nothing worth keeping).
std::wstring HelpViewerCommandLine(DWORD pid) {
    DWORD viewer = 0;
    WaitFor([&] {
        KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W e{sizeof e};
        for (BOOL more = Process32FirstW(snapshot.get(), &e); more; more = Process32NextW(snapshot.get(), &e))
            if (e.th32ParentProcessID == pid && lstrcmpiW(e.szExeFile, L"hh.exe") == 0) viewer = e.th32ProcessID;
        return viewer != 0;
    });
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, viewer));
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS params{};
    std::wstring line;
    WaitFor([&] {
        if (!process || query(process.get(), 0, &basic, sizeof basic, nullptr) != 0 ||
            !ReadProcessMemory(process.get(), basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
            !ReadProcessMemory(process.get(), peb.ProcessParameters, &params, sizeof params, nullptr))
            return false;
        line.resize(params.CommandLine.Length / sizeof(wchar_t));
        return ReadProcessMemory(process.get(), params.CommandLine.Buffer, line.data(), params.CommandLine.Length, nullptr) != 0;
    });
    if (process) TerminateProcess(process.get(), 0), WaitForSingleObject(process.get(), 5000);
    return line;
}

} // namespace

TEST_CASE("Installed silently, the program opens its help; a silent uninstall removes the program and its start-up "
          "entries but leaves the closet and the settings") {
    Win32Platform os;
    const std::string dir = Narrow(kFolder.wstring()) + "\\";
    const auto clear = [&] {
        std::error_code ec;
        fs::remove_all(kFolder.parent_path(), ec);
        for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) os.RegDelete(root, kRunKey, "Stowly");
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kUninstallKey).c_str());
    };
    const auto reg = [&](RegRoot root, const char* key, const char* name) {
        RegData value;
        os.RegRead(root, key, name, value);
        return value;
    };
    const auto read = [&](const fs::path& path) { return os.ReadFile(Narrow(path.wstring()), nullptr).value_or("<none>"); };
    clear();
    Program setup;
    REQUIRE(setup.Start(BuildPath("stowly-" + kVersion + "-setup.exe"), L"/S /D=" + kFolder.wstring()));
    REQUIRE(setup.WaitEnd(120000));
    CHECK(read(kFolder / L"stowly.exe") == read(BuildPath("stowly.exe")));
    CHECK(read(kFolder / L"stowly.chm") == read(BuildPath("stowly.chm")));
    std::string upper = dir; // the program names its folder in upper case
    CharUpperA(upper.data());
    {
        Program stowly;
        REQUIRE(stowly.Start(kFolder / L"stowly.exe"));
        HWND main = WaitMainWindow(stowly, true);
        REQUIRE(main);
        REQUIRE(Click(FindChild(main, L"Help")));
        wchar_t windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        CHECK(HelpViewerCommandLine(stowly.pid()) ==
              L"\"" + std::wstring(windows) + L"\\hh.exe\" \"" + Widen(upper) + L"stowly.chm\"");
        stowly.Stop(main);
    }

    // A cleaned desktop, settings and start-at-logon entries as the program writes them.
    REQUIRE(os.CreateFolder(dir + "QuickClean"));
    const std::pair<std::string, std::string> kept[] = {{"QuickClean\\Shopping list.txt", "milk\r\n"},
        {"QuickClean.qvr", "key\r\n"}, {"stowly.ini", "[PREFS]\r\nRunOnStartUP= 1\r\n"}};
    for (const auto& [name, text] : kept) REQUIRE(os.WriteFile(dir + name, text) == 0);
    REQUIRE(os.RegWrite(RegRoot::CurrentUser, kRunKey, "Stowly", "\"" + upper + "stowly.exe\"", true) == 0);
    REQUIRE(os.RegWrite(RegRoot::LocalMachine, kRunKey, "Stowly", upper + "stowly.exe", true) == 0);
    Program uninstall;
    REQUIRE(uninstall.Start(kFolder / L"uninstall.exe", L"/S"));
    REQUIRE(uninstall.WaitEnd(120000));
    // It runs on from a copy of itself in the temporary folder: done once its file and its entry are gone.
    REQUIRE(WaitFor([&] {
        return reg(RegRoot::CurrentUser, kUninstallKey, "UninstallString") == RegData{} &&
               !fs::exists(kFolder / L"uninstall.exe");
    }, 60000));
    CHECK_FALSE(fs::exists(kFolder / L"stowly.exe"));
    CHECK(reg(RegRoot::CurrentUser, kRunKey, "Stowly") == RegData{});
    CHECK(reg(RegRoot::LocalMachine, kRunKey, "Stowly") == RegData{});
    for (const auto& [name, text] : kept) CHECK(read(dir + name) == text);
    clear();
}
