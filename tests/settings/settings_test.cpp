// The settings file. How IniFile itself reads and writes is checked under Wine
// against the system's own profile functions.
#include <doctest/doctest.h>

#include "settings/Settings.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {

struct Machine : test::SimMachine {
    const std::string ini = "C:\\PROGRAM FILES\\STOWLY\\stowly.ini";
    Machine() { st.ProgramFolder = "C:\\PROGRAM FILES\\STOWLY\\"; }
    void WriteIni(const std::string& bytes) { Put(ini, bytes); }
    std::string IniBytes() { return Get(ini); }
    Settings Read(const std::string& prefs) {
        WriteIni("[PREFS]\r\n" + prefs);
        return st.settings = ReadINI(os, ui, st.ProgramFolder);
    }
    int Write() { return WriteINI(os, st.ProgramFolder, st.settings); }
};

// The 13 keys of a first run, in the order they are written.
const std::string kFirstRunKeys =
    "MinSystemTray= 0\r\nRunOnStartUP= 0\r\nDefaultWindowsBackground=\r\nWallPaperStyle= 0\r\nAdvancedMode= 0\r\n"
    "FavoriteLocation0=Blank\r\nFavoritePath0=Blank\r\nFavoriteLocation1=Blank\r\nFavoritePath1=Blank\r\n"
    "FavoriteLocation2=Blank\r\nFavoritePath2=Blank\r\nFavoriteLocation3=Blank\r\nFavoritePath3=Blank\r\n";
const std::array<std::string, 4> kBlank{"Blank", "Blank", "Blank", "Blank"};

} // namespace

TEST_CASE("WriteINI writes the 13 keys in order: after first-run values, or into the file's section in place") {
    Machine m;
    m.st.settings.MinSystemTray = 1;
    m.st.settings = ReadINI(m.os, m.ui, m.st.ProgramFolder); // no file yet
    m.Write();
    CHECK(m.IniBytes() == "[PREFS]\r\n" + kFirstRunKeys);
    CHECK(m.ui.shown.empty());
    m.WriteIni("[Other]\r\nMinSystemTray=9\r\n\r\n[prefs]\r\nadvancedmode = 1\r\nExtra=kept\r\n\r\n[Last]\r\nx=y\r\n");
    m.Write();
    std::string added = kFirstRunKeys;
    added.erase(added.find("AdvancedMode= 0\r\n"), 17);
    CHECK(m.IniBytes() == "[Other]\r\nMinSystemTray=9\r\n\r\n[prefs]\r\nadvancedmode= 0\r\nExtra=kept\r\n" + added +
                              "\r\n[Last]\r\nx=y\r\n");
}

TEST_CASE("Numbers are written as VB's Str writes them and read as their leading number") {
    const struct { double value; const char* text; double back; } written[] = {
        {1, " 1", 1}, {-1, "-1", -1}, {2.5, " 2.5", 2.5}, {0.5, " .5", 0.5}, {-0.25, "-.25", -0.25},
        {1.0 / 3, " .333333333333333", 0.333333333333333}, {1e15, " 1E+15", 1}, {0.00001, " 1E-05", 1},
    };
    for (const auto& c : written) {
        CAPTURE(c.text);
        Machine m;
        m.st.settings.AdvancedMode = c.value;
        m.Write();
        CHECK(m.IniBytes().find(std::string("\r\nAdvancedMode=") + c.text + "\r\n") != std::string::npos);
        m.st.settings.AdvancedMode = 99;
        CHECK(ReadINI(m.os, m.ui, m.st.ProgramFolder).AdvancedMode == c.back);
    }
    const std::pair<const char*, double> read[] = {
        {"MinSystemTray=7xyz", 7}, {"MinSystemTray=abc", 0}, {"MinSystemTray=+3", 3}, {"MinSystemTray=1.", 1},
        {"MinSystemTray=.5", 0.5}, {"MinSystemTray=- 1", 0}, {"MinSystemTray=1.5.3", 1.5},
        {"MinSystemTray=\"  4\"", 4}, {"WallPaperStyle=2.5", 2}, {"WallPaperStyle=3.5", 4}, // halves to even
        {"WallPaperStyle=-1.5", -2}, {"WallPaperStyle=abc", 0}, {"WallPaperStyle=-32768", -32768},
    };
    for (auto [line, value] : read) {
        CAPTURE(line);
        Machine m;
        Settings s = m.Read(std::string(line) + "\r\n");
        CHECK((line[0] == 'M' ? s.MinSystemTray : s.WallPaperStyle) == value);
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("A bad value costs only its own setting, and is reported once; the first key of a name is read") {
    for (const char* text : {"40000", "-32769", "32767.5"}) {
        CAPTURE(text);
        Machine m;
        Settings s = m.Read(std::string("MinSystemTray=1\r\nWallPaperStyle=") + text +
                            "\r\nwallpaperstyle=1\r\nAdvancedMode=1\r\nFavoriteLocation0=Work\r\n");
        REQUIRE(m.ui.MessageTexts().size() == 1);
        CHECK(m.ui.MessageTexts()[0].ends_with("Error Number:1056 from module ReadINI"));
        CHECK((s.MinSystemTray == 1 && s.WallPaperStyle == 0 && s.AdvancedMode == 1));
        CHECK((s.FavoriteLocation == std::array<std::string, 4>{"Work", "Blank", "Blank", "Blank"} && s.FavoritePath == kBlank));
    }
}

TEST_CASE("Text values: cut at 254 characters, empty means missing, other favourite keys ignored") {
    std::string e300;
    for (int i = 0; i < 300; ++i) e300 += "\xC3\xA9"; // é: two bytes, one character
    Machine m;
    m.WriteIni("\xEF\xBB\xBF[PREFS]\r\nDefaultWindowsBackground=" + e300 +
               "\r\nFavoriteLocation0=\r\nFavoriteLocation4=Four\r\nFavoritePath4=C:\\Four\\\r\n"
               "FavoriteLocation01=Leading zero\r\nfavoritepath2=C:\\Two\\\r\n");
    const Settings s = ReadINI(m.os, m.ui, m.st.ProgramFolder);
    CHECK(s.DefaultWindowsBackground == e300.substr(0, 254 * 2));
    CHECK(s.FavoriteLocation == kBlank);
    CHECK(s.FavoritePath == std::array<std::string, 4>{"Blank", "Blank", "C:\\Two\\", "Blank"});
}

TEST_CASE("WriteINI refuses a text with a line break and leaves the file as it was") {
    for (int field = 0; field < 3; ++field) {
        for (const char* text : {"C:\\a.bmp\r\n[PREFS]\r\nAdvancedMode=1", "two\nlines", "cr\r"}) {
            CAPTURE(field);
            Machine m;
            const std::string original = "[PREFS]\r\nMinSystemTray= 0\r\n";
            m.WriteIni(original);
            m.st.settings.MinSystemTray = 1;
            (field == 0 ? m.st.settings.DefaultWindowsBackground
                        : field == 1 ? m.st.settings.FavoriteLocation[3] : m.st.settings.FavoritePath[0]) = text;
            CHECK(m.Write() == 5);
            CHECK(m.IniBytes() == original);
        }
    }
}

TEST_CASE("Settings text is in the ANSI code page, or UTF-8 with a mark when the code page cannot hold it") {
    Machine m;
    m.st.settings.DefaultWindowsBackground = "C:\\M\xC3\xBC" "de.bmp"; // Müde
    m.Write();
    CHECK(m.IniBytes().find("DefaultWindowsBackground=C:\\M\xFC" "de.bmp\r\n") != std::string::npos);
    const std::string photo = m.st.settings.DefaultWindowsBackground = "C:\\\xE5\x86\x99\xE7\x9C\x9F.bmp"; // 写真
    m.Write();
    CHECK(m.IniBytes().starts_with("\xEF\xBB\xBF[PREFS]\r\n"));
    CHECK(ReadINI(m.os, m.ui, m.st.ProgramFolder).DefaultWindowsBackground == photo);
}

TEST_CASE("A settings file that cannot be read is neither read nor written over") {
    Machine m;
    const std::string original = "[PREFS]\r\nMinSystemTray= 1\r\n[Mine]\r\nkeep=1\r\n";
    m.WriteIni(original);
    m.os.faults.locked.insert(m.ini);
    m.st.settings = ReadINI(m.os, m.ui, m.st.ProgramFolder);
    CHECK(m.st.settings.MinSystemTray == 0);
    m.Write();
    CHECK((m.IniBytes() == original && m.ui.shown.empty()));
}
