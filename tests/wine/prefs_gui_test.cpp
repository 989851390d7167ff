// The real stowly.exe driven from outside: Preferences (wallpaper conversion, the
// start-up entry, Cancel), and About from the keyboard. Screenshots go to <build>/screenshots
// (the help's pictures are taken from there: tools/help-shots.sh).
#include <doctest/doctest.h>
#include <windows.h>

#include <fstream>

#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TinyPictures.h"

using namespace stowly;
using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (prefs test)";
// The program folder as the program names it: upper case, with its backslash.
const std::string kProgramFolderText = "C:\\PROGRAM FILES\\STOWLY (PREFS TEST)\\";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

HWND ChildOfClass(HWND parent, const std::wstring& cls) {
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, cls.c_str(), nullptr)))
        if (IsWindowVisible(child)) return child;
    return nullptr;
}

RegData RunEntry(Platform& os) {
    RegData value;
    os.RegRead(RegRoot::CurrentUser, kRunKey, "Stowly", value);
    return value;
}

// The program started from its own folder, up to its main window.
struct Running {
    explicit Running(const std::string& ini = "") : copy(kProgramFolder, ini) {
        REQUIRE(stowly.Start(copy.exe));
        REQUIRE((main = WaitMainWindow(stowly, true)));
    }
    ~Running() { stowly.Stop(main); }
    // Presses one of the main window's buttons and waits for the dialog it opens.
    HWND Open(const wchar_t* button, const std::wstring& dialogTitle) {
        REQUIRE(Click(FindChild(main, button)));
        HWND dialog = nullptr;
        REQUIRE(WaitFor([&] { return (dialog = FindWindowByTitle(stowly.pid(), dialogTitle, true)) != nullptr; }));
        return dialog;
    }
    InstalledCopy copy;
    Program stowly;
    HWND main = nullptr;
};

// What an edit box holds now (GetWindowText of another process's control gives
// only the text it was created with).
std::wstring EditText(HWND edit) {
    wchar_t text[1024] = {};
    SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// Pictures of the test in the shared Pictures folder, removed when it is done.
class Pictures {
public:
    Pictures() { fs::create_directories(folder_); }
    ~Pictures() {
        std::error_code ec;
        for (const auto& p : put_) fs::remove(p, ec);
    }
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;
    fs::path Put(const wchar_t* name, const std::string& bytes) {
        put_.push_back(folder_ / name);
        std::ofstream(put_.back(), std::ios::binary) << bytes;
        return put_.back();
    }

private:
    const fs::path folder_ = L"C:\\Users\\Public\\Pictures";
    std::vector<fs::path> put_;
};

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Clicks and waits until the click has been handled.
void Press(HWND dialog, const wchar_t* text) {
    HWND control = FindChild(dialog, text);
    REQUIRE(Click(control));
    SendMessageW(control, WM_NULL, 0, 0); // returns once the posted click is through
}

} // namespace

TEST_CASE("Preferences: Cancel changes nothing; Done turns a JPEG into a bitmap and writes the quoted start-up entry") {
    Pictures pictures; // where a person keeps them: the path shows in the help's picture
    const fs::path jpeg = pictures.Put(L"Sea view.jpg", test::kTinyJpeg);
    const fs::path brokenJpeg = pictures.Put(L"Broken.jpg", "not a picture");
    Win32Platform os;
    os.RegDelete(RegRoot::CurrentUser, kRunKey, "Stowly");
    Running app;
    const fs::path ini = kProgramFolder / L"stowly.ini", bmp = kProgramFolder / L"StowlyWallpaper.bmp";

    HWND prefs = app.Open(L"Preferences", L"Preferences");
    HWND box = ChildOfClass(prefs, L"Edit");
    REQUIRE(box);
    CHECK(Checked(FindChild(prefs, L"Center")));
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(jpeg.c_str()));
    Press(prefs, L"Run on Start Up");
    Press(prefs, L"Stretch");
    Shot("preferences.png", {prefs});
    Press(prefs, L"Cancel");
    REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    CHECK_FALSE(fs::exists(ini));
    CHECK_FALSE(fs::exists(bmp));
    CHECK(std::holds_alternative<std::monostate>(RunEntry(os)));

    // Opened again, it shows the settings, not the cancelled change.
    prefs = app.Open(L"Preferences", L"Preferences");
    box = ChildOfClass(prefs, L"Edit");
    CHECK(EditText(box).empty());
    CHECK_FALSE(Checked(FindChild(prefs, L"Run on Start Up")));
    CHECK(Checked(FindChild(prefs, L"Center")));

    // A picture that cannot be converted: reported, and the dialog stays open.
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(brokenJpeg.c_str()));
    Press(prefs, L"Run on Start Up");
    REQUIRE(Click(FindChild(prefs, L"Done")));
    HWND error = nullptr; // the dialog is a #32770 window too: the box is told by its title
    REQUIRE(WaitFor([&] { return (error = FindWindowByTitle(app.stowly.pid(), L"Error", true)) != nullptr; }));
    CHECK(Text(GetDlgItem(error, 0xFFFF)).ends_with(L"from module PreferenceDone"));
    REQUIRE(Click(GetDlgItem(error, IDOK)));
    REQUIRE(WaitFor([&] { return !IsWindow(error); }));
    CHECK(IsWindowVisible(prefs));
    CHECK_FALSE(fs::exists(ini));
    CHECK(std::holds_alternative<std::monostate>(RunEntry(os)));

    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(jpeg.c_str()));
    Press(prefs, L"Tile");
    Press(prefs, L"Done");
    REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    const std::string bmpText = kProgramFolderText + "StowlyWallpaper.bmp";
    const auto picture = os.DecodePicture(bmpText, nullptr);
    REQUIRE(picture);
    CHECK(picture->width == test::kTinyWidth);
    CHECK(picture->height == test::kTinyHeight);
    CHECK(os.ReadFile(bmpText, nullptr)->substr(0, 2) == "BM");
    const std::string settings = os.ReadFile(Narrow(ini.wstring()), nullptr).value_or("");
    CHECK(settings.find("\r\nDefaultWindowsBackground=" + bmpText + "\r\n") != std::string::npos);
    CHECK(settings.find("\r\nRunOnStartUP= 1\r\n") != std::string::npos);
    CHECK(settings.find("\r\nWallPaperStyle= 1\r\n") != std::string::npos);
    CHECK(RunEntry(os) == RegData("\"" + kProgramFolderText + "stowly.exe\""));

    // Unticked, the entry goes.
    prefs = app.Open(L"Preferences", L"Preferences");
    CHECK(EditText(ChildOfClass(prefs, L"Edit")) == Widen(bmpText));
    REQUIRE(Checked(FindChild(prefs, L"Run on Start Up")));
    Press(prefs, L"Run on Start Up");
    Press(prefs, L"Done");
    REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    CHECK(std::holds_alternative<std::monostate>(RunEntry(os)));
    CHECK(os.ReadFile(Narrow(ini.wstring()), nullptr).value_or("").find("\r\nRunOnStartUP= 0\r\n") != std::string::npos);
}

TEST_CASE("From the keyboard: Escape opens and cancels Preferences, Enter closes About; About shows the version and Windows") {
    Running app;
    PostKeys(app.main, {VK_ESCAPE});
    HWND prefs = nullptr;
    REQUIRE(WaitFor([&] { return (prefs = FindWindowByTitle(app.stowly.pid(), L"Preferences", true)) != nullptr; }));
    PostKeys(prefs, {VK_ESCAPE});
    CHECK(WaitFor([&] { return !IsWindow(prefs); }));
    // Enter presses About's default button, OK.
    HWND about = app.Open(L"About", L"About Stowly(tm)");
    PostKeys(about, {VK_RETURN});
    CHECK(WaitFor([&] { return !IsWindow(about); }));

    about = app.Open(L"About", L"About Stowly(tm)");
    CHECK(FindChild(about, L"Version 4.0.0"));
    CHECK(FindChild(about, L"Windows 10")); // the test prefix reports Windows 10, which start-up leaves unnamed
    CHECK(FindChild(about, L"&System Info..."));
    Shot("about.png", {about});
    Press(about, L"OK");
    CHECK(WaitFor([&] { return !IsWindow(about); }));
}
