// The installer and uninstaller that ship (tools/package.sh), run as a script or a
// person would: a silent install, a start of the installed program and its Help, the
// uninstaller's warning about a quick closet that holds the desktop, and silent
// uninstalls that take the program away and leave the closet.
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

const fs::path kFolder = L"C:\\Stowly installer test\\Stowly";
const std::string kDir = Narrow(kFolder.wstring()) + "\\";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Stowly";
constexpr RegRoot kUser = RegRoot::CurrentUser, kMachine = RegRoot::LocalMachine;

// No installation before the test and none after it.
struct Installed {
    Installed() { Clear(); }
    ~Installed() { Clear(); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    void Clear() {
        std::error_code ec;
        fs::remove_all(kFolder.parent_path(), ec);
        os.RemoveFile(link);
        os.RegDelete(kUser, kRunKey, "Stowly");
        os.RegDelete(kMachine, kRunKey, "Stowly");
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kUninstallKey).c_str());
    }
    RegData Reg(RegRoot root, const char* key, const char* name) {
        RegData value;
        os.RegRead(root, key, name, value);
        return value;
    }
    std::string Read(const std::string& path) { return os.ReadFile(path, nullptr).value_or("<none>"); }
    Win32Platform os;
    const std::string link = os.SpecialFolder(0x02) + "\\Stowly.lnk"; // CSIDL_PROGRAMS
};

// Runs `exe` with `arguments` to its end; its exit code.
DWORD Run(const fs::path& exe, const std::wstring& arguments) {
    Program program;
    REQUIRE(program.Start(exe, arguments));
    REQUIRE(program.WaitEnd(120000));
    return program.ExitCode();
}
DWORD SilentInstall(const fs::path& folder) {
    return Run(BuildPath("stowly-" + kVersion + "-setup.exe"), L"/S /D=" + folder.wstring());
}

// The uninstaller runs on from a copy of itself in the temporary folder; it is done
// when its own file and its entry in the list of installed programs are gone.
void SilentUninstall(Installed& setup) {
    REQUIRE(Run(kFolder / L"uninstall.exe", L"/S") == 0);
    REQUIRE(WaitFor([&] {
        return setup.Reg(kUser, kUninstallKey, "UninstallString") == RegData{} && !fs::exists(kFolder / L"uninstall.exe");
    }, 60000));
    Sleep(500); // its last step, removing an empty folder
}

} // namespace

TEST_CASE("Installed silently, the program starts and opens its help; the uninstaller warns of a full quick closet, "
          "and a silent uninstall removes the program and its start-up entries but leaves the closet") {
    Installed setup;
    EmptyDesktops desktops; // a folder on the desktop is refused: the program would not run there
    CHECK(SilentInstall(desktops.user() / L"Tools" / L"Stowly") != 0);
    CHECK(setup.Reg(kUser, kUninstallKey, "UninstallString") == RegData{});
    REQUIRE(SilentInstall(kFolder) == 0);
    CHECK(setup.Read(kDir + "stowly.exe") == setup.Read(Narrow(BuildPath("stowly.exe").wstring())));
    CHECK(setup.Read(kDir + "stowly.chm") == setup.Read(Narrow(BuildPath("stowly.chm").wstring())));
    CHECK(setup.Read(setup.link).find(kDir + "stowly.exe") != std::string::npos);
    CHECK(setup.Reg(kUser, kUninstallKey, "UninstallString") == RegData("\"" + kDir + "uninstall.exe\""));

    std::string upper = kDir; // the program names its folder in upper case
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
    REQUIRE((setup.os.CreateFolder(kDir + "QuickClean") && setup.os.CreateFolder(kDir + "AllUsers")));
    const std::pair<std::string, std::string> kept[] = {{"QuickClean\\Shopping list.txt", "milk\r\n"},
        {"AllUsers\\Shared notes.txt", "shared\r\n"}, {"QuickClean.qvr", "key\r\n"}, {"stowly.ini", "[PREFS]\r\nRunOnStartUP= 1\r\n"}};
    for (const auto& [name, text] : kept) REQUIRE(setup.os.WriteFile(kDir + name, text) == 0);
    REQUIRE(setup.os.RegWrite(kUser, kRunKey, "Stowly", "\"" + upper + "stowly.exe\"", true) == 0);
    REQUIRE(setup.os.RegWrite(kMachine, kRunKey, "Stowly", upper + "stowly.exe", true) == 0);

    SUBCASE("Not silent, the uninstaller names the closet's folders; No leaves everything") {
        Program uninstaller;
        REQUIRE(uninstaller.Start(kFolder / L"uninstall.exe"));
        std::vector<MessageBoxInfo> boxes;
        REQUIRE(WaitFor([&] {
            boxes = MessageBoxes(0);
            std::erase_if(boxes, [](const auto& box) { return box.text.find(L"quick closet") == std::wstring::npos; });
            return !boxes.empty();
        }, 30000));
        CHECK(boxes[0].text.find((kFolder / L"QuickClean").wstring()) != std::wstring::npos);
        CHECK(boxes[0].text.find((kFolder / L"AllUsers").wstring()) != std::wstring::npos);
        REQUIRE(Click(GetDlgItem(boxes[0].hwnd, IDNO)));
        CHECK(WaitFor([&] { return !IsWindow(boxes[0].hwnd); }));
        Sleep(2000); // time enough to remove something, were it going on
        CHECK(TopWindows(0, [](HWND h) { return IsWindowVisible(h) && Text(h) == L"Stowly Uninstall"; }).empty());
        CHECK(fs::exists(kFolder / L"stowly.exe"));
        CHECK(setup.Reg(kUser, kRunKey, "Stowly") != RegData{});
    }
    SUBCASE("Silent, it goes on and leaves the closet") {
        SilentUninstall(setup);
        for (const char* gone : {"stowly.exe", "stowly.chm", "uninstall.exe"}) CHECK_MESSAGE(!setup.os.Attributes(kDir + gone).exists, gone);
        CHECK_FALSE(setup.os.Attributes(setup.link).exists);
        CHECK(setup.Reg(kUser, kRunKey, "Stowly") == RegData{});
        CHECK(setup.Reg(kMachine, kRunKey, "Stowly") == RegData{});
        for (const auto& [name, text] : kept) CHECK(setup.Read(kDir + name) == text);
    }
}

TEST_CASE("Uninstalled with nothing of the user's in it, the folder goes too; another copy's start-up entry stays") {
    Installed setup;
    REQUIRE(SilentInstall(kFolder) == 0);
    const RegData other = std::string("C:\\TOOLS\\STOWLY\\stowly.exe");
    REQUIRE(setup.os.RegWrite(kUser, kRunKey, "Stowly", other, true) == 0);
    SilentUninstall(setup);
    CHECK_FALSE(fs::exists(kFolder));
    CHECK(setup.Reg(kUser, kRunKey, "Stowly") == other);
}
