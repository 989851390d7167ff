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
    void Put(const std::string& path, const std::string& bytes) { test::WriteHostFile(os.HostPath(path), bytes); }
    std::string Get(const std::string& path) { return test::ReadHostFile(os.HostPath(path)); }
    bool Exists(const std::string& path) { return std::filesystem::exists(os.HostPath(path)); }
    RegData Run(RegRoot root) {
        RegData value;
        os.RegRead(root, kRunKey, kRunValue, value);
        return value;
    }
};

bool SameSettings(const Settings& a, const Settings& b) {
    return a.MinSystemTray == b.MinSystemTray && a.RunOnStartUP == b.RunOnStartUP &&
           a.DefaultWindowsBackground == b.DefaultWindowsBackground && a.WallPaperStyle == b.WallPaperStyle &&
           a.AdvancedMode == b.AdvancedMode && a.FavoriteLocation == b.FavoriteLocation &&
           a.FavoritePath == b.FavoritePath;
}

} // namespace

TEST_CASE("The load step fills the controls in order; a setting they cannot show stops it, reported") {
    struct Row {
        double tray, startup, advanced;
        int16_t style;
        int error; // reported under PreferenceLoad; 0 none
        PreferencesForm form;
    };
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
        s.MinSystemTray = r.tray;
        s.RunOnStartUP = r.startup;
        s.AdvancedMode = r.advanced;
        s.WallPaperStyle = r.style;
        s.DefaultWindowsBackground = "C:\\w.jpg";
        const PreferencesForm f = LoadPreferences(m.ui, s);
        CHECK(f.minimizeToTray == r.form.minimizeToTray);
        CHECK(f.runOnStartUp == r.form.runOnStartUp);
        CHECK(f.wallpaper == r.form.wallpaper);
        CHECK(f.wallpaperStyle == r.form.wallpaperStyle);
        CHECK(f.advancedMode == r.form.advancedMode);
        const auto texts = m.ui.MessageTexts();
        if (r.error)
            CHECK(texts == std::vector<std::string>{ErrorReportText(r.error, "PreferenceLoad")});
        else
            CHECK(texts.empty());
    }
}

TEST_CASE("Browse for Wallpaper offers the background pictures beside the program; Cancel keeps the box") {
    Machine m;
    m.ui.PushText("C:\\Pictures\\sea.jpg");
    CHECK(BrowseForWallpaper(m.ui, kProgram) == "C:\\Pictures\\sea.jpg");
    const FileDialogOptions& d = m.ui.shown.at(0).dialog;
    CHECK(d.initialFolder == kProgram);
    CHECK(d.filterIndex == 2); // the background pictures
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
        PreferencesForm form{1, 0, 1, name, 2};
        REQUIRE(PreferencesDone(m.ctx, form));
        CHECK(m.ui.shown.empty());
        CHECK(m.st.settings.DefaultWindowsBackground == kBmp);
        CHECK(m.st.settings.MinSystemTray == 1);
        CHECK(m.st.settings.AdvancedMode == 1);
        CHECK(m.st.settings.WallPaperStyle == 2);
        CHECK(m.Get(kIni).find("\r\nDefaultWindowsBackground=" + kBmp + "\r\n") != std::string::npos);

        const std::string bmp = m.Get(kBmp);
        REQUIRE(bmp.size() == 54 + 3 * 16); // rows of 15 bytes padded to 16
        CHECK(bmp.substr(0, 2) == "BM");
        const auto original = m.os.DecodePicture(name, nullptr).value();
        const auto written = m.os.DecodePicture(kBmp, nullptr).value();
        CHECK(written.width == test::kTinyWidth);
        CHECK(written.height == test::kTinyHeight);
        CHECK(written.bgra == original.bgra);
        // The red corner is top left; the last pixel keeps the background colour.
        const auto pixel = [&](int x, int y) {
            const size_t at = (static_cast<size_t>(y) * written.width + x) * 4;
            return static_cast<unsigned>(static_cast<unsigned char>(written.bgra[at + 2])) << 16 |
                   static_cast<unsigned>(static_cast<unsigned char>(written.bgra[at + 1])) << 8 |
                   static_cast<unsigned char>(written.bgra[at]);
        };
        const unsigned red = pixel(0, 0) >> 16, green = pixel(0, 0) >> 8 & 0xFF; // give or take what JPEG blurs in
        CHECK(red > 0xC0u);
        CHECK(green < 0x60u);
        CHECK((pixel(4, 2) & 0xF0F0F0) == (corner & 0xF0F0F0));
    }
}

TEST_CASE("Done keeps a bitmap, an empty box and a path that names no file as typed, converting nothing") {
    for (const char* typed : {"C:\\Pictures\\sea.BMP", "C:\\Pictures\\sea.Bmp", "", "C:\\Nowhere\\sea.jpg",
                              "C:\\Pictures"}) {
        CAPTURE(typed);
        Machine m;
        m.Put("C:\\Pictures\\sea.BMP", test::kTinyJpeg); // never decoded: its name says bitmap
        REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, typed, 1}));
        CHECK(m.st.settings.DefaultWindowsBackground == typed);
        CHECK(m.st.settings.WallPaperStyle == 1);
        CHECK_FALSE(m.Exists(kBmp));
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("Done with a picture that cannot be converted reports it and changes nothing at all") {
    const struct {
        const char* what;
        std::string bytes;
        bool readOnlyFolder;
        int error;
    } rows[] = {
        {"no picture", "this is text, not a JPEG", false, Platform::kInvalidPicture},
        {"a cut-off JPEG", test::kTinyJpeg.substr(0, 40), false, Platform::kInvalidPicture},
        {"a program folder that cannot be written", test::kTinyJpeg, true, 75},
    };
    for (const auto& r : rows) {
        CAPTURE(r.what);
        Machine m;
        m.Put("C:\\Pictures\\sea.jpg", r.bytes);
        m.Put(kBmp, "earlier bitmap");
        m.Put(kIni, "[PREFS]\r\nMinSystemTray= 0\r\n");
        if (r.readOnlyFolder) m.os.faults.locked.insert(kBmp);
        m.st.settings.WallPaperStyle = 0;
        const Settings before = m.st.settings;
        CHECK_FALSE(PreferencesDone(m.ctx, {1, 1, 1, "C:\\Pictures\\sea.jpg", 2}));
        CHECK(m.ui.MessageTexts() == std::vector<std::string>{ErrorReportText(r.error, "PreferenceDone")});
        CHECK(SameSettings(m.st.settings, before));
        CHECK(m.Get(kBmp) == "earlier bitmap");
        CHECK(m.Get(kIni) == "[PREFS]\r\nMinSystemTray= 0\r\n");
        CHECK(std::holds_alternative<std::monostate>(m.Run(RegRoot::CurrentUser)));
    }
}

TEST_CASE("Run on Start Up writes the quoted program path for this user; unticked, both entries go") {
    Machine m;
    m.os.RegWrite(RegRoot::LocalMachine, kRunKey, kRunValue, std::string("C:\\OLD\\stowly.exe"), true);
    REQUIRE(PreferencesDone(m.ctx, {0, 1, 0, "", 0}));
    CHECK(m.Run(RegRoot::CurrentUser) == RegData(std::string("\"C:\\PROGRAM FILES\\STOWLY\\stowly.exe\"")));
    CHECK(m.Get(kIni).find("\r\nRunOnStartUP= 1\r\n") != std::string::npos);
    REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, "", 0}));
    CHECK(std::holds_alternative<std::monostate>(m.Run(RegRoot::CurrentUser)));
    CHECK(std::holds_alternative<std::monostate>(m.Run(RegRoot::LocalMachine)));
    // Again, with no entry left to remove: no error.
    REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, "", -1}));
    CHECK(m.ui.shown.empty());
    CHECK(m.st.settings.WallPaperStyle == 0); // no option selected keeps the style
}
