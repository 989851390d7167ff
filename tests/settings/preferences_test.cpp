// frmPreferences on the simulated machine: the load step, Browse, and Done with
// its wallpaper conversion and start-up entry, all or nothing.
#include <doctest/doctest.h>

#include "core/ReportError.h"
#include "settings/Preferences.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"
#include "support/TinyPictures.h"

using namespace stowly;

namespace {

constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
const std::string kBmp = std::string(kProgram) + "StowlyWallpaper.bmp";
const std::string kIni = std::string(kProgram) + "stowly.ini";

struct Machine : test::SimMachine {
    Machine() { st.ProgramFolder = kProgram; }
    bool HasRun(RegRoot root) {
        RegData value;
        os.RegRead(root, kRunKey, kRunValue, value);
        return !std::holds_alternative<std::monostate>(value);
    }
};

} // namespace

TEST_CASE("The load step fills the controls in order; a setting they cannot show stops it, reported") {
    struct Row { double tray, startup, advanced; int16_t style; int error; PreferencesForm form; }; // error 0: none
    const Row rows[] = {
        {0, 1, 1, 1, 0, {0, 1, 1, "C:\\w.jpg", 1}},
        {1.5, 0.4, 2, 2, 0, {2, 0, 2, "C:\\w.jpg", 2}}, // fractions round; 2 shows greyed
        {2.5, 0, 0, 0, 0, {2, 0, 0, "C:\\w.jpg", 0}},   // halves to the even neighbour
        {3, 1, 1, 1, 380, {0, 0, 0, "", -1}},
        {1, -1, 1, 1, 380, {1, 0, 0, "", -1}},
        {1, 1, 1, 3, 340, {1, 1, 0, "C:\\w.jpg", -1}},
        {1, 1, 40000, 2, 6, {1, 1, 0, "C:\\w.jpg", 2}},
    };
    for (const Row& r : rows) {
        CAPTURE(r.tray);
        CAPTURE(r.style);
        CAPTURE(r.advanced);
        Machine m;
        Settings s;
        s.MinSystemTray = r.tray, s.RunOnStartUP = r.startup, s.AdvancedMode = r.advanced, s.WallPaperStyle = r.style;
        s.DefaultWindowsBackground = "C:\\w.jpg";
        const PreferencesForm f = LoadPreferences(m.ui, s);
        CHECK((f.minimizeToTray == r.form.minimizeToTray && f.runOnStartUp == r.form.runOnStartUp &&
               f.wallpaper == r.form.wallpaper && f.wallpaperStyle == r.form.wallpaperStyle &&
               f.advancedMode == r.form.advancedMode));
        CHECK(m.ui.MessageTexts() ==
              (r.error ? std::vector<std::string>{ErrorReportText(r.error, "PreferenceLoad")} : std::vector<std::string>{}));
    }
}

TEST_CASE("Browse for Wallpaper starts beside the program; Cancel or a blank name keeps the box") {
    Machine m;
    m.ui.PushText("C:\\Pictures\\sea.jpg");
    CHECK(BrowseForWallpaper(m.ui, kProgram) == "C:\\Pictures\\sea.jpg");
    CHECK(m.ui.shown.at(0).dialog.initialFolder == kProgram);
    m.ui.PushText("   ");
    CHECK_FALSE(BrowseForWallpaper(m.ui, kProgram));
    m.ui.PushCancel();
    CHECK_FALSE(BrowseForWallpaper(m.ui, kProgram));
}

TEST_CASE("Done turns a JPEG or GIF into StowlyWallpaper.bmp of the picture's pixels and stores its path") {
    for (const auto& [name, bytes, corner] : {std::tuple{std::string("C:\\Pictures\\sea.jpg"), test::kTinyJpeg, 0xFFFFFFu},
                                              {std::string("C:\\Pictures\\Sea.GIF"), test::kTinyGif, 0x00FF00u}}) {
        CAPTURE(name);
        Machine m;
        m.Put(name, bytes);
        REQUIRE(PreferencesDone(m.ctx, {1, 0, 1, name, 2}));
        CHECK(m.ui.shown.empty());
        const Settings& s = m.st.settings;
        CHECK((s.DefaultWindowsBackground == kBmp && s.MinSystemTray == 1 && s.AdvancedMode == 1 && s.WallPaperStyle == 2));
        CHECK(m.Get(kIni).find("\r\nDefaultWindowsBackground=" + kBmp + "\r\n") != std::string::npos);
        const std::string bmp = m.Get(kBmp);
        CHECK((bmp.size() == 54 + 3 * 16 && bmp.starts_with("BM"))); // rows of 15 bytes padded to 16
        const auto original = m.os.DecodePicture(name, nullptr).value();
        const auto written = m.os.DecodePicture(kBmp, nullptr).value();
        CHECK((written.width == test::kTinyWidth && written.height == test::kTinyHeight && written.bgra == original.bgra));
        // The red corner is top left; the last pixel keeps the background colour.
        const auto pixel = [&](int x, int y) {
            const auto* p = reinterpret_cast<const unsigned char*>(written.bgra.data()) + (y * written.width + x) * 4;
            return static_cast<unsigned>(p[2]) << 16 | static_cast<unsigned>(p[1]) << 8 | p[0];
        };
        CHECK((pixel(0, 0) >> 16 > 0xC0u && (pixel(0, 0) >> 8 & 0xFF) < 0x60u)); // give or take what JPEG blurs in
        CHECK((pixel(4, 2) & 0xF0F0F0) == (corner & 0xF0F0F0));
    }
}

TEST_CASE("Done keeps a bitmap, an empty box and a path that names no file as typed, converting nothing") {
    for (const char* typed : {"C:\\Pictures\\sea.BMP", "C:\\Pictures\\sea.Bmp", "", "C:\\Nowhere\\sea.jpg", "C:\\Pictures"}) {
        CAPTURE(typed);
        Machine m;
        m.Put("C:\\Pictures\\sea.BMP", test::kTinyJpeg); // never decoded: its name says bitmap
        REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, typed, 1}));
        CHECK((m.st.settings.DefaultWindowsBackground == typed && m.st.settings.WallPaperStyle == 1));
        CHECK((!m.Exists(kBmp) && m.ui.shown.empty()));
    }
}

TEST_CASE("Done with a picture that cannot be converted or an entry that cannot be written changes nothing at all") {
    const struct { std::string bytes; bool readOnlyFolder, runRefused; int error; } rows[] = {
        {"this is text, not a JPEG", false, false, Platform::kInvalidPicture},
        {test::kTinyJpeg.substr(0, 40), false, false, Platform::kInvalidPicture}, // cut off
        {test::kTinyJpeg, true, false, 75},
        {test::kTinyJpeg, false, true, 75}, // the start-up entry refused: the file error, not the system's 5
    };
    for (const auto& r : rows) {
        CAPTURE(r.error);
        Machine m;
        m.Put("C:\\Pictures\\sea.jpg", r.bytes);
        m.Put(kBmp, "earlier bitmap");
        m.Put(kIni, "[PREFS]\r\nMinSystemTray= 0\r\n");
        if (r.readOnlyFolder) m.os.faults.locked.insert(kBmp);
        if (r.runRefused) m.os.faults.passing = {{"RegWrite", "Run\\Stowly", 1000}};
        m.st.settings.WallPaperStyle = 0;
        const Settings before = m.st.settings;
        CHECK_FALSE(PreferencesDone(m.ctx, {1, 1, 1, "C:\\Pictures\\sea.jpg", 2}));
        CHECK(m.ui.MessageTexts() == std::vector<std::string>{ErrorReportText(r.error, "PreferenceDone")});
        CHECK((m.st.settings == before && (r.runRefused || m.Get(kBmp) == "earlier bitmap"))); // converted before Run
        CHECK((m.Get(kIni) == "[PREFS]\r\nMinSystemTray= 0\r\n" && !m.HasRun(RegRoot::CurrentUser)));
    }
}

TEST_CASE("Run on Start Up writes the quoted program path for this user; unticked, both entries go") {
    Machine m;
    m.os.RegWrite(RegRoot::LocalMachine, kRunKey, kRunValue, std::string("C:\\OLD\\stowly.exe"), true);
    REQUIRE(PreferencesDone(m.ctx, {0, 1, 0, "", 0}));
    RegData run;
    m.os.RegRead(RegRoot::CurrentUser, kRunKey, kRunValue, run);
    CHECK(run == RegData(std::string("\"C:\\PROGRAM FILES\\STOWLY\\stowly.exe\"")));
    CHECK(m.Get(kIni).find("\r\nRunOnStartUP= 1\r\n") != std::string::npos);
    REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, "", 0}));
    CHECK((!m.HasRun(RegRoot::CurrentUser) && !m.HasRun(RegRoot::LocalMachine)));
    REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, "", -1})); // with no entry left to remove: no error
    CHECK((m.ui.shown.empty() && m.st.settings.WallPaperStyle == 0)); // no option selected keeps the style
}
