#include <doctest/doctest.h>

#include "settings/Settings.h"
#include "support/SimMachine.h"

using namespace stowly;
using stowly::test::ReadHostFile;
using stowly::test::WriteHostFile;

namespace {

struct Machine : test::SimMachine {
    Machine() { st.ProgramFolder = "C:\\PROGRAM FILES\\STOWLY\\"; }
    std::string IniPath() const { return st.ProgramFolder + "stowly.ini"; }
    void WriteIni(const std::string& bytes) { WriteHostFile(os.HostPath(IniPath()), bytes); }
    std::string IniBytes() const { return ReadHostFile(os.HostPath(IniPath())); }
    Settings Read(const std::string& prefs) {
        WriteIni("[PREFS]\r\n" + prefs);
        ReadINI(ctx);
        return st.settings;
    }
};

const std::array<std::string, 4> kAllBlank{"Blank", "Blank", "Blank", "Blank"};

const char* const kFirstRunFile = "[PREFS]\r\n"
                                  "MinSystemTray= 0\r\n"
                                  "RunOnStartUP= 0\r\n"
                                  "DefaultWindowsBackground=\r\n"
                                  "WallPaperStyle= 0\r\n"
                                  "AdvancedMode= 0\r\n"
                                  "FavoriteLocation0=Blank\r\n"
                                  "FavoritePath0=Blank\r\n"
                                  "FavoriteLocation1=Blank\r\n"
                                  "FavoritePath1=Blank\r\n"
                                  "FavoriteLocation2=Blank\r\n"
                                  "FavoritePath2=Blank\r\n"
                                  "FavoriteLocation3=Blank\r\n"
                                  "FavoritePath3=Blank\r\n";

} // namespace

TEST_CASE("Without a settings file every preference takes its first-run value, and writing it gives 13 keys") {
    Machine m;
    m.st.settings.MinSystemTray = 1;
    m.st.settings.WallPaperStyle = 2;
    ReadINI(m.ctx);
    const Settings& s = m.st.settings;
    CHECK(s.MinSystemTray == 0);
    CHECK(s.RunOnStartUP == 0);
    CHECK(s.AdvancedMode == 0);
    CHECK(s.DefaultWindowsBackground == "");
    CHECK(s.WallPaperStyle == 0);
    CHECK(s.FavoriteLocation == kAllBlank);
    CHECK(s.FavoritePath == kAllBlank);
    CHECK(m.ui.shown.empty());

    WriteINI(m.ctx);
    CHECK(m.IniBytes() == kFirstRunFile);
}

TEST_CASE("Numbers are written with VB's blank or minus and read back") {
    Machine m;
    Settings& s = m.st.settings;
    s.MinSystemTray = 1;
    s.RunOnStartUP = -1;
    s.AdvancedMode = 2.5;
    s.WallPaperStyle = -3;
    s.DefaultWindowsBackground = "C:\\Pictures\\clean.bmp";
    s.FavoriteLocation = {"Work", "Blank", "Blank", "Games"};
    s.FavoritePath = {"C:\\Layouts\\", "Blank", "Blank", "D:\\"};
    WriteINI(m.ctx);
    std::string bytes = m.IniBytes();
    CHECK(bytes.find("\r\nMinSystemTray= 1\r\n") != std::string::npos);
    CHECK(bytes.find("\r\nRunOnStartUP=-1\r\n") != std::string::npos);
    CHECK(bytes.find("\r\nAdvancedMode= 2.5\r\n") != std::string::npos);
    CHECK(bytes.find("\r\nWallPaperStyle=-3\r\n") != std::string::npos);

    Settings written = s;
    m.st.settings = Settings{};
    ReadINI(m.ctx);
    CHECK(s.MinSystemTray == 1);
    CHECK(s.RunOnStartUP == -1);
    CHECK(s.AdvancedMode == 2.5);
    CHECK(s.WallPaperStyle == -3);
    CHECK(s.DefaultWindowsBackground == written.DefaultWindowsBackground);
    CHECK(s.FavoriteLocation == written.FavoriteLocation);
    CHECK(s.FavoritePath == written.FavoritePath);
}

TEST_CASE("Fractional numbers are written as VB's Str writes them") {
    const std::pair<double, const char*> cases[] = {
        {0.5, "AdvancedMode= .5"},     {-0.25, "AdvancedMode=-.25"},       {1.0 / 3, "AdvancedMode= .333333333333333"},
        {1e15, "AdvancedMode= 1E+15"}, {0.00001, "AdvancedMode= 1E-05"},   {123456.75, "AdvancedMode= 123456.75"},
    };
    for (auto [value, line] : cases) {
        CAPTURE(line);
        Machine m;
        m.st.settings.AdvancedMode = value;
        WriteINI(m.ctx);
        CHECK(m.IniBytes().find(std::string("\r\n") + line + "\r\n") != std::string::npos);
    }
}

TEST_CASE("Number values read as their leading number; WallPaperStyle rounds halves to even") {
    const std::pair<const char*, double> numbers[] = {
        {"1", 1},     {" 1", 1},    {"1.5", 1.5},  {"-2", -2}, {"+3", 3},   {"7xyz", 7}, {"abc", 0},
        {"1.", 1},    {".5", 0.5},  {"-", 0},      {".", 0},   {"1e3", 1},  {"1.5.3", 1.5}, {"- 1", 0},
        {"\"  4\"", 4}, {"00012", 12},
    };
    for (auto [text, value] : numbers) {
        CAPTURE(text);
        Machine m;
        CHECK(m.Read(std::string("MinSystemTray=") + text + "\r\n").MinSystemTray == value);
    }
    const std::pair<const char*, int16_t> styles[] = {
        {"2.5", 2},  {"3.5", 4},    {"0.5", 0},        {"1.5", 2},        {"-1.5", -2}, {"2.4", 2},
        {"2.6", 3},  {"abc", 0},    {"32767", 32767},  {"-32768", -32768}, {"32767.4", 32767},
    };
    for (auto [text, style] : styles) {
        CAPTURE(text);
        Machine m;
        CHECK(m.Read(std::string("WallPaperStyle=") + text + "\r\n").WallPaperStyle == style);
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("A WallPaperStyle outside 16 bits stops ReadINI at that key") {
    for (const char* text : {"40000", "-32769", "32767.5"}) {
        CAPTURE(text);
        Machine m;
        Settings s = m.Read(std::string("MinSystemTray=1\r\nDefaultWindowsBackground=C:\\a.bmp\r\nWallPaperStyle=") +
                           text + "\r\nAdvancedMode=1\r\nFavoriteLocation0=Work\r\nFavoritePath0=C:\\\r\n");
        REQUIRE(m.ui.MessageTexts().size() == 1);
        CHECK(m.ui.MessageTexts()[0].ends_with("Error Number:1056 from module ReadINI"));
        CHECK(m.ui.shown[0].title == "Error");
        CHECK(s.MinSystemTray == 1);
        CHECK(s.DefaultWindowsBackground == "C:\\a.bmp");
        CHECK(s.WallPaperStyle == 0);
        CHECK(s.AdvancedMode == 0);
        CHECK(s.FavoriteLocation == std::array<std::string, 4>{});
        CHECK(s.FavoritePath == std::array<std::string, 4>{});
    }
}

TEST_CASE("Text values: cut at 254 characters, empty means missing, other favourite keys ignored") {
    Machine m;
    Settings s = m.Read("DefaultWindowsBackground=" + std::string(300, 'p') +
                        "\r\n"
                        "FavoriteLocation0=\r\n"
                        "FavoriteLocation4=Four\r\n"
                        "FavoritePath4=C:\\Four\\\r\n"
                        "FavoriteLocation01=Leading zero\r\n"
                        "FavoriteLocation 1=Blank inside\r\n"
                        "favoritepath2=C:\\Two\\\r\n");
    CHECK(s.DefaultWindowsBackground == std::string(254, 'p'));
    CHECK(s.FavoriteLocation == kAllBlank);
    CHECK(s.FavoritePath == std::array<std::string, 4>{"Blank", "Blank", "C:\\Two\\", "Blank"});
}

TEST_CASE("WriteINI keeps other sections, existing keys in place and appends new ones in order") {
    Machine m;
    m.WriteIni("; written by hand\r\n"
               "[Other]\r\n"
               "MinSystemTray=9\r\n"
               "\r\n"
               "[prefs]\r\n"
               "advancedmode = 1\r\n"
               "Extra=kept\r\n"
               "FavoritePath0=C:\\Old\\\r\n"
               "\r\n"
               "[Last]\r\n"
               "x=y\r\n");
    m.st.settings = Settings{};
    m.st.settings.FavoriteLocation = kAllBlank;
    m.st.settings.FavoritePath = kAllBlank;
    WriteINI(m.ctx);
    CHECK(m.IniBytes() == "; written by hand\r\n"
                          "[Other]\r\n"
                          "MinSystemTray=9\r\n"
                          "\r\n"
                          "[prefs]\r\n"
                          "advancedmode= 0\r\n"
                          "Extra=kept\r\n"
                          "FavoritePath0=Blank\r\n"
                          "MinSystemTray= 0\r\n"
                          "RunOnStartUP= 0\r\n"
                          "DefaultWindowsBackground=\r\n"
                          "WallPaperStyle= 0\r\n"
                          "FavoriteLocation0=Blank\r\n"
                          "FavoriteLocation1=Blank\r\n"
                          "FavoritePath1=Blank\r\n"
                          "FavoriteLocation2=Blank\r\n"
                          "FavoritePath2=Blank\r\n"
                          "FavoriteLocation3=Blank\r\n"
                          "FavoritePath3=Blank\r\n"
                          "\r\n"
                          "[Last]\r\n"
                          "x=y\r\n");
}

TEST_CASE("Settings text is in the ANSI code page, or UTF-8 with a mark when the code page cannot hold it") {
    Machine m;
    m.st.settings.DefaultWindowsBackground = "C:\\Bilder\\M\xC3\xBC" "de.bmp"; // Müde
    WriteINI(m.ctx);
    CHECK(m.IniBytes().find("DefaultWindowsBackground=C:\\Bilder\\M\xFC" "de.bmp\r\n") != std::string::npos);

    m.st.settings.DefaultWindowsBackground = "C:\\\xE5\x86\x99\xE7\x9C\x9F.bmp"; // 写真
    WriteINI(m.ctx);
    CHECK(m.IniBytes().starts_with("\xEF\xBB\xBF[PREFS]\r\n"));
    m.st.settings.DefaultWindowsBackground.clear();
    ReadINI(m.ctx);
    CHECK(m.st.settings.DefaultWindowsBackground == "C:\\\xE5\x86\x99\xE7\x9C\x9F.bmp");
}

TEST_CASE("A settings file that cannot be read is neither read nor written over") {
    Machine m;
    const std::string original = "[PREFS]\r\nMinSystemTray= 1\r\n[Mine]\r\nkeep=1\r\n";
    m.WriteIni(original);
    m.os.faults.locked.insert(m.IniPath());
    ReadINI(m.ctx);
    CHECK(m.st.settings.MinSystemTray == 0);
    CHECK(m.st.settings.FavoriteLocation == kAllBlank);
    m.st.settings.AdvancedMode = 1;
    WriteINI(m.ctx);
    CHECK(m.IniBytes() == original);
    CHECK(m.ui.shown.empty());
}
