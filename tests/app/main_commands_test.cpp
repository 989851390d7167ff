// The main window's command decisions on the simulated desktop: quick and advanced
// Clean and Restore, position files, passwords, favourites, Exit and the tray icon.
#include <doctest/doctest.h>

#include "app/MainCommands.h"
#include "closet/ClosetMachine.h"
#include "closet/KeyFile.h"

using namespace stowly;
using test::ClosetMachine;

namespace {

constexpr const char* kOtherDir = "C:\\Keys\\";

// What the advanced commands leave behind when they end early.
void SetStaleCloset(AppState& st) {
    st.ClosetDirectory = kOtherDir;
    st.ClosetKeyFile = "Stale.qvr";
}

void WriteKey(ClosetMachine& m, const std::string& path, const std::string& password) {
    m.Folder(kOtherDir);
    WriteKeyFile(m.os, path, {"D:\\CLOSETS\\", "C:\\Walls\\sea.bmp", "2", " 800 * 600   16 bit", password},
                 {{"notes.txt", 10, 20}});
}

size_t Count(const ScriptedUi& ui, const std::string& kind) {
    size_t n = 0;
    for (const auto& s : ui.shown) n += s.kind == kind;
    return n;
}

} // namespace

TEST_CASE("Quick mode cleans into and restores from QuickClean.qvr beside the program, without a dialog") {
    ClosetMachine m;
    m.Put(std::string(ClosetMachine::kDesk) + "notes.txt", "n");
    SetStaleCloset(m.st);

    CHECK(Command1_Click(m.ctx) == CommandOutcome::Done);
    CHECK(m.st.ClosetDirectory == ClosetMachine::kProgram);
    CHECK(m.st.ClosetKeyFile == "QuickClean.qvr");
    CHECK(m.Exists(ClosetMachine::kKeyFile));
    CHECK(m.Tree(ClosetMachine::kDesk).empty());
    CHECK(m.ui.progressShown == 1);

    SetStaleCloset(m.st);
    CHECK(Command2_Click(m.ctx) == CommandOutcome::Done);
    CHECK(m.st.ClosetKeyFile == "QuickClean.qvr");
    CHECK(m.Get(std::string(ClosetMachine::kDesk) + "notes.txt") == "n");
    CHECK(m.ui.progressShown == 2);
    CHECK(Count(m.ui, "open") + Count(m.ui, "save") == 0);
}

TEST_CASE("Advanced Clean: the save dialog, the overwrite question and the dialog that follows") {
    ClosetMachine m;
    m.st.settings.AdvancedMode = 1;
    m.os.wallpaper = "C:\\Walls\\sea.bmp";
    const std::string existing = std::string(kOtherDir) + "Mine.qvr";
    WriteKey(m, existing, "");

    SUBCASE("the dialog's settings; Cancel ends without touching the closet") {
        SetStaleCloset(m.st);
        m.ui.PushCancel();
        CHECK(Command1_Click(m.ctx) == CommandOutcome::Done);
        REQUIRE(m.ui.shown.size() == 1);
        const FileDialogOptions& d = m.ui.shown[0].dialog;
        CHECK(m.ui.shown[0].kind == "save");
        CHECK(d.fileName == "QuickClean.qvr");
        CHECK(d.initialFolder == ClosetMachine::kProgram);
        CHECK(d.filter == "Stowly Files (*.qvr)|*.qvr");
        CHECK(d.defaultExt == ".qvr");
        CHECK(d.filterIndex == 1);
        CHECK(m.st.ClosetKeyFile == "Stale.qvr");
        CHECK_FALSE(m.Exists(ClosetMachine::kKeyFile));
    }
    SUBCASE("a new key file: split into folder and name, wallpaper noted, no question") {
        m.ui.PushText("C:\\Keys\\New.qvr");
        CHECK(Command1_Click(m.ctx) == CommandOutcome::ShowAdvancedClean);
        CHECK(m.st.ClosetDirectory == kOtherDir);
        CHECK(m.st.ClosetKeyFile == "New.qvr");
        CHECK(m.st.CurrentWallpaper == "C:\\Walls\\sea.bmp");
        CHECK(m.ui.MessageTexts().empty());
    }
    SUBCASE("an existing key file answered No changes nothing on disk") {
        const std::string before = m.Get(existing);
        m.ui.PushText(existing);
        m.ui.Push(Answer::No);
        CHECK(Command1_Click(m.ctx) == CommandOutcome::Done);
        REQUIRE(m.ui.shown.size() == 2);
        CHECK(m.ui.shown[1].text == "File Exists.  Would you like to over write it?");
        CHECK(m.ui.shown[1].buttons == MsgButtons::YesNo);
        CHECK(m.ui.shown[1].icon == MsgIcon::None);
        CHECK(m.ui.shown[1].title == "Stowly");
        CHECK(m.Get(existing) == before);
        CHECK(m.st.CurrentWallpaper.empty());
    }
    SUBCASE("an existing key file answered Yes opens the advanced clean") {
        m.ui.PushText(existing);
        m.ui.Push(Answer::Yes);
        CHECK(Command1_Click(m.ctx) == CommandOutcome::ShowAdvancedClean);
        CHECK(m.st.ClosetKeyFile == "Mine.qvr");
    }
}

TEST_CASE("Advanced Restore: position files, key files and their passwords") {
    ClosetMachine m;
    m.st.settings.AdvancedMode = 1;
    SetStaleCloset(m.st);

    SUBCASE("the open dialog's settings") {
        m.ui.PushCancel();
        CHECK(Command2_Click(m.ctx) == CommandOutcome::Done);
        REQUIRE(m.ui.shown.size() == 1);
        const FileDialogOptions& d = m.ui.shown[0].dialog;
        CHECK(d.fileName.empty());
        CHECK(d.initialFolder == ClosetMachine::kProgram);
        CHECK(d.filter == "Stowly Files (*.qvr)|*.qvr|Desktop Position Files (*.dpf)|*.dpf");
        CHECK(d.defaultExt == ".qvr");
        CHECK(d.filterIndex == 1);
        CHECK(m.st.ClosetKeyFile == "Stale.qvr");
    }
    SUBCASE("a blank answer ends the command") {
        m.ui.PushText("   ");
        CHECK(Command2_Click(m.ctx) == CommandOutcome::Done);
        CHECK(m.ui.shown.size() == 1);
    }
    SUBCASE("a position file in any letter case is applied; the closet is not touched") {
        for (const char* name : {"layout.dpf", "layout.DPF", "layout.Dpf"}) {
            CAPTURE(name);
            m.ui.shown.clear();
            m.os.positionCalls.clear();
            m.Put(std::string(ClosetMachine::kDesk) + "notes.txt", "n");
            const std::string path = std::string(kOtherDir) + name;
            m.Put(path, "\r\n\r\n\r\n\r\n\r\nnotes.txt,150,250\r\n");
            m.ui.PushText("  " + path + "  ");
            CHECK(Command2_Click(m.ctx) == CommandOutcome::Done);
            REQUIRE(m.os.positionCalls.size() == 1);
            CHECK(m.os.positionCalls[0].x == 150);
            CHECK(m.os.positionCalls[0].y == 250);
            CHECK(m.ui.MessageTexts() == std::vector<std::string>{"Your icon positions have been restored."});
            CHECK(m.ui.shown.back().icon == MsgIcon::Information);
            CHECK(Count(m.ui, "input") == 0);
            CHECK(m.st.ClosetDirectory == kOtherDir);
            CHECK(m.st.ClosetKeyFile == "Stale.qvr");
        }
    }
    SUBCASE("a key file deleted after it was chosen ends the command silently") {
        m.Folder(kOtherDir);
        m.ui.PushText("C:\\Keys\\Gone.qvr");
        CHECK(Command2_Click(m.ctx) == CommandOutcome::Done);
        CHECK(m.ui.shown.size() == 1);
        CHECK(m.st.ClosetKeyFile == "Gone.qvr");
    }
}

TEST_CASE("Advanced Restore of a key file: its header is taken over, then the password is asked") {
    struct Row {
        const char* password;
        std::optional<std::string> answer; // nullopt: the input box is cancelled
        CommandOutcome outcome;
        bool refused;
    };
    const Row rows[] = {
        {"", std::nullopt, CommandOutcome::ShowAdvancedRestore, false},
        {"Secret", "Secret", CommandOutcome::ShowAdvancedRestore, false},
        {"Secret", "sECRET", CommandOutcome::ShowAdvancedRestore, false},
        {"Secret", "Secre", CommandOutcome::Done, true},
        {"Secret", "", CommandOutcome::Done, true},
        {"Secret", std::nullopt, CommandOutcome::Done, true},
    };
    for (const Row& r : rows) {
        CAPTURE(r.password);
        CAPTURE(r.answer.value_or("(cancelled)"));
        ClosetMachine k;
        k.st.settings.AdvancedMode = 1;
        const std::string key = std::string(kOtherDir) + "Desk.qvr";
        WriteKey(k, key, r.password);
        k.ui.PushText(key);
        if (*r.password) {
            if (r.answer)
                k.ui.PushText(*r.answer);
            else
                k.ui.PushCancel();
        }
        CHECK(Command2_Click(k.ctx) == r.outcome);
        // The header is taken over whatever the password says.
        CHECK(k.st.ClosetDirectory == "D:\\CLOSETS\\");
        CHECK(k.st.ClosetKeyFile == "Desk.qvr");
        CHECK(k.st.CurrentWallpaper == "C:\\Walls\\sea.bmp");
        CHECK(k.st.CurrentWallpaperStyle == "2");
        CHECK(k.st.ScreenSizeText == " 800 * 600   16 bit");
        CHECK(Count(k.ui, "input") == (*r.password ? 1u : 0u));
        if (*r.password) CHECK(k.ui.shown[1].text == "Please enter the password:");
        if (r.refused) {
            CHECK(k.ui.MessageTexts() == std::vector<std::string>{"Invalide Password!"});
            CHECK(k.ui.shown.back().icon == MsgIcon::Critical);
        } else {
            CHECK(k.ui.MessageTexts().empty());
        }
    }
}

TEST_CASE("Favourite menu items: a free slot shows the disabled item Blank") {
    Settings s;
    s.FavoriteLocation = {"Work", "Blank", "Games layout", "Blank"};
    const auto items = FavoriteMenuItems(s);
    CHECK(items[0].caption == "Work");
    CHECK(items[0].enabled);
    CHECK(items[1].caption == "Blank");
    CHECK_FALSE(items[1].enabled);
    CHECK(items[2].caption == "Games layout");
    CHECK(items[2].enabled);
    CHECK_FALSE(items[3].enabled);
}

TEST_CASE("Exit hides into the notification area only with MinSystemTray on, adding the icon once") {
    AppState st;
    CHECK(ExitButtonAction(st) == ExitAction::EndProgram);
    st.settings.MinSystemTray = 2; // only 1 means on
    CHECK(ExitButtonAction(st) == ExitAction::EndProgram);
    st.settings.MinSystemTray = 1;
    CHECK(ExitButtonAction(st) == ExitAction::AddTrayIconAndHide);
    st.TrayIconShown = true;
    CHECK(ExitButtonAction(st) == ExitAction::Hide);
    st.settings.MinSystemTray = 0; // turned off in the preferences meanwhile
    CHECK(ExitButtonAction(st) == ExitAction::EndProgram);
}

TEST_CASE("Tray icon mouse messages act only while the window is hidden") {
    struct Row {
        unsigned message;
        TrayAction hidden;
    };
    const Row rows[] = {{0x200, TrayAction::None},       {0x201, TrayAction::None}, {0x202, TrayAction::None},
                        {0x203, TrayAction::ShowWindow}, {0x204, TrayAction::PopupMenu},
                        {0x205, TrayAction::None},       {0x206, TrayAction::None}};
    for (const Row& r : rows) {
        CAPTURE(r.message);
        CHECK(TrayIconAction(false, r.message) == r.hidden);
        CHECK(TrayIconAction(true, r.message) == TrayAction::None);
    }
}

TEST_CASE("Twips become whole pixels at the window's DPI") {
    struct Row {
        int twips, dpi, pixels;
    };
    const Row rows[] = {{11895, 96, 793}, {11895, 144, 1190}, {11895, 192, 1586}, {5565, 144, 557},
                        {1695, 144, 170}, {7, 96, 0},         {8, 96, 1},         {-15, 96, -1}};
    for (const Row& r : rows) {
        CAPTURE(r.twips);
        CAPTURE(r.dpi);
        CHECK(TwipsToPixels(r.twips, r.dpi) == r.pixels);
    }
}
