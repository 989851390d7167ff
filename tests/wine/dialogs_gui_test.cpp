// The icon positions dialog, the favourites and the advanced clean and restore
// dialogs of the real stowly.exe, driven from outside on the stand-in desktop.
// Screenshots of the dialogs and the favourites menu go to <build>/screenshots.
#include <doctest/doctest.h>
#include <windows.h>

#include <oleacc.h>

#include <fstream>
#include <map>

#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (dialogs test)";

// Moves every icon to a place of its own, `seed` making each layout different.
void Arrange(Win32Platform& os, int seed) {
    const auto items = os.ReadDesktopItems().value_or(std::vector<DesktopItem>{});
    for (size_t i = 0; i < items.size(); ++i)
        os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(200 + seed * 31 + 90 * i),
                                  static_cast<int16_t>(100 + seed * 17 + 60 * i));
}

// The stand-in desktop up with `count` icons, arranged by `seed`; where they are.
Places StartDesktop(StandinDesktop& standin, Win32Platform& os, size_t count, int seed) {
    REQUIRE(standin.Start());
    REQUIRE(WaitFor([&] { return Icons(os).size() == count; }));
    Arrange(os, seed);
    return Icons(os);
}

// Starts the copy and returns its main window (hidden ones too).
HWND StartProgram(Program& stowly, const InstalledCopy& copy) {
    REQUIRE(stowly.Start(copy.exe));
    HWND main = WaitMainWindow(stowly);
    REQUIRE(main);
    return main;
}

// The visible dialog of `pid` titled `title`.
HWND WaitDialog(DWORD pid, const std::wstring& title) {
    HWND dlg = nullptr;
    WaitFor([&] { return (dlg = FindWindowByTitle(pid, title, true)) != nullptr && ClassName(dlg) == L"#32770"; },
            20000);
    return dlg;
}

// Waits for the message box with `text`, checks its title and presses `button`.
void Answer(DWORD pid, const std::wstring& text, int button = IDOK) {
    HWND box = nullptr;
    const bool shown = WaitFor([&] {
        for (const auto& b : MessageBoxes(pid))
            if (b.text == text) box = b.hwnd;
        return box != nullptr;
    }, 20000);
    if (!shown)
        for (const auto& b : MessageBoxes(pid)) MESSAGE(Narrow(b.text));
    REQUIRE_MESSAGE(shown, Narrow(text));
    CHECK(Text(box) == L"Stowly");
    REQUIRE(Click(GetDlgItem(box, button)));
    CHECK(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
}

// Types `path` into the file dialog titled `title` and presses its OK button.
void ChooseFile(DWORD pid, const std::wstring& title, const std::wstring& path) {
    HWND dlg = WaitDialog(pid, title);
    REQUIRE_MESSAGE(dlg, Narrow(title));
    HWND box = GetDlgItem(dlg, 0x47C); // cmb13, or edt1 by style
    SendMessageW(box ? box : GetDlgItem(dlg, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    REQUIRE(Click(GetDlgItem(dlg, IDOK)));
    CHECK(WaitFor([&] { return !IsWindow(dlg); }));
}

// What a text box of another process holds now (GetWindowText gives only the
// text it was created with).
std::wstring BoxText(HWND box) {
    wchar_t text[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(box, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &got);
    return text;
}

// The children of `parent` whose text is `text`, in their (tab) order.
std::vector<HWND> ChildrenWithText(HWND parent, const std::wstring& text) {
    std::vector<HWND> found;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (Text(h) == text) found.push_back(h);
    return found;
}

// The box that follows its label: the label names it for screen readers.
HWND BoxAfter(HWND dlg, const std::wstring& label) {
    HWND l = FindChild(dlg, label);
    return l ? GetWindow(l, GW_HWNDNEXT) : nullptr;
}

// The name a screen reader reads for `control`.
std::wstring AccessibleName(HWND control) {
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))))
        return L"<no object>";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result = SUCCEEDED(acc->get_accName(self, &name)) && name ? name : L"<no name>";
    SysFreeString(name);
    acc->Release();
    return result;
}

bool ReadOnly(HWND edit) { return (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0; }

std::string Line(const std::string& text, int number) {
    size_t start = 0;
    for (int i = 1; i < number; ++i) start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

std::wstring Profile(const std::wstring& key) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"PREFS", key.c_str(), L"<none>", value, 512, (kProgramFolder / L"stowly.ini").c_str());
    return value;
}

} // namespace

TEST_CASE("Icon positions: save a layout, scramble, load it back; favourite slot 2 by Browse and Done, chosen from the menu") {
    EmptyDesktops desktops;
    for (const wchar_t* name : {L"Budget.txt", L"Letters.txt"})
        std::ofstream(desktops.user() / name, std::ios::binary) << "x";
    fs::create_directories(desktops.user() / L"Projects");
    StandinDesktop standin;
    Win32Platform os;
    const Places saved = StartDesktop(standin, os, 4, 0);
    test::TestDir layouts;
    const std::wstring file = (layouts.path() / L"Work.dpf").wstring();

    InstalledCopy copy(kProgramFolder, "[PREFS]\r\nMinSystemTray= 1\r\n");
    Program stowly;
    HWND main = StartProgram(stowly, copy);
    const DWORD pid = stowly.pid();
    PostMessageW(main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    REQUIRE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));

    REQUIRE(Click(FindChild(main, L"Icon Positions")));
    HWND dlg = WaitDialog(pid, L"Icon Positions");
    REQUIRE(dlg);
    CHECK(IsWindowEnabled(main) == FALSE); // modal
    const auto names = [&] {
        std::vector<std::wstring> n;
        for (HWND b : ChildrenWithText(dlg, L"Browse")) n.push_back(BoxText(GetWindow(b, GW_HWNDPREV)));
        return n;
    };
    CHECK(names() == std::vector<std::wstring>(4, L"Blank"));
    // Tab goes down the dialog as it is laid out.
    std::vector<std::wstring> tabOrder;
    HWND first = FindChild(dlg, L"Save Current Desktop Icon Positions");
    for (HWND h = first; h && tabOrder.size() < 20; h = GetNextDlgTabItem(dlg, h, FALSE)) {
        tabOrder.push_back(ClassName(h) == L"Edit" ? L"name" : Text(h));
        if (GetNextDlgTabItem(dlg, h, FALSE) == first) break;
    }
    CHECK(tabOrder == std::vector<std::wstring>{L"Save Current Desktop Icon Positions", L"Load  Desktop Icon Positions",
                                                L"name", L"Browse", L"name", L"Browse", L"name", L"Browse",
                                                L"name", L"Browse", L"Done", L"Cancel"});
    Shot("icon-positions.png");
    for (int i = 0; i < 4; ++i) // a screen reader names each box by its slot
        CHECK(AccessibleName(GetWindow(ChildrenWithText(dlg, L"Browse").at(i), GW_HWNDPREV)) ==
              L"Favorite " + std::to_wstring(i + 1) + L":");

    REQUIRE(Click(FindChild(dlg, L"Save Current Desktop Icon Positions")));
    ChooseFile(pid, L"Save As", file);
    Answer(pid, L"Your Desktop icon positions have been saved.");
    const std::string written = os.ReadFile(Narrow(file), nullptr).value_or("");
    CHECK(written.find("Budget.txt," + std::to_string(saved.at("Budget.txt").first)) != std::string::npos);

    Arrange(os, 3);
    REQUIRE(Icons(os) != saved);
    REQUIRE(Click(FindChild(dlg, L"Load  Desktop Icon Positions")));
    ChooseFile(pid, L"Open", file);
    Answer(pid, L"Your Icons have been restored.");
    CHECK(Icons(os) == saved);

    REQUIRE(Click(ChildrenWithText(dlg, L"Browse").at(2)));
    ChooseFile(pid, L"Open", file);
    CHECK(WaitFor([&] { return names() == std::vector<std::wstring>{L"Blank", L"Blank", L"Work", L"Blank"}; }));
    REQUIRE(Click(FindChild(dlg, L"Done")));
    REQUIRE(WaitFor([&] { return !IsWindow(dlg); }));
    CHECK(Profile(L"FavoriteLocation2") == L"Work");
    CHECK(Profile(L"FavoritePath2") == layouts.path().wstring() + L"\\");
    CHECK(Profile(L"FavoriteLocation1") == L"Blank");

    // Escape drops what Browse chose: the settings file keeps its slots.
    REQUIRE(Click(FindChild(main, L"Icon Positions")));
    REQUIRE((dlg = WaitDialog(pid, L"Icon Positions")));
    CHECK(names() == std::vector<std::wstring>{L"Blank", L"Blank", L"Work", L"Blank"});
    REQUIRE(Click(ChildrenWithText(dlg, L"Browse").at(0)));
    ChooseFile(pid, L"Open", file);
    REQUIRE(WaitFor([&] { return names()[0] == L"Work"; }));
    PostKeys(dlg, {VK_ESCAPE});
    REQUIRE(WaitFor([&] { return !IsWindow(dlg); }));
    CHECK(Profile(L"FavoriteLocation0") == L"Blank");

    // The third favourite from the notification-area menu applies the file.
    Arrange(os, 5);
    REQUIRE(Click(FindChild(main, L"Exit"))); // hides the window: the menu answers only then
    REQUIRE(WaitFor([&] { return IsWindowVisible(main) == FALSE; }));
    PostMessageW(main, kTrayMessage, kTrayId, WM_RBUTTONDOWN);
    std::vector<HWND> menus;
    REQUIRE(WaitFor([&] { return !(menus = VisibleOfClass(pid, L"#32768")).empty(); }));
    PostKeys(menus.front(), {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    REQUIRE(WaitFor([&] { return VisibleOfClass(pid, L"#32768").size() == 2; }));
    Sleep(300);
    Shot("favorites-menu.png"); // the submenu: Blank, Blank, Work, Blank
    // Down twice reaches the third item whether or not the menu stops at the grey ones.
    PostKeys(menus.front(), {VK_DOWN, VK_DOWN, VK_RETURN});
    Answer(pid, L"Your Icons have been restored.");
    CHECK(Icons(os) == saved);
    stowly.Stop(main);
}

TEST_CASE("Advanced clean with a password; advanced restore asks for it in any case and offers to save a new one") {
    EmptyDesktops desktops;
    std::ofstream(desktops.user() / L"Report.txt", std::ios::binary) << "report\r\n";
    fs::create_directories(desktops.user() / L"Photos");
    std::ofstream(desktops.user() / L"Photos" / L"sea.txt", std::ios::binary) << "sea\r\n";
    std::ofstream(desktops.common() / L"Shared.txt", std::ios::binary) << "shared\r\n";
    StandinDesktop standin;
    Win32Platform os;
    const Places before = StartDesktop(standin, os, 4, 1);
    test::TestDir keys;
    const std::wstring keyFile = (keys.path() / L"Mine.qvr").wstring();
    const std::string keyPath = Narrow(keyFile);

    InstalledCopy copy(kProgramFolder, "[PREFS]\r\nAdvancedMode= 1\r\n");
    Program stowly;
    HWND main = StartProgram(stowly, copy);
    const DWORD pid = stowly.pid();
    REQUIRE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    REQUIRE(Click(FindChild(main, L"Clean Desktop")));
    ChooseFile(pid, L"Save As", keyFile);
    HWND clean = WaitDialog(pid, L"Clean Desktop (Advanced)");
    REQUIRE(clean);
    CHECK(FindChild(clean, L"Remove all icons from the Windows Desktop"));
    CHECK(BoxText(BoxAfter(clean, L"Closet Root Directory:")) == keys.path().wstring() + L"\\");
    CHECK(BoxText(BoxAfter(clean, L"Closet Key File:")) == L"Mine.qvr");
    for (const wchar_t* label : {L"Closet Root Directory:", L"Closet Key File:", L"Desktop Wallpaper:", L"Screen Size:"})
        CHECK_MESSAGE(ReadOnly(BoxAfter(clean, label)), Narrow(label));
    HWND password = BoxAfter(clean, L"Password:");
    CHECK(AccessibleName(password) == L"Password:");
    CHECK_FALSE(ReadOnly(password));
    CHECK(BoxText(BoxAfter(clean, L"Desktop Icons && Positions:")).find(L"\tReport.txt\r\n\tXPos: ") != std::wstring::npos);
    SendMessageW(password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L" Open Sesame"));
    Shot("advanced-clean.png");
    PostKeys(clean, {VK_RETURN}); // Enter: the default button, Clean
    Answer(pid, L"Your Desktop has been cleaned.");
    REQUIRE(WaitFor([&] { return !IsWindow(clean); }));
    CHECK(fs::is_empty(desktops.user()));
    CHECK(fs::is_empty(desktops.common()));
    CHECK(Line(os.ReadFile(keyPath, nullptr).value_or(""), 5) == "\" Open Sesame\"");

    REQUIRE(Click(FindChild(main, L"Restore Desktop")));
    ChooseFile(pid, L"Open", keyFile);
    HWND ask = WaitDialog(pid, L"Stowly");
    REQUIRE(ask);
    CHECK(FindChild(ask, L"Please enter the password:"));
    SendMessageW(FindWindowExW(ask, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L" oPEN sESAME"));
    REQUIRE(Click(GetDlgItem(ask, IDOK)));
    HWND restore = WaitDialog(pid, L"Restore Desktop (Advanced)");
    REQUIRE(restore);
    password = BoxAfter(restore, L"Password:");
    CHECK(BoxText(password) == L" Open Sesame");
    CHECK(BoxText(BoxAfter(restore, L"Desktop Icons && Positions:")).find(L"\tShared.txt\r\n\tXPos: ") != std::wstring::npos);
    Shot("advanced-restore.png");
    SendMessageW(password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"New secret "));
    REQUIRE(Click(FindChild(restore, L"Restore")));
    Answer(pid, L"Your password changed.  Would you like to save the new password?", IDYES);
    Answer(pid, L"Your Icons have been restored.");
    REQUIRE(WaitFor([&] { return !IsWindow(restore); }));
    CHECK(os.ReadFile(desktops.userText() + "\\Report.txt", nullptr) == "report\r\n");
    CHECK(os.ReadFile(desktops.userText() + "\\Photos\\sea.txt", nullptr) == "sea\r\n");
    CHECK(os.ReadFile(desktops.commonText() + "\\Shared.txt", nullptr) == "shared\r\n");
    CHECK(Icons(os) == before);
    CHECK(Line(os.ReadFile(keyPath, nullptr).value_or(""), 5) == "NEW SECRET");
    stowly.Stop(main);
}
