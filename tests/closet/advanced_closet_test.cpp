// The advanced clean and restore dialogs' logic on the simulated desktop.
#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "app/MainCommands.h"
#include "closet/AdvancedCloset.h"
#include "closet/CleanRestore.h"
#include "core/ReportError.h"

using namespace stowly;
using test::ClosetMachine;
using test::Tree;
using Texts = std::vector<std::string>;

namespace {

const std::string kKeys = "C:\\Keys\\", kKey = kKeys + "Desk.qvr", kCloset = kKeys + "Desk\\";
const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic,
                  kAllUsers = ClosetMachine::kAllUsers;
constexpr const char* kCleaned = "Your Desktop has been cleaned.";
constexpr const char* kRestored = "Your Icons have been restored.";
constexpr const char* kQuestion = "Your password changed.  Would you like to save the new password?";

// The closet chosen in the main window's save dialog, as OnCleanClicked leaves it.
struct Advanced : ClosetMachine {
    Advanced() {
        Folder(kKeys);
        st.ClosetDirectory = kKeys;
        st.ClosetKeyFile = "Desk.qvr";
        Put(::kDesk + "a.txt", "a");
        Put(::kDesk + "Folder\\b.txt", "b");
        Put(::kPublic + "Shared.lnk", "s");
    }
    // An advanced clean with `password`, as the dialog runs it.
    DialogEnd Clean(const std::string& password) {
        const CleanDialog dialog = LoadCleanDialog(ctx);
        return RunAdvancedClean(ctx, dialog, password);
    }
    // The main window's state after a later start and the key file's choice.
    RestoreDialog OpenRestore() {
        Reset();
        st.ClosetDirectory = kKeys;
        st.ClosetKeyFile = "Desk.qvr";
        ui = {};
        return LoadRestoreDialog(ctx);
    }
    std::string Password() { return ReadKeyFileHeader(os, kKey).password; }
};

} // namespace

TEST_CASE("An advanced clean keeps the password exactly as typed; one that could not read back is refused") {
    struct Row {
        std::string password;
        bool refused;
    };
    const Row rows[] = {{"Secret", false},     {"  lead and trail ", false}, {"a,b", false},
                        {"", false},           {"tab\there", false},         {"\"quoted\"", true},
                        {"in\"side", true},    {"two\r\nlines", true},       {"lf\nonly", true}};
    for (const Row& r : rows) {
        CAPTURE(r.password);
        Advanced m;
        const Tree desk = m.Contents(kDesk);
        CHECK(m.Clean(r.password) == (r.refused ? DialogEnd::StayOpen : DialogEnd::Close));
        if (r.refused) {
            CHECK(m.ui.MessageTexts() == Texts{PasswordProblem(r.password)});
            CHECK((!m.Exists(kKey) && m.Contents(kDesk) == desk));
            continue;
        }
        CHECK(m.ui.MessageTexts() == Texts{kCleaned});
        CHECK(m.Password() == r.password);
        CHECK((m.Contents(kDesk).empty() && m.Contents(kPublic).empty()));
        CHECK((m.Contents(kCloset) == desk && m.Contents(kAllUsers) == Tree{{"Shared.lnk", "s"}}));
        CHECK(m.ui.progressShown == 0);
    }
}

TEST_CASE("No advanced clean over a closet that still holds items, neither from the main window nor the dialog") {
    Advanced m;
    REQUIRE(m.Clean("pw") == DialogEnd::Close);
    const std::string key = m.Get(kKey);
    m.Put(kDesk + "new.txt", "new");
    m.ui = {};
    CHECK(m.Clean("") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{kClosetNotEmpty});
    CHECK((m.Get(kKey) == key && m.Contents(kDesk) == Tree{{"new.txt", "new"}}));

    m.st.settings.AdvancedMode = 1;
    m.ui = {};
    m.ui.PushText(kKey);
    m.ui.Push(Answer::Yes); // "File Exists..."
    CHECK(OnCleanClicked(m.ctx) == CommandOutcome::Done);
    CHECK(m.ui.MessageTexts() == Texts{"File Exists.  Would you like to over write it?", kClosetNotEmpty});
    CHECK(m.Get(kKey) == key);
}

TEST_CASE("Advanced moves go one at a time: locked items are counted and stay, taken names get a number") {
    Advanced m;
    m.os.faults.locked = {kDesk + "a.txt"};
    CHECK(m.Clean("") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{"Your Desktop has been cleaned. 1 item could not be moved."});
    CHECK(m.Contents(kDesk) == Tree{{"a.txt", "a"}});
    m.os.faults.locked.clear();
    m.Put(kDesk + "Folder\\b.txt", "new b");
    const RestoreDialog dialog = m.OpenRestore();
    CHECK(RunAdvancedRestore(m.ctx, dialog, "") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{kRestored});
    CHECK(m.Contents(kDesk) == Tree{{"a.txt", "a"}, {"Folder", "/"}, {"Folder/b.txt", "new b"},
                                    {"Folder (2)", "/"}, {"Folder (2)/b.txt", "b"}});
    CHECK(m.Contents(kCloset).empty());
}

TEST_CASE("The restore dialog shows the key file; a changed password is offered for saving, trimmed and upper-cased") {
    struct Row {
        const char* typed;
        std::optional<Answer> answer; // nullopt: no question
        std::string stored;
    };
    const Row rows[] = {{"secret", std::nullopt, "Secret"},  {"  SECRET ", std::nullopt, "Secret"},
                        {" new one ", Answer::Yes, "NEW ONE"}, {"new one", Answer::No, "Secret"},
                        {"", Answer::Yes, ""}};
    for (const Row& r : rows) {
        CAPTURE(std::string(r.typed));
        Advanced m;
        const Tree before = m.Contents(kDesk);
        REQUIRE(m.os.Icons().size() == 4);
        m.os.SetDesktopItemPosition(1, 333, 222);
        const std::string moved = m.os.Icons()[1].name;
        REQUIRE(m.Clean("Secret") == DialogEnd::Close);
        m.os.SetDesktopItemPosition(0, 700, 500);
        const RestoreDialog dialog = m.OpenRestore();
        REQUIRE(dialog.loaded);
        CHECK(dialog.fields.password == "Secret");
        CHECK(m.st.ClosetPassword == "Secret");
        CHECK(dialog.fields.closetDirectory == kKeys);
        CHECK(dialog.fields.icons.find(" 1\t" + moved + "\r\n\tXPos: 333;    YPos: 222\r\n\r\n") != std::string::npos);
        if (r.answer) m.ui.Push(*r.answer);
        CHECK(RunAdvancedRestore(m.ctx, dialog, r.typed) == DialogEnd::Close);
        CHECK(m.ui.MessageTexts() == (r.answer ? Texts{kQuestion, kRestored} : Texts{kRestored}));
        CHECK(m.Password() == r.stored);
        CHECK(m.Contents(kDesk) == before);
        CHECK(m.Contents(kPublic) == Tree{{"Shared.lnk", "s"}});
        for (const auto& icon : m.os.Icons())
            if (icon.name == moved) CHECK((icon.x == 333 && icon.y == 222));
        CHECK(m.os.Icons()[0].x != 700); // the Recycle Bin back in its recorded place
    }
}

TEST_CASE("A restore whose key file cannot be read moves nothing; one whose positions fail says no success") {
    Advanced m;
    REQUIRE(m.Clean("") == DialogEnd::Close);
    const Tree closet = m.Contents(kCloset);
    m.Put(kKey, "C:\\Keys\\\r\n\r\n"); // cut off in the header
    RestoreDialog dialog = m.OpenRestore();
    CHECK_FALSE(dialog.loaded);
    CHECK(m.ui.MessageTexts() == Texts{ErrorReportText(62, "RestoreDesktopRemove")});
    CHECK(RunAdvancedRestore(m.ctx, dialog, "") == DialogEnd::StayOpen);
    CHECK(m.Contents(kCloset) == closet);

    m.Put(kKey, "C:\\Keys\\\r\n\r\n\r\n1024x768x32\r\n\r\n\"a.txt\",1,2\r\n");
    dialog = m.OpenRestore();
    REQUIRE(dialog.loaded);
    std::filesystem::remove(m.os.HostPath(kKey)); // gone before Restore reads its positions
    CHECK(RunAdvancedRestore(m.ctx, dialog, "") == DialogEnd::StayOpen);
    CHECK(m.ui.MessageTexts() == Texts{"Some icon positions could not be read from the key file."});
    CHECK(m.Contents(kCloset).empty());

    // A clean during which the desktop did not answer wrote no icon lines: its files come back.
    REQUIRE(m.Clean("") == DialogEnd::Close);
    m.Put(kKey, "C:\\Keys\\\r\n\r\n\r\n1024x768x32\r\n\r\n");
    dialog = m.OpenRestore();
    REQUIRE(dialog.loaded);
    CHECK(RunAdvancedRestore(m.ctx, dialog, "") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{"Your Icons have been restored."});
    CHECK((m.Contents(kCloset).empty() && !m.Contents(kDesk).empty()));
}

TEST_CASE("A key file moved with its closet restores from where it is now, and says the file named another folder") {
    Advanced m;
    const Tree desk = m.Contents(kDesk), shared = m.Contents(kPublic);
    REQUIRE(m.Clean("") == DialogEnd::Close);
    std::filesystem::rename(m.os.HostPath("C:\\Keys"), m.os.HostPath("C:\\Moved"));
    m.Folder("C:\\Keys\\"); // an empty folder where the key file says the closet is
    m.Reset();
    m.ui = {};
    m.st.ClosetDirectory = "C:\\Moved\\";
    m.st.ClosetKeyFile = "Desk.qvr";
    const RestoreDialog dialog = LoadRestoreDialog(m.ctx);
    REQUIRE(dialog.loaded);
    CHECK(dialog.fields.closetDirectory == "C:\\Moved\\");
    CHECK(RunAdvancedRestore(m.ctx, dialog, "") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() ==
          Texts{std::string(kRestored) + " The key file named another closet folder; the one beside it was used."});
    CHECK(m.Contents(kDesk) == desk);
    CHECK(m.Contents(kPublic) == shared);
    CHECK(m.Contents("C:\\Moved\\Desk\\").empty());
}
