// Start-up and the main window's command decisions on the simulated desktop.
#include <doctest/doctest.h>

#include "app/MainCommands.h"
#include "app/Startup.h"
#include "closet/ClosetMachine.h"
#include "closet/KeyFile.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/Text.h"

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

// A machine whose update check finds no server.
struct Starting : test::SimMachine {
    Starting() { os.http = [](const std::string&, unsigned, unsigned) { return HttpResult{}; }; }
};

struct FolderFails : SimPlatform {
    using SimPlatform::SimPlatform;
    std::string SpecialFolder(int) override { throw RuntimeError(7); }
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
        CHECK(m.Get(kKeys + "Mine.qvr") == before);
        CHECK(m.ui.MessageTexts() == (r.answer ? Texts{"File Exists.  Would you like to over write it?"} : Texts{}));
        if (r.keyFile) CHECK(m.st.ClosetKeyFile == r.keyFile);
        if (r.chosen) CHECK(m.st.ClosetDirectory == kKeys);
    }
}

TEST_CASE("Advanced Restore: a position file applied; a key file's closet beside it, its screen, then its password") {
    // How a position file that cannot be applied is told is the Icon Positions dialog's (icon_positions_test).
    const std::string dpf = "\r\n\r\n\r\n\r\n\r\nnotes.txt,150,250\r\n", applied = "Your icon positions have been restored.";
    const auto report = [](int error, const char* where) { return Texts{ErrorReportText(error, where)}; };
    const CommandOutcome done = CommandOutcome::Done, show = CommandOutcome::ShowAdvancedRestore;
    struct Row {
        std::string chosen, content; // content "": a key file with `password`, unless that is nullptr
        const char* password;
        const char* typed; // nullptr: not asked; "<cancel>": Cancel
        bool locked;
        CommandOutcome outcome;
        Texts messages;
    };
    const Row rows[] = {
        {"   ", "", nullptr, nullptr, false, done, {}},
        {"  " + kKeys + "layout.Dpf  ", dpf, nullptr, nullptr, false, done, {applied}},
        {kKeys + "Gone.qvr", "", nullptr, nullptr, false, done, {}}, // gone after it was chosen
        {kKeys + "Desk.qvr", "C:\\Keys\\\r\n\r\n", nullptr, nullptr, false, done, report(62, "RestoreDesktopRemove")}, // cut off
        {kKeys + "Desk.qvr", "", "Secret", nullptr, true, done, report(75, "RestoreDesktopRemove")},
        {kKeys + "Desk.qvr", "", "", nullptr, false, show, {}},
        {kKeys + "Desk.qvr", "", "Secret", "sECRET", false, show, {}},
        {kKeys + "Desk.qvr", "", "Secret", "Secre", false, done, {"Invalide Password!"}},
        {kKeys + "Desk.qvr", "", "Secret", "<cancel>", false, done, {"Invalide Password!"}}, // as typing nothing
    };
    for (const Row& r : rows) {
        INFO(r.chosen << ", typed " << (r.typed ? r.typed : "-"));
        Advanced m;
        m.Put(kNotes, "n");
        if (!r.content.empty()) m.Put(Trim(r.chosen), r.content);
        if (r.password) m.Key("Desk.qvr", r.password);
        if (r.locked) m.os.faults.locked.insert(r.chosen);
        m.ui.PushText(r.chosen);
        if (r.typed) std::string(r.typed) == "<cancel>" ? m.ui.PushCancel() : m.ui.PushText(r.typed);
        CHECK(OnRestoreClicked(m.ctx) == r.outcome);
        CHECK((m.ui.MessageTexts() == r.messages && Dialogs(m.ui) == (r.typed ? 2u : 1u)));
        if (r.typed) CHECK(m.ui.shown.at(1).text == "Please enter the password:");
        if (r.chosen.ends_with(".qvr")) // beside the key file, not in the "D:\\CLOSETS\\" its header names
            CHECK((m.st.ClosetDirectory == kKeys && m.st.ClosetKeyFile == r.chosen.substr(kKeys.size())));
        else CHECK(m.st.ClosetKeyFile == "Stale.qvr");
        CHECK(m.os.positionCalls.size() == (r.messages == Texts{applied} ? 1u : 0u));
        if (r.messages == Texts{applied}) CHECK((m.os.positionCalls[0].x == 150 && m.os.positionCalls[0].y == 250));
    }
}

TEST_CASE("Twips turn into pixels at the window's DPI, rounded to the nearest") {
    const int rows[][3] = {{11895, 96, 793}, {5565, 144, 557}, {7, 96, 0}, {8, 96, 1}, {-15, 96, -1}};
    for (const auto& r : rows) CHECK(TwipsToPixels(r[0], r[1]) == r[2]);
}

TEST_CASE("Windows 95, 98 and ME are refused by name before anything is read, and any run from a desktop folder") {
    const std::string desk = "C:\\Users\\Sim\\Desktop", program = "C:\\Program Files\\Stowly\\stowly.exe",
                      fromDesk = "Sorry, but you cannot run this program from the desktop.  Please reinstall.";
    const OsVersionInfo ten{true, 2, 10, 0};
    struct Row { OsVersionInfo v; std::string exe, userDesktop, refused; };
    const Row rows[] = {
        {{true, 1, 4, 0}, program, desk, "Sorry, but Windows 95 is not supported."},
        {{true, 1, 4, 10}, program, desk, "Sorry, but Windows 98 is not supported."},
        {{true, 1, 4, 90}, program, desk, "Sorry, but Windows ME is not supported."},
        {{true, 1, 4, 3}, program, desk, ""}, {{false, 2, 10, 0}, program, desk, ""}, {ten, program, desk, ""},
        {ten, desk + "\\Tools\\stowly.exe", desk, fromDesk},
        {ten, "c:\\users\\sim\\desktop\\stowly.exe", desk, fromDesk}, // the folder itself, any case
        {ten, "C:\\Users\\Public\\Desktop\\Shared\\stowly.exe", desk, fromDesk},
        {ten, "D:\\Moved\\Tools\\stowly.exe", "D:\\Moved", fromDesk}, // a relocated desktop
        {ten, desk + "2\\stowly.exe", desk, ""},
        {ten, "C:\\Users\\Ann\\Desktop\\stowly.exe", desk, ""}, // not this user's
        {ten, desk + "\\stowly.exe", "D:\\Moved", ""}, // the desktop moved away
    };
    for (const Row& r : rows) {
        CAPTURE(r.exe);
        Starting m;
        m.os.version = r.v;
        m.os.executablePath = r.exe;
        m.os.userDesktop = r.userDesktop;
        CHECK(StartUp(m.ctx) == r.refused.empty());
        CHECK(m.ui.MessageTexts() == (r.refused.empty() ? Texts{} : Texts{r.refused}));
        if (r.refused == fromDesk) CHECK(m.ui.shown[0].icon == MsgIcon::Critical);
        CHECK(m.st.UserDesktopFolder.empty() == r.refused.ends_with("supported."));
    }
}

TEST_CASE("Start-up: ProgramFolder upper case with its backslash; a second copy ends silently") {
    CHECK(ProgramFolderOf("C:\\stowly.exe") == "C:\\");
    Starting m;
    m.os.executablePath = "c:\\Program Files\\Long folder name\\stowly.exe";
    REQUIRE(StartUp(m.ctx));
    CHECK(m.st.ProgramFolder == "C:\\PROGRAM FILES\\LONG FOLDER NAME\\");
    CHECK(m.ui.shown.empty());
    Starting second;
    second.os.anotherCopyRunning = true;
    CHECK((!StartUp(second.ctx) && second.ui.shown.empty() && second.st.OSName.empty()));
    // A failure inside Main is reported as Main, and the busy cursor goes.
    FolderFails os{m.dir.path()};
    Context ctx{os, m.ui, m.st};
    m.ui = {};
    m.ui.busy = true;
    CHECK_FALSE(StartUp(ctx));
    CHECK(m.ui.MessageTexts() == Texts{"Please contact Orvenko, Inc..\rError Number:1057 from module Main"});
    CHECK((m.ui.shown[0].title == "Error" && !m.ui.busy));
}
