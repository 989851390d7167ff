// The desktop's icons, position lists and files, and the icon positions dialog's
// Save, Load, Browse and Done with the favourites, on the simulated desktop.
#include <doctest/doctest.h>

#include "core/Error.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "icons/IconPositions.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"

using namespace stowly;
using Texts = std::vector<std::string>;
using stowly::test::ErrorOf;

namespace {

constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
constexpr const char* kLayout = "C:\\Layouts\\Work.dpf";
constexpr const char* kRestored = "Your Icons have been restored.";
constexpr const char* kArranges = "The desktop arranges its icons by itself, so they cannot go back to their places.  "
                                  "Turn off \"Auto arrange icons\" and place them?";

struct Desk : test::SimMachine {
    Desk() {
        st.ProgramFolder = kProgram;
        for (int i = 0; i < 4; ++i) st.settings.FavoriteLocation[i] = st.settings.FavoritePath[i] = "Blank";
        Put(os.userDesktop + "\\notes.txt", "n");
        Put(std::string(kProgram) + "stowly.ini", "[PREFS]\r\n");
        std::filesystem::create_directories(os.HostPath("C:\\Layouts"));
        Place(10, 20);
    }
    // Puts the two icons (Recycle Bin, notes.txt) at (x, y) and (x + 100, y).
    void Place(int16_t x, int16_t y) {
        REQUIRE(os.Icons().size() == 2);
        os.SetDesktopItemPosition(0, x, y);
        os.SetDesktopItemPosition(1, static_cast<int16_t>(x + 100), y);
    }
};

const std::string kTwoIcons = "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\nRecycle Bin,10,20\r\nnotes.txt,110,20\r\n";
const std::string kHeader = "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\n";
const test::Places kTwoPlaces{{"Recycle Bin", {10, 20}}, {"notes.txt", {110, 20}}};

} // namespace

TEST_CASE("Save writes the desktop's layout where the user chose, asking before it replaces a file") {
    struct Row { const char* what; bool exists; std::vector<Answer> answers; bool desktop, diskFull; std::string file; Texts messages; };
    const std::string kAsk = "Icon Postion File Already Exists.  Do you want to overwrite it?";
    const Row rows[] = {
        {"new file", false, {}, true, false, kTwoIcons, {"Your Desktop icon positions have been saved."}},
        {"overwrite: No", true, {Answer::No}, true, false, "old", {kAsk}},
        {"overwrite: Yes", true, {Answer::Yes}, true, false, kTwoIcons, {kAsk, "Your Desktop icon positions have been saved."}},
        {"no desktop", false, {}, false, false, "<missing>", {"The desktop's icons could not be read.  Nothing was saved."}},
        {"disk full", false, {}, true, true, "<missing>", {ErrorReportText(err::PathFileAccess, "SavePositions")}},
        {"a place that cannot be read", false, {}, true, false, kTwoIcons.substr(0, kTwoIcons.find("notes")),
         {"Your Desktop icon positions have been saved."}}, // left out, never written as 0,0
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        Desk d;
        if (r.exists) REQUIRE(d.os.WriteFile(kLayout, "old") == 0);
        d.os.desktopRunning = r.desktop;
        d.os.faults.diskFull = r.diskFull;
        if (r.what[0] == 'a') d.os.placeUnreadable = {"notes.txt"};
        d.ui.PushText(kLayout);
        for (Answer a : r.answers) d.ui.Push(a);
        SavePositions(d.ctx);
        CHECK((d.ui.shown.at(0).kind == "save" && d.ui.shown[0].dialog.initialFolder == kProgram));
        CHECK(((d.Exists(kLayout) ? d.Get(kLayout) : "<missing>") == r.file && d.ui.MessageTexts() == r.messages));
    }
}

TEST_CASE("Load applies a position file; success is told only when it was applied; a desktop that arranges itself is asked about") {
    struct Row { const char* what; std::string chosen, content; bool desktop; Texts messages; bool moved; }; // chosen "": Cancel
    const Row rows[] = {
        {"applied", "  C:\\Layouts\\Work.dpf ", kTwoIcons, true, {kRestored}, true},
        {"taken on a screen twice as large: fitted", kLayout,
         "\r\n\r\n\r\n 2048 * 1536   32 bit\r\n\r\nRecycle Bin,20,40\r\nnotes.txt,220,40\r\n", true, {kRestored}, true},
        {"cancelled", "", kTwoIcons, true, {}, false},
        {"no icon lines", kLayout, "\r\n\r\n\r\nS\r\n\r\n", true, {ErrorReportText(62, "RestoreLocations")}, false},
        {"missing file", "C:\\Layouts\\Gone.dpf", kTwoIcons, true, {ErrorReportText(53, "RestoreLocations")}, false},
        {"a cut-off line", kLayout, "\r\n\r\n\r\nS\r\n\r\nnotes.txt,1,1\r\nRecycle Bin\r\n", true, {ErrorReportText(62, "RestoreLocations")}, false},
        {"an X past 16 bits", kLayout, "\r\n\r\n\r\nS\r\n\r\nnotes.txt,1,1\r\nRecycle Bin,40000,1\r\n", true, {ErrorReportText(6, "RestoreLocations")}, false},
        {"no desktop", kLayout, kTwoIcons, false, {"The desktop's icons could not be reached.  No icon was moved."}, false},
        {"arranging, and left so", kLayout, kTwoIcons, true, {kArranges, std::string(kRestored) + " 2 icons are not where they were."}, false},
        {"arranging, turned off", kLayout, kTwoIcons, true, {kArranges, kRestored}, true},
        {"forgotten: list-view places on a shell that keeps only its own view's", kLayout, kTwoIcons, true,
         {std::string(kRestored) + " 2 icons are not where they were."}, true},
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        Desk d;
        REQUIRE(d.os.WriteFile(kLayout, r.content) == 0);
        d.Place(500, 400);
        const auto scattered = d.IconPlaces();
        d.os.desktopRunning = r.desktop;
        d.os.arranging = std::string(r.what).starts_with("arranging"); // positions set do nothing
        r.chosen.empty() ? d.ui.PushCancel() : d.ui.PushText(r.chosen);
        if (d.os.arranging) d.ui.Push(r.moved ? Answer::Yes : Answer::No);
        if (r.what[0] == 'f') d.os.placingRoad = PlacingResult::Road::ListViewNotKept; // shown now, gone at a refresh
        LoadPositions(d.ctx);
        CHECK(d.ui.MessageTexts() == r.messages);
        d.os.desktopRunning = true;
        CHECK((d.IconPlaces() == (r.moved ? kTwoPlaces : scattered) && !d.ui.busy));
    }
}

TEST_CASE("Done stores the slots in the record and the settings file; the favourite applies its file") {
    Desk d;
    FavoriteSlots slots = FavoritesOf(d.st.settings);
    CHECK(slots[2] == FavoriteSlot{"Blank", "Blank"});
    slots[2] = {"Work", "C:\\Layouts\\"}, slots[3] = {"", ""};
    StoreFavorites(d.ctx, slots);
    CHECK(FavoritesOf(d.st.settings) == slots);
    const Settings read = ReadINI(d.os, d.ui, kProgram);
    CHECK((read.FavoriteLocation[2] == "Work" && read.FavoritePath[2] == "C:\\Layouts\\" && read.FavoriteLocation[0] == "Blank"));

    d.Place(500, 400);
    LoadFav(d.ctx, 2); // its file is not there yet: nothing happens, nothing is shown
    CHECK(d.ui.shown.empty());
    REQUIRE(d.os.WriteFile(kLayout, kTwoIcons) == 0);
    for (int slot : {0, 3}) LoadFav(d.ctx, slot); // free slots have no file
    CHECK(d.ui.shown.empty());
    LoadFav(d.ctx, 2);
    CHECK(d.ui.MessageTexts() == Texts{kRestored});
    CHECK(d.IconPlaces() == kTwoPlaces);
}

TEST_CASE("position lists: names trimmed, quoted with a comma; records read, names cut by characters, 32767 at most") {
    std::vector<IconRecord> icons{{"Recycle Bin", 12, 150}, {"  My Documents  ", 12, 80}, {"a,b", -5, 20}};
    CHECK(PositionListText(" 1024 * 768   32 bit", icons) ==
          kHeader + "Recycle Bin,12,150\r\nMy Documents,12,80\r\n\"a,b\",-5,20\r\n");
    CHECK(PositionListText("S", {}) == "\r\n\r\n\r\nS\r\n\r\n");
    CHECK(IconLine({" ab ", -1, 0}, true) == "\"ab\",-1,0");
    // Reading: quotes and NULs are the delimited reader's; here, the records and their limits.
    const std::string key = "C:\\PROGRAM FILES\\STOWLY\\\r\nC:\\Windows\\bliss.bmp\r\n2\r\n S\r\nsecret\r\n" +
                            IconLine({"Report, final", -12, 300}, true) + "\r\n";
    for (const std::string& text : {kHeader + "\"Report, final\",-12,300\r\nOld,-5,20\r\n\r\n\r\n", key}) {
        const auto records = ReadPositionList(text);
        REQUIRE(records.size() == (text == key ? 1u : 2u));
        CHECK((records[0].Name == "Report, final" && records[0].X == -12 && records[0].Y == 300));
    }
    std::string longName = std::string(126, 'n') + "\xC3\xA9\xC3\xA9xy";
    CHECK(ReadPositionList(kHeader + longName + ",1,2\r\n").at(0).Name == longName.substr(0, 130));
    std::string many = kHeader;
    for (int i = 0; i < 32767; ++i) many += "a,1,2\r\n";
    CHECK(ReadPositionList(many).size() == 32767);
    const std::pair<std::string, int> bad[] = {
        {kHeader, err::InputPastEnd},               {kHeader + "\r\n\r\n", err::InputPastEnd},
        {"\r\n\r\n", err::InputPastEnd},            {kHeader + "A,1\r\n", err::InputPastEnd},
        {kHeader + "A,40000,1\r\n", err::Overflow}, {many + "a,1,2\r\n", err::Overflow},
        {kHeader + "a,b,1,2\r\n", err::TypeMismatch}, // an unquoted comma shifts the fields
    };
    for (const auto& [text, error] : bad) {
        CAPTURE(text.substr(0, 40));
        CHECK(ErrorOf([&] { ReadPositionList(text); }) == error);
    }
}

TEST_CASE("position files on disk: ANSI when every name fits, UTF-8 with a mark otherwise") {
    test::SimMachine m;
    const std::string cafe = "Caf\xC3\xA9 \xE2\x82\xAC", japanese = "\xE6\x97\xA5\xE6\x9C\xAC";
    const std::pair<std::vector<IconRecord>, std::string> rows[] = {
        {{{cafe, 1, 2}, {"Taxes, 2024", 7, 8}}, "\r\n\r\n\r\nS\r\n\r\nCaf\xE9 \x80,1,2\r\n\"Taxes, 2024\",7,8\r\n"},
        {{{japanese, -3, 4}, {cafe, 5, 6}},
         std::string(kUtf8Bom) + "\r\n\r\n\r\nS\r\n\r\n" + japanese + ",-3,4\r\n" + cafe + ",5,6\r\n"},
    };
    for (const auto& [icons, bytes] : rows) {
        WritePositionFile(m.os, "C:\\home.dpf", "S", icons);
        CHECK(test::ReadHostFile(m.os.HostPath("C:\\home.dpf")) == bytes); // read back: the delimited files fuzz target
    }
}

TEST_CASE("more than 32767 items is an overflow; an empty desktop has an empty table") {
    test::SimMachine d;
    d.os.virtualItems.assign(32768, "v");
    CHECK_FALSE(EnumDesktopIcons(d.os, d.ui));
    CHECK(CountDesktopIcons(d.os, d.ui) == 0);
    CHECK(d.ui.MessageTexts() ==
          Texts{ErrorReportText(6, "EnumDesktopIcons"), ErrorReportText(6, "CountDesktopIcons")});
    d.os.virtualItems.clear();
    const auto icons = EnumDesktopIcons(d.os, d.ui);
    CHECK((icons && icons->empty()));
}

TEST_CASE("RestoreLocations matches trimmed labels in any case; the n-th record of a label places its n-th item") {
    test::SimMachine d;
    d.os.virtualItems = {"Recycle Bin", "My Computer"};
    for (const auto& path : {d.os.userDesktop + "\\Report", d.os.commonDesktop + "\\Report", d.os.userDesktop + "\\Unlisted"})
        d.Put(path, "x");
    const test::Places before = d.IconPlaces();
    d.Put("C:\\layout.dpf", "\r\n\r\n\r\n S\r\n\r\n\"  my computer \",100,200\r\nNowhere,1,1\r\nreport,-10,5\r\nREPORT,7,7\r\nRECYCLE BIN,30,40\r\n");
    CHECK(RestoreLocations(d.os, d.ui, "C:\\layout.dpf"));
    const auto& icons = d.os.Icons();
    REQUIRE(icons.size() == 5); // the user's and the common desktop's "Report": one to each record
    test::Places want = before;
    want["Recycle Bin"] = {30, 40}, want["My Computer"] = {100, 200};
    std::vector<std::pair<int32_t, int32_t>> reports;
    std::vector<int> moved, calls;
    for (int i = 0; i < 5; ++i) {
        if (icons[i].name == "Report") reports.push_back({icons[i].x, icons[i].y});
        else CHECK(std::pair{icons[i].x, icons[i].y} == want[icons[i].name]);
        if (icons[i].name != "Unlisted") moved.push_back(i);
    }
    CHECK(reports == std::vector<std::pair<int32_t, int32_t>>{{-10, 5}, {7, 7}});
    for (const auto& c : d.os.positionCalls) calls.push_back(c.index);
    CHECK(calls == moved); // one position per matched item, in list order
    CHECK((d.os.positionBatches == 1 && d.ui.shown.empty())); // all through one opening of the view
}

TEST_CASE("items that share a label go back to their own places: ranked by parsing name on the shell's road, in the "
          "view's order on the list view's; an item that leaves while the view is open is skipped") {
    using Spot = std::pair<int32_t, int32_t>;
    struct Row { PlacingResult::Road road; bool reordered; };
    for (const Row& r : {Row{PlacingResult::Road::ShellView, true}, Row{PlacingResult::Road::ListView, false}}) {
        CAPTURE(static_cast<int>(r.road));
        test::SimMachine d;
        d.os.virtualItems.clear();
        d.os.hideExtensions = true;
        d.os.placingRoad = r.road;
        const std::string pdf = d.os.userDesktop + "\\Report.pdf", docx = d.os.commonDesktop + "\\Report.docx";
        d.Put(pdf, "p"), d.Put(docx, "d"); // both show "Report": the pdf first in the view, the docx first by name
        d.os.SetDesktopItemPositions({{0, 100, 100}, {1, 300, 300}});
        auto spots = [&] {
            std::map<std::string, Spot> at;
            for (const auto& icon : d.os.Icons()) at[icon.source] = {icon.x, icon.y};
            return at;
        };
        const auto saved = spots();
        const auto records = EnumDesktopIcons(d.os, d.ui);
        REQUIRE((records && records->size() == 2 && (*records)[0].Name == "Report"));
        if (r.reordered) { // the pdf comes back later: last in the view now
            std::filesystem::remove(d.os.HostPath(pdf));
            d.os.Icons();
            d.Put(pdf, "p");
        }
        d.os.SetDesktopItemPositions({{0, 600, 20}, {1, 650, 20}});
        CHECK(ApplyIconPositions(d.os, d.ui, *records) == 0);
        CHECK(spots() == saved);

        d.os.SetDesktopItemPositions({{0, 600, 20}, {1, 650, 20}});
        d.os.betweenReadAndPlace = [&] { std::filesystem::remove(d.os.HostPath(pdf)); };
        CHECK(ApplyIconPositions(d.os, d.ui, *records) == 1); // the one that left is told, not replaced
        CHECK(spots() == std::map<std::string, Spot>{{docx, saved.at(docx)}});
    }
}
