// The main window's command decisions on the simulated desktop.
#include <doctest/doctest.h>

#include "app/MainCommands.h"
#include "closet/ClosetMachine.h"
#include "closet/KeyFile.h"
#include "core/ReportError.h"

using namespace stowly;
using test::ClosetMachine;
using Texts = std::vector<std::string>;

namespace {

const std::string kKeys = "C:\\Keys\\";
const std::string kNotes = std::string(ClosetMachine::kDesk) + "notes.txt";

// Advanced mode, the closet pointing where an earlier command left it.
struct Advanced : ClosetMachine {
    Advanced() {
        st.settings.AdvancedMode = 1;
        st.ClosetDirectory = kKeys;
        st.ClosetKeyFile = "Stale.qvr";
        Folder(kKeys);
    }
    void Key(const std::string& name, const std::string& password) {
        WriteKeyFile(os, kKeys + name, {"D:\\CLOSETS\\", "C:\\Walls\\sea.bmp", "2", " 800 * 600   16 bit", password},
                     {{"notes.txt", 10, 20}});
    }
};

// File dialogs and input boxes shown.
size_t Dialogs(const ScriptedUi& ui) { return ui.shown.size() - ui.MessageTexts().size(); }

} // namespace

TEST_CASE("Quick mode cleans into and restores from QuickClean.qvr beside the program, without a dialog") {
    ClosetMachine m;
    m.Put(kNotes, "n");
    m.st.ClosetKeyFile = "Stale.qvr";
    CHECK(OnCleanClicked(m.ctx) == CommandOutcome::Done);
    CHECK((m.st.ClosetKeyFile == "QuickClean.qvr" && m.Exists(ClosetMachine::kKeyFile) && !m.Exists(kNotes)));
    m.st.ClosetDirectory = kKeys;
    CHECK(OnRestoreClicked(m.ctx) == CommandOutcome::Done);
    CHECK((m.st.ClosetDirectory == ClosetMachine::kProgram && m.Get(kNotes) == "n"));
    CHECK((m.ui.progressShown == 2 && Dialogs(m.ui) == 0));
}

TEST_CASE("Advanced Clean: the save dialog beside the program, and the overwrite question") {
    struct Row { std::optional<std::string> chosen; std::optional<Answer> answer; CommandOutcome outcome; const char* keyFile; }; // keyFile nullptr: not checked
    for (const Row& r : {Row{std::nullopt, std::nullopt, CommandOutcome::Done, "Stale.qvr"}, // Cancel
                         Row{kKeys + "New.qvr", std::nullopt, CommandOutcome::ShowAdvancedClean, "New.qvr"},
                         Row{kKeys + "Mine.qvr", Answer::No, CommandOutcome::Done, nullptr},
                         Row{kKeys + "Mine.qvr", Answer::Yes, CommandOutcome::ShowAdvancedClean, "Mine.qvr"}}) {
        CAPTURE(r.chosen.value_or("(cancelled)"));
        Advanced m;
        m.Key("Mine.qvr", "");
        const std::string before = m.Get(kKeys + "Mine.qvr");
        r.chosen ? m.ui.PushText(*r.chosen) : m.ui.PushCancel();
        if (r.answer) m.ui.Push(*r.answer);
        CHECK(OnCleanClicked(m.ctx) == r.outcome);
        CHECK(m.ui.shown.at(0).dialog.initialFolder == ClosetMachine::kProgram);
        CHECK(m.ui.MessageTexts() == (r.answer ? Texts{"File Exists.  Would you like to over write it?"} : Texts{}));
        CHECK(m.Get(kKeys + "Mine.qvr") == before);
        if (r.keyFile) CHECK(m.st.ClosetKeyFile == r.keyFile);
        if (r.chosen) CHECK(m.st.ClosetDirectory == kKeys);
    }
}

TEST_CASE("Advanced Restore: the open dialog; a position file in any case is applied, the closet untouched") {
    Advanced m;
    m.ui.PushText("   ");
    CHECK(OnRestoreClicked(m.ctx) == CommandOutcome::Done);
    CHECK(m.ui.shown.size() == 1);
    m.ui.shown.clear(); // the extension in mixed case
    m.Put(kNotes, "n");
    m.Put(kKeys + "layout.Dpf", "\r\n\r\n\r\n\r\n\r\nnotes.txt,150,250\r\n");
    m.ui.PushText("  " + kKeys + "layout.Dpf  ");
    CHECK(OnRestoreClicked(m.ctx) == CommandOutcome::Done);
    REQUIRE(m.os.positionCalls.size() == 1);
    CHECK((m.os.positionCalls[0].x == 150 && m.os.positionCalls[0].y == 250));
    CHECK(m.ui.MessageTexts() == Texts{"Your icon positions have been restored."});
    CHECK((Dialogs(m.ui) == 1 && m.st.ClosetKeyFile == "Stale.qvr"));
    m.ui.shown.clear(); // a damaged position file: its error report alone, no success
    m.Put(kKeys + "bad.dpf", "\r\n\r\n\r\n\r\n\r\n");
    m.ui.PushText(kKeys + "bad.dpf");
    CHECK(OnRestoreClicked(m.ctx) == CommandOutcome::Done);
    CHECK(m.ui.MessageTexts() == Texts{ErrorReportText(62, "RestoreLocations")});
    m.ui.shown.clear(); // a key file gone after it was chosen ends the command silently
    m.ui.PushText(kKeys + "Gone.qvr");
    CHECK(OnRestoreClicked(m.ctx) == CommandOutcome::Done);
    CHECK(m.ui.shown.size() == 1);
}

TEST_CASE("Advanced Restore of a key file: the closet beside it, its header's screen, then the password is asked") {
    struct Row { const char* password; std::optional<std::string> answer; bool refused; }; // nullopt: cancelled
    const Row rows[] = {{"", std::nullopt, false}, {"Secret", "Secret", false}, {"Secret", "sECRET", false},
                        {"Secret", "Secre", true}, {"Secret", "", true},        {"Secret", std::nullopt, true}};
    for (const Row& r : rows) {
        CAPTURE(r.answer.value_or("(cancelled)"));
        Advanced k;
        k.Key("Desk.qvr", r.password);
        k.ui.PushText(kKeys + "Desk.qvr");
        if (*r.password) r.answer ? k.ui.PushText(*r.answer) : k.ui.PushCancel();
        CHECK(OnRestoreClicked(k.ctx) == (r.refused ? CommandOutcome::Done : CommandOutcome::ShowAdvancedRestore));
        CHECK(k.st.ClosetDirectory == kKeys); // not the "D:\CLOSETS\" the header names
        CHECK((k.st.ClosetKeyFile == "Desk.qvr" && k.st.ScreenSizeText == " 800 * 600   16 bit"));
        CHECK(Dialogs(k.ui) == (*r.password ? 2u : 1u));
        if (*r.password) CHECK(k.ui.shown.at(1).text == "Please enter the password:");
        CHECK(k.ui.MessageTexts() == (r.refused ? Texts{"Invalide Password!"} : Texts{}));
    }
}

TEST_CASE("Exit, the tray icon's mouse messages and twips") {
    Settings settings;
    for (auto [tray, iconShown, action] : {std::tuple{2.0, false, ExitAction::EndProgram}, // only 1 means on
                                           {1.0, false, ExitAction::AddTrayIconAndHide}, {1.0, true, ExitAction::Hide}}) {
        settings.MinSystemTray = tray;
        CHECK(ExitButtonAction(settings, iconShown) == action);
    }
    for (auto [visible, message, action] : {std::tuple{false, 0x203, TrayAction::ShowWindow}, {false, 0x204, TrayAction::PopupMenu},
                                            {false, 0x201, TrayAction::None}, {true, 0x204, TrayAction::None}})
        CHECK(TrayIconAction(visible, message) == action); // only while the window is hidden
    const int rows[][3] = {{11895, 96, 793}, {5565, 144, 557}, {7, 96, 0}, {8, 96, 1}, {-15, 96, -1}};
    for (const auto& r : rows) CHECK(TwipsToPixels(r[0], r[1]) == r[2]);
}
