// The settings file, and Preferences: the load step, Browse, and Done with its
// wallpaper conversion and start-up entry, all or nothing. How IniFile itself reads
// and writes is checked under Wine against the system's own profile functions.
#include <doctest/doctest.h>

#include "core/ReportError.h"
#include "settings/Preferences.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"
#include "support/TinyPictures.h"

using namespace stowly;
using Texts = std::vector<std::string>;

namespace {

constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
const std::string kBmp = std::string(kProgram) + "StowlyWallpaper.bmp";
const std::string kIni = std::string(kProgram) + "stowly.ini";

struct Machine : test::SimMachine {
    Machine() { st.ProgramFolder = kProgram; }
    Settings Read(const std::string& prefs) {
        Put(kIni, "[PREFS]\r\n" + prefs);
        return st.settings = ReadINI(os, ui, st.ProgramFolder);
    }
    int Write() { return WriteINI(os, st.ProgramFolder, st.settings); }
    bool HasRun(RegRoot root) {
        RegData value;
        os.RegRead(root, kRunKey, kRunValue, value);
        return !std::holds_alternative<std::monostate>(value);
    }
};

const std::string kFirstRunKeys =
    "MinSystemTray= 0\r\nRunOnStartUP= 0\r\nDefaultWindowsBackground=\r\nWallPaperStyle= 0\r\nAdvancedMode= 0\r\n"
    "FavoriteLocation0=Blank\r\nFavoritePath0=Blank\r\nFavoriteLocation1=Blank\r\nFavoritePath1=Blank\r\n"
    "FavoriteLocation2=Blank\r\nFavoritePath2=Blank\r\nFavoriteLocation3=Blank\r\nFavoritePath3=Blank\r\nKeepLayouts= 0\r\n";
const std::array<std::string, 4> kBlank{"Blank", "Blank", "Blank", "Blank"};

} // namespace

TEST_CASE("WriteINI writes the 13 keys in order: after first-run values, or into the file's section in place; a file "
          "that cannot be read is neither read nor written over") {
    Machine m;
    m.st.settings.MinSystemTray = 1;
    m.st.settings = ReadINI(m.os, m.ui, m.st.ProgramFolder); // no file yet
    m.Write();
    CHECK((m.Get(kIni) == "[PREFS]\r\n" + kFirstRunKeys && m.ui.shown.empty()));
    m.Put(kIni, "[Other]\r\nMinSystemTray=9\r\n\r\n[prefs]\r\nadvancedmode = 1\r\nExtra=kept\r\n\r\n[Last]\r\nx=y\r\n");
    m.Write();
    std::string added = kFirstRunKeys;
    added.erase(added.find("AdvancedMode= 0\r\n"), 17);
    CHECK(m.Get(kIni) == "[Other]\r\nMinSystemTray=9\r\n\r\n[prefs]\r\nadvancedmode= 0\r\nExtra=kept\r\n" + added +
                              "\r\n[Last]\r\nx=y\r\n");
    const std::string locked = "[PREFS]\r\nMinSystemTray= 1\r\n[Mine]\r\nkeep=1\r\n";
    m.Put(kIni, locked);
    m.os.faults.locked.insert(kIni);
    m.st.settings = ReadINI(m.os, m.ui, m.st.ProgramFolder);
    m.Write();
    CHECK((m.st.settings.MinSystemTray == 0 && m.Get(kIni) == locked && m.ui.shown.empty()));
}

TEST_CASE("Numbers are written as VB's Str writes them and read as their leading number; a bad one costs only its setting") {
    const struct { double value; const char* text; double back; } written[] = {
        {1, " 1", 1}, {-1, "-1", -1}, {2.5, " 2.5", 2.5}, {0.5, " .5", 0.5}, {-0.25, "-.25", -0.25},
        {1.0 / 3, " .333333333333333", 0.333333333333333}, {1e15, " 1E+15", 1}, {0.00001, " 1E-05", 1},
    };
    for (const auto& c : written) {
        CAPTURE(c.text);
        Machine m;
        m.st.settings.AdvancedMode = c.value;
        m.Write();
        CHECK(m.Get(kIni).find(std::string("\r\nAdvancedMode=") + c.text + "\r\n") != std::string::npos);
        CHECK(ReadINI(m.os, m.ui, m.st.ProgramFolder).AdvancedMode == c.back);
    }
    // Each line before a second key of its name and other settings: the first key is read, and a value that does
    // not fit costs only its own setting, reported once.
    const struct { const char* line; double value; bool bad = false; } read[] = {
        {"MinSystemTray=7xyz", 7}, {"MinSystemTray=abc", 0}, {"MinSystemTray=+3", 3}, {"MinSystemTray=1.", 1},
        {"MinSystemTray=.5", 0.5}, {"MinSystemTray=- 1", 0}, {"MinSystemTray=1.5.3", 1.5},
        {"MinSystemTray=\"  4\"", 4}, {"WallPaperStyle=2.5", 2}, {"WallPaperStyle=3.5", 4}, // halves to even
        {"WallPaperStyle=-1.5", -2}, {"WallPaperStyle=abc", 0}, {"WallPaperStyle=-32768", -32768},
        {"WallPaperStyle=40000", 0, true}, {"WallPaperStyle=-32769", 0, true}, {"WallPaperStyle=32767.5", 0, true},
    };
    for (const auto& [line, value, bad] : read) {
        CAPTURE(line);
        Machine m;
        Settings s = m.Read(std::string(line) + "\r\nminsystemtray=9\r\nwallpaperstyle=9\r\nAdvancedMode=1\r\nFavoriteLocation0=Work\r\n");
        CHECK((line[0] == 'M' ? s.MinSystemTray : s.WallPaperStyle) == value);
        CHECK((s.AdvancedMode == 1 && s.FavoriteLocation[0] == "Work" && s.FavoriteLocation[1] == "Blank" &&
               (line[0] == 'M' || s.MinSystemTray == 9)));
        CHECK(m.ui.MessageTexts() == (bad ? Texts{ErrorReportText(err::Overflow, "ReadINI")} : Texts{}));
    }
}

TEST_CASE("Text: cut at 254 characters, empty is missing, other favourite keys ignored; ANSI, else UTF-8 marked") {
    std::string e300;
    for (int i = 0; i < 300; ++i) e300 += "\xC3\xA9"; // é: two bytes, one character
    Machine m;
    m.Put(kIni, "\xEF\xBB\xBF[PREFS]\r\nDefaultWindowsBackground=" + e300 +
               "\r\nFavoriteLocation0=\r\nFavoriteLocation4=Four\r\nFavoritePath4=C:\\Four\\\r\n"
               "FavoriteLocation01=Leading zero\r\nfavoritepath2=C:\\Two\\\r\n");
    const Settings s = ReadINI(m.os, m.ui, m.st.ProgramFolder);
    CHECK((s.DefaultWindowsBackground == e300.substr(0, 254 * 2) && s.FavoriteLocation == kBlank &&
           s.FavoritePath == std::array<std::string, 4>{"Blank", "Blank", "C:\\Two\\", "Blank"}));
    m.st.settings.DefaultWindowsBackground = "C:\\M\xC3\xBC" "de.bmp"; // Müde
    m.Write();
    CHECK(m.Get(kIni).find("DefaultWindowsBackground=C:\\M\xFC" "de.bmp\r\n") != std::string::npos);
    const std::string photo = m.st.settings.DefaultWindowsBackground = "C:\\\xE5\x86\x99\xE7\x9C\x9F.bmp"; // 写真
    m.Write();
    CHECK((m.Get(kIni).starts_with("\xEF\xBB\xBF[PREFS]\r\n") && ReadINI(m.os, m.ui, m.st.ProgramFolder).DefaultWindowsBackground == photo));
}

TEST_CASE("The load step fills the controls in order; a setting they cannot show stops it, reported") {
    struct Row { double tray, startup, advanced; int16_t style; int error; PreferencesForm form; }; // error 0: none
    const Row rows[] = {
        {0, 1, 1, 1, 0, {0, 1, 1, "C:\\w.jpg", 1}},
        {2.5, 0.4, 2, 2, 0, {2, 0, 2, "C:\\w.jpg", 2}}, // fractions round, halves to even; 2 shows greyed
        {3, 1, 1, 1, 380, {0, 0, 0, "", -1}},
        {1, 1, 1, 3, 340, {1, 1, 0, "C:\\w.jpg", -1}},
        {1, 1, 40000, 2, 6, {1, 1, 0, "C:\\w.jpg", 2}},
    };
    for (const Row& r : rows) {
        CAPTURE(r.advanced);
        Machine m;
        Settings s;
        s.MinSystemTray = r.tray, s.RunOnStartUP = r.startup, s.AdvancedMode = r.advanced, s.WallPaperStyle = r.style;
        s.DefaultWindowsBackground = "C:\\w.jpg";
        const PreferencesForm f = LoadPreferences(m.ui, s);
        CHECK((f.minimizeToTray == r.form.minimizeToTray && f.runOnStartUp == r.form.runOnStartUp &&
               f.wallpaper == r.form.wallpaper && f.wallpaperStyle == r.form.wallpaperStyle &&
               f.advancedMode == r.form.advancedMode));
        CHECK(m.ui.MessageTexts() == (r.error ? Texts{ErrorReportText(r.error, "PreferenceLoad")} : Texts{}));
    }
}

TEST_CASE("Done turns a JPEG or GIF into StowlyWallpaper.bmp of its pixels; a bitmap or no file stays as typed") {
    const std::string jpeg = "C:\\Pictures\\sea.jpg", gif = "C:\\Pictures\\Sea.GIF";
    for (const auto& [typed, converted] : {std::pair{jpeg, true}, {gif, true}, {"C:\\Pictures\\sea.BMP", false},
                                           {"C:\\Pictures\\sea.Bmp", false}, {"", false}, {"C:\\Nowhere\\sea.jpg", false},
                                           {"C:\\Pictures", false}}) {
        CAPTURE(typed);
        Machine m;
        m.Put(jpeg, test::kTinyJpeg);
        m.Put(gif, test::kTinyGif);
        m.Put("C:\\Pictures\\sea.BMP", test::kTinyJpeg); // never decoded: its name says bitmap
        REQUIRE(PreferencesDone(m.ctx, {1, 0, 1, typed, 2}));
        const Settings& s = m.st.settings;
        const std::string stored = converted ? kBmp : typed;
        CHECK((m.ui.shown.empty() && s.DefaultWindowsBackground == stored && s.WallPaperStyle == 2 && s.MinSystemTray == 1 && s.AdvancedMode == 1));
        CHECK(m.Get(kIni).find("\r\nDefaultWindowsBackground=" + stored + "\r\n") != std::string::npos);
        CHECK(m.Exists(kBmp) == converted);
        if (!converted) continue;
        const std::string bmp = m.Get(kBmp);
        CHECK((bmp.size() == 54 + 3 * 16 && bmp.starts_with("BM"))); // rows of 15 bytes padded to 16
        // Pixel for pixel, the right way up: the pictures' top left pixel is their only red one.
        const auto original = m.os.DecodePicture(typed, nullptr).value();
        const auto written = m.os.DecodePicture(kBmp, nullptr).value();
        CHECK((written.width == test::kTinyWidth && written.height == test::kTinyHeight && written.bgra == original.bgra));
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
        CHECK((!PreferencesDone(m.ctx, {1, 1, 1, "C:\\Pictures\\sea.jpg", 2}) && m.ui.MessageTexts() == Texts{ErrorReportText(r.error, "PreferenceDone")}));
        CHECK((m.st.settings == before && (r.runRefused || m.Get(kBmp) == "earlier bitmap"))); // converted before Run
        CHECK((m.Get(kIni) == "[PREFS]\r\nMinSystemTray= 0\r\n" && !m.HasRun(RegRoot::CurrentUser)));
    }
}

TEST_CASE("Run on Start Up unticked takes this user's and the machine's entries away; with none left, no error") {
    // The entry written when ticked, and taken away by a real Done, are the Wine GUI test's.
    Machine m;
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
        m.os.RegWrite(root, kRunKey, kRunValue, std::string("C:\\OLD\\stowly.exe"), true);
    m.st.settings.WallPaperStyle = 2;
    for (int i = 0; i < 2; ++i) REQUIRE(PreferencesDone(m.ctx, {0, 0, 0, "", -1})); // the second with no entry left
    CHECK((!m.HasRun(RegRoot::CurrentUser) && !m.HasRun(RegRoot::LocalMachine) && m.Get(kIni).find("\r\nRunOnStartUP= 0\r\n") != std::string::npos));
    CHECK((m.ui.shown.empty() && m.st.settings.WallPaperStyle == 2)); // no option selected keeps the style
}
