// What is the advanced dialogs' own: the closet beside a chosen key file, their
// password rules and their reading of the key file. The moves are the quick ones'.
#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "closet/AdvancedCloset.h"
#include "closet/CleanRestore.h"
#include "core/ReportError.h"

using namespace stowly;
using namespace stowly::test;

namespace {

const std::string kKeys = "C:\\Keys\\", kKey = kKeys + "Desk.qvr", kCloset = kKeys + "Desk\\";
const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic;
const std::string kCleaned = "Your Desktop has been cleaned.", kRestored = "Your Icons have been restored.";

// The closet chosen in the main window's save dialog, as OnCleanClicked leaves it.
struct Advanced : ClosetMachine {
    Advanced() {
        Folder(kKeys);
        Choose(kKeys);
        Put(::kDesk + "a.txt", "a");
        Put(::kDesk + "Folder\\b.txt", "b");
        Put(::kPublic + "Shared.lnk", "s");
    }
    void Choose(const std::string& folder) {
        st.ClosetDirectory = folder;
        st.ClosetKeyFile = "Desk.qvr";
    }
    DialogEnd Clean(const std::string& password) { return RunAdvancedClean(ctx, LoadCleanDialog(ctx), password); }
    // The dialog after a later start of the program and the key file's choice.
    RestoreDialog OpenRestore(const std::string& folder = kKeys) {
        Reset();
        Choose(folder);
        ui = {};
        return LoadRestoreDialog(ctx);
    }
    std::string Password() { return ReadKeyFileHeader(os, kKey).password; }
};

} // namespace

TEST_CASE("An advanced clean keeps the password exactly as typed; one that could not read back is refused") {
    for (auto [password, refused] : {std::pair{"Secret", false}, {"  lead and trail ", false}, {"a,b", false},
                                     {"", false}, {"tab\there", false}, {"\"quoted\"", true}, {"in\"side", true},
                                     {"two\r\nlines", true}, {"lf\nonly", true}}) {
        CAPTURE(password);
        Advanced m;
        const Tree desk = m.Contents(kDesk);
        CHECK(m.Clean(password) == (refused ? DialogEnd::StayOpen : DialogEnd::Close));
        CHECK((m.ui.MessageTexts() == Texts{refused ? PasswordProblem(password) : kCleaned} && m.ui.progressShown == 0));
        if (refused) CHECK((!m.Exists(kKey) && m.Contents(kDesk) == desk));
        else CHECK((m.Password() == password && m.Contents(kCloset) == desk && m.Contents(kDesk).empty()));
    }
}

TEST_CASE("An advanced clean counts what it could not move, and makes none over a closet that still holds items") {
    Advanced m;
    m.os.faults.locked = {kDesk + "a.txt"}; // counted, and left where it is
    REQUIRE(m.Clean("pw") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{kCleaned + " 1 item could not be moved."});
    const std::string key = m.Get(kKey);
    m.Put(kDesk + "new.txt", "new");
    m.ui = {};
    CHECK((m.Clean("") == DialogEnd::Close && m.ui.MessageTexts() == Texts{kClosetNotEmpty}));
    CHECK((m.Get(kKey) == key && m.Contents(kDesk) == Tree{{"a.txt", "a"}, {"new.txt", "new"}}));
}

TEST_CASE("The restore dialog shows the key file; a changed password is offered for saving, trimmed and upper-cased") {
    const std::string question = "Your password changed.  Would you like to save the new password?";
    struct Row { const char* typed; std::optional<Answer> answer; std::string stored; }; // nullopt: no question
    for (const Row& r : {Row{"secret", std::nullopt, "Secret"}, Row{"  SECRET ", std::nullopt, "Secret"},
                         Row{" new one ", Answer::Yes, "NEW ONE"}, Row{"new one", Answer::No, "Secret"},
                         Row{"", Answer::Yes, ""}}) {
        CAPTURE(r.typed);
        Advanced m;
        const Tree desk = m.Contents(kDesk);
        const Places places = m.IconPlaces(true);
        REQUIRE(m.Clean("Secret") == DialogEnd::Close);
        m.os.SetDesktopItemPosition(0, 700, 500); // the Recycle Bin goes back to its recorded place
        const RestoreDialog dialog = m.OpenRestore();
        REQUIRE(dialog.loaded);
        CHECK((dialog.fields.password == "Secret" && m.st.ClosetPassword == "Secret" && dialog.fields.closetDirectory == kKeys));
        CHECK(dialog.fields.icons.find(" 1\ta.txt\r\n\tXPos: 563;    YPos: 54\r\n\r\n") != std::string::npos);
        if (r.answer) m.ui.Push(*r.answer);
        CHECK((RunAdvancedRestore(m.ctx, dialog, r.typed) == DialogEnd::Close &&
               m.ui.MessageTexts() == (r.answer ? Texts{question, kRestored} : Texts{kRestored})));
        CHECK((m.Password() == r.stored && m.IconPlaces() == places));
        CHECK((m.Contents(kDesk) == desk && m.Contents(kPublic) == Tree{{"Shared.lnk", "s"}}));
    }
}

TEST_CASE("An advanced restore: the key file beside its closet, damaged or not, and what the dialog then says") {
    enum Edit { CutHeader, NoIcons, DamagedIcons, GoneAfterLoad, NoDesktop, Locked, Moved, AloneYes, AloneNo };
    const std::string asked = "The closet is not beside this key file.  Restore the items from \"C:\\Keys\\Desk\"?";
    const std::string told = "Some icon positions could not be read from the key file.", header = "C:\\Keys\\\r\n\r\n\r\n1024x768x32\r\n\r\n";
    struct Row { Edit edit; bool loaded; DialogEnd end; Texts messages; };
    const Row rows[] = {
        {CutHeader, false, DialogEnd::StayOpen, {ErrorReportText(62, "RestoreDesktopRemove")}},
        {NoIcons, true, DialogEnd::Close, {kRestored}}, // the desktop did not answer the clean
        {DamagedIcons, true, DialogEnd::StayOpen, {told}}, // no success: what went wrong is told alone
        {GoneAfterLoad, true, DialogEnd::StayOpen, {told}},
        {NoDesktop, true, DialogEnd::StayOpen, {"The desktop's icons could not be reached.  No icon was moved."}},
        {Locked, true, DialogEnd::Close, {kRestored + " 1 item could not be moved."}},
        {Moved, true, DialogEnd::Close, {kRestored + " The key file named another closet folder; the one beside it was used."}},
        {AloneYes, true, DialogEnd::Close, {asked, kRestored}}, // the key file moved without its closet
        {AloneNo, true, DialogEnd::Close, {asked, "Nothing was moved.  Your files are in \"C:\\Keys\\Desk\"."}},
    };
    for (const Row& r : rows) {
        CAPTURE(r.edit);
        Advanced m;
        const Tree desk = m.Contents(kDesk), shared = m.Contents(kPublic);
        REQUIRE(m.Clean("") == DialogEnd::Close);
        const Tree closet = m.Contents(kCloset);
        std::string folder = kKeys;
        if (r.edit == CutHeader) m.Put(kKey, "C:\\Keys\\\r\n\r\n");
        if (r.edit == NoIcons) m.Put(kKey, header);
        if (r.edit == DamagedIcons) m.Put(kKey, header + "\"a.txt\",1x,2\r\n");
        if (r.edit == Moved) {
            std::filesystem::rename(m.os.HostPath("C:\\Keys"), m.os.HostPath("C:\\Moved"));
            m.Folder(kKeys); // an empty folder where the key file says the closet is
        }
        if (r.edit >= Moved) folder = "C:\\Moved\\";
        if (r.edit >= AloneYes) m.Put(folder + "Desk.qvr", m.Get(kKey)), std::filesystem::remove(m.os.HostPath(kKey));

        const RestoreDialog dialog = m.OpenRestore(folder);
        if (r.edit >= AloneYes) m.ui.Push(r.edit == AloneYes ? Answer::Yes : Answer::No);
        CHECK((dialog.loaded == r.loaded && dialog.fields.closetDirectory == folder));
        if (r.edit == GoneAfterLoad) std::filesystem::remove(m.os.HostPath(kKey)); // before Restore reads positions
        m.os.desktopRunning = r.edit != NoDesktop;
        if (r.edit == Locked) m.os.faults.locked = {kCloset + "a.txt"};
        CHECK((RunAdvancedRestore(m.ctx, dialog, "") == r.end && m.ui.MessageTexts() == r.messages));
        const bool nothingMoved = r.edit == CutHeader || r.edit == AloneNo;
        const Tree left = nothingMoved ? closet : r.edit == Locked ? Tree{{"a.txt", "a"}} : Tree{};
        CHECK(m.Contents(r.edit >= AloneYes ? kCloset : folder + "Desk\\") == left);
        if (!nothingMoved) CHECK((Union(m.Contents(kDesk), left) == desk && m.Contents(kPublic) == shared));
    }
}

TEST_CASE("A closet named . or .., or ending in a dot or blank, or on a desktop or holding one, moves nothing") {
    const std::string name = " cannot be the name of a closet folder.  Please choose another key file name.",
                      place = "\".  Please choose a folder below a drive that is not on the desktop.",
                      in = "A closet cannot be kept in \"";
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {kKeys, "..qvr", "\".\"" + name}, {kKeys, "...qvr", "\"..\"" + name}, {kKeys, "Desk..qvr", "\"Desk.\"" + name},
        {kKeys, "Desk .qvr", "\"Desk \"" + name}, {kDesk, "Adv.qvr", in + kDesk + "Adv" + place},
        {"C:\\Users\\Sim\\", "Desktop.qvr", in + "C:\\Users\\Sim\\Desktop" + place},
        {"C:\\Users\\", "Sim.qvr", in + "C:\\Users\\Sim" + place},
        {kDesk + "Keys\\", "Adv.qvr", in + kDesk + "Keys\\Adv" + place},
        {"C:\\", "Adv.qvr", ""}, {"C:\\Users\\Sim\\", "Adv.qvr", ""}, // at a drive's root; beside the desktop folder
    };
    for (const auto& [folder, keyFile, problem] : rows) {
        CAPTURE(folder + keyFile);
        Advanced m;
        m.st.ClosetDirectory = folder;
        m.st.ClosetKeyFile = keyFile;
        const Tree desk = m.Contents(kDesk), keys = m.Contents(kKeys);
        CHECK(m.Clean("") == (problem.empty() ? DialogEnd::Close : DialogEnd::StayOpen));
        if (problem.empty()) continue;
        CHECK((m.ui.MessageTexts() == Texts{problem} && m.Contents(kDesk) == desk && m.Contents(kKeys) == keys));
        m.Put(folder + keyFile, "\"C:\\Keys\\\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"); // one put there by hand
        const Tree before = m.Contents("C:\\");
        m.ui = {};
        RestoreDesktop(m.ctx);
        CHECK(RunAdvancedRestore(m.ctx, LoadRestoreDialog(m.ctx), "") == DialogEnd::StayOpen);
        CHECK((m.ui.MessageTexts() == Texts{problem, problem} && m.Contents("C:\\") == before));
    }
}
