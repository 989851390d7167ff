// Preferences and About of the real stowly.exe in one session: all or nothing, the
// picture conversion, the quoted start-up entry, the keyboard. Their screenshots are
// the help's (tools/help-shots.sh).
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TinyPictures.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

bool Checked(HWND dlg, const wchar_t* box) { return SendMessageW(FindChild(dlg, box), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Clicks and waits until the click has been handled.
void Press(HWND dialog, const wchar_t* text) {
    HWND control = FindChild(dialog, text);
    REQUIRE(Click(control));
    SendMessageW(control, WM_NULL, 0, 0); // returns once the posted click is through
}

} // namespace

TEST_CASE("Preferences: Cancel and Escape change nothing, a failed Done neither; Done turns a JPEG into a bitmap and "
          "writes the quoted start-up entry; About from Enter") {
    const fs::path pictures = L"C:\\Users\\Public\\Pictures"; // the path shows in the help's picture
    fs::create_directories(pictures);
    std::ofstream(pictures / L"Sea view.jpg", std::ios::binary) << test::kTinyJpeg;
    std::ofstream(pictures / L"Broken.jpg", std::ios::binary) << "not a picture";
    Win32Platform os;
    const auto runEntry = [&] {
        RegData value;
        os.RegRead(RegRoot::CurrentUser, kRunKey, "Stowly", value);
        return value;
    };
    os.RegDelete(RegRoot::CurrentUser, kRunKey, "Stowly");
    App app;
    const std::string ini = Narrow((kProgramFolder / L"stowly.ini").wstring());
    std::wstring folder = kProgramFolder.wstring() + L"\\"; // as the program names it: upper case
    CharUpperW(folder.data());
    const std::string bmp = Narrow(folder) + "StowlyWallpaper.bmp";

    PostKeys(app.main, {VK_ESCAPE}); // Escape in the main window opens Preferences
    HWND prefs = WaitDialog(app.pid(), L"Preferences");
    REQUIRE(prefs);
    HWND box = FindWindowExW(prefs, nullptr, L"Edit", nullptr);
    CHECK(Checked(prefs, L"Center"));
    SetText(box, (pictures / L"Sea view.jpg").wstring());
    Press(prefs, L"Run on Start Up");
    Press(prefs, L"Stretch");
    Shot("preferences.png", {prefs});
    Press(prefs, L"Cancel");
    REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    CHECK_FALSE(fs::exists(ini));
    CHECK_FALSE(os.Attributes(bmp).exists);
    CHECK(std::holds_alternative<std::monostate>(runEntry()));

    // Opened again, it shows the settings; a picture that cannot be converted is
    // reported, the dialog stays open and nothing is stored.
    prefs = app.Open(L"Preferences", L"Preferences");
    box = FindWindowExW(prefs, nullptr, L"Edit", nullptr);
    CHECK(BoxText(box).empty());
    CHECK_FALSE(Checked(prefs, L"Run on Start Up"));
    CHECK(Checked(prefs, L"Center"));
    SetText(box, (pictures / L"Broken.jpg").wstring());
    Press(prefs, L"Run on Start Up");
    REQUIRE(Click(FindChild(prefs, L"Done")));
    HWND error = WaitDialog(app.pid(), L"Error");
    REQUIRE(error);
    CHECK(Text(GetDlgItem(error, 0xFFFF)).ends_with(L"from module PreferenceDone"));
    REQUIRE(Click(GetDlgItem(error, IDOK)));
    REQUIRE(WaitFor([&] { return !IsWindow(error); }));
    CHECK(IsWindowVisible(prefs));
    CHECK_FALSE(fs::exists(ini));
    CHECK(std::holds_alternative<std::monostate>(runEntry()));

    SetText(box, (pictures / L"Sea view.jpg").wstring());
    Press(prefs, L"Tile");
    Press(prefs, L"Done");
    REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    const auto picture = os.DecodePicture(bmp, nullptr);
    REQUIRE(picture);
    CHECK((picture->width == test::kTinyWidth && picture->height == test::kTinyHeight));
    CHECK(os.ReadFile(bmp, nullptr)->substr(0, 2) == "BM");
    std::string settings = os.ReadFile(ini, nullptr).value_or("");
    for (const std::string& line : {"DefaultWindowsBackground=" + bmp, std::string("RunOnStartUP= 1"), std::string("WallPaperStyle= 1")})
        CHECK_MESSAGE(settings.find("\r\n" + line + "\r\n") != std::string::npos, line);
    CHECK(runEntry() == RegData("\"" + Narrow(folder) + "stowly.exe\""));

    // Unticked and escaped, the entry stays; unticked and Done, it goes.
    for (WORD close : {WORD(VK_ESCAPE), WORD(VK_RETURN)}) {
        prefs = app.Open(L"Preferences", L"Preferences");
        CHECK(BoxText(FindWindowExW(prefs, nullptr, L"Edit", nullptr)) == Widen(bmp));
        REQUIRE(Checked(prefs, L"Run on Start Up"));
        Press(prefs, L"Run on Start Up");
        close == VK_ESCAPE ? PostKeys(prefs, {close}) : Press(prefs, L"Done");
        REQUIRE(WaitFor([&] { return !IsWindow(prefs); }));
    }
    CHECK(std::holds_alternative<std::monostate>(runEntry()));
    CHECK(os.ReadFile(ini, nullptr).value_or("").find("\r\nRunOnStartUP= 0\r\n") != std::string::npos);

    HWND about = app.Open(L"About", L"About Stowly(tm)");
    CHECK(FindChild(about, L"Version " + Widen(kVersion)));
    CHECK(FindChild(about, L"Windows 10")); // the test prefix reports Windows 10, which start-up leaves unnamed
    CHECK(FindChild(about, L"&System Info..."));
    Shot("about.png", {about});
    PostKeys(about, {VK_RETURN}); // the default button, OK
    CHECK(WaitFor([&] { return !IsWindow(about); }));
}
