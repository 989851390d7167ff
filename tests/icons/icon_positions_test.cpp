// The icon positions dialog's Save, Load, Browse and Done, and the favourites, on
// the simulated desktop.
#include <doctest/doctest.h>

#include "core/Error.h"
#include "core/ReportError.h"
#include "icons/IconPositions.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"

using namespace stowly;
using Texts = std::vector<std::string>;

namespace {

constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
constexpr const char* kLayout = "C:\\Layouts\\Work.dpf";
constexpr const char* kRestored = "Your Icons have been restored.";

struct Desk : test::SimMachine {
    Desk() {
        st.ProgramFolder = kProgram;
        st.ScreenSizeText = "1024x768x32";
        for (int i = 0; i < 4; ++i) st.settings.FavoriteLocation[i] = st.settings.FavoritePath[i] = "Blank";
        REQUIRE(os.WriteFile(os.userDesktop + "\\notes.txt", "n") == 0);
        for (const char* folder : {"C:\\PROGRAM FILES", kProgram, "C:\\Layouts"}) os.CreateFolder(folder);
        REQUIRE(os.WriteFile(std::string(kProgram) + "stowly.ini", "[PREFS]\r\n") == 0);
        Place(10, 20);
    }
    // Puts the two icons (Recycle Bin, notes.txt) at (x, y) and (x + 100, y).
    void Place(int16_t x, int16_t y) {
        REQUIRE(os.Icons().size() == 2);
        os.SetDesktopItemPosition(0, x, y);
        os.SetDesktopItemPosition(1, static_cast<int16_t>(x + 100), y);
    }
};

const std::string kTwoIcons = "\r\n\r\n\r\n1024x768x32\r\n\r\nRecycle Bin,10,20\r\nnotes.txt,110,20\r\n";
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
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        Desk d;
        if (r.exists) REQUIRE(d.os.WriteFile(kLayout, "old") == 0);
        d.os.desktopRunning = r.desktop;
        d.os.faults.diskFull = r.diskFull;
        d.ui.PushText(kLayout);
        for (Answer a : r.answers) d.ui.Push(a);
        SavePositions(d.ctx);
        CHECK((d.ui.shown.at(0).kind == "save" && d.ui.shown[0].dialog.initialFolder == kProgram));
        CHECK(((d.Exists(kLayout) ? d.Get(kLayout) : "<missing>") == r.file && d.ui.MessageTexts() == r.messages));
    }
}

TEST_CASE("Load applies a position file; success is told only when it was applied") {
    struct Row { const char* what; std::string chosen, content; bool desktop; Texts messages; bool moved; }; // chosen "": Cancel
    const Row rows[] = {
        {"applied", "  C:\\Layouts\\Work.dpf ", kTwoIcons, true, {kRestored}, true},
        {"cancelled", "", kTwoIcons, true, {}, false},
        {"no icon lines", kLayout, "\r\n\r\n\r\nS\r\n\r\n", true, {ErrorReportText(62, "RestoreLocations")}, false},
        {"missing file", "C:\\Layouts\\Gone.dpf", kTwoIcons, true, {ErrorReportText(53, "RestoreLocations")}, false},
        {"a cut-off line", kLayout, "\r\n\r\n\r\nS\r\n\r\nnotes.txt,1,1\r\nRecycle Bin\r\n", true, {ErrorReportText(62, "RestoreLocations")}, false},
        {"an X past 16 bits", kLayout, "\r\n\r\n\r\nS\r\n\r\nnotes.txt,1,1\r\nRecycle Bin,40000,1\r\n", true, {ErrorReportText(6, "RestoreLocations")}, false},
        {"no desktop", kLayout, kTwoIcons, false, {"The desktop's icons could not be reached.  No icon was moved."}, false},
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        Desk d;
        REQUIRE(d.os.WriteFile(kLayout, r.content) == 0);
        d.Place(500, 400);
        const auto scattered = d.IconPlaces();
        d.os.desktopRunning = r.desktop;
        r.chosen.empty() ? d.ui.PushCancel() : d.ui.PushText(r.chosen);
        LoadPositions(d.ctx);
        CHECK(d.ui.MessageTexts() == r.messages);
        d.os.desktopRunning = true;
        CHECK((d.IconPlaces() == (r.moved ? kTwoPlaces : scattered) && !d.ui.busy));
    }
}

TEST_CASE("Browse splits the chosen file into name and folder, or leaves the slot whole") {
    struct Row { std::optional<std::string> chosen; std::optional<FavoriteSlot> slot; }; // chosen nullopt: Cancel
    const Row rows[] = {
        {"C:\\Layouts\\Work.dpf", FavoriteSlot{"Work", "C:\\Layouts\\"}},
        {"  C:\\Notes\\notes.txt  ", FavoriteSlot{"notes", "C:\\Notes\\"}}, // any extension goes
        {"Home.dpf", FavoriteSlot{"Home", ""}},
        {"C:\\Dir.x\\B\xC3\xBC" "ro.dpf", FavoriteSlot{"B\xC3\xBCro", "C:\\Dir.x\\"}}, // counted in characters
        {"C:\\Layouts\\.dpf", std::nullopt},
        {"C:\\Layouts\\a.d", std::nullopt},
        {"C:\\Layouts\\", std::nullopt},
        {"   ", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const Row& r : rows) {
        CAPTURE(r.chosen.value_or("<cancel>"));
        Desk d;
        r.chosen ? d.ui.PushText(*r.chosen) : d.ui.PushCancel();
        CHECK(BrowseFavorite(d.ctx) == r.slot);
    }
}

TEST_CASE("Done stores the slots in the record and the settings file; the favourite applies its file") {
    Desk d;
    FavoriteSlots slots = FavoritesOf(d.st.settings);
    CHECK(slots[2] == FavoriteSlot{"Blank", "Blank"});
    slots[2] = {"Work", "C:\\Layouts\\"};
    slots[3] = {"", ""};
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
    d.ui.shown.clear(); // a damaged favourite: the report alone
    REQUIRE(d.os.WriteFile(kLayout, "\r\n\r\n\r\nS\r\n\r\nnotes.txt,x,1\r\n") == 0);
    LoadFav(d.ctx, 2);
    CHECK(d.ui.MessageTexts() == Texts{ErrorReportText(13, "RestoreLocations")});
}
