#include <doctest/doctest.h>

#include <filesystem>

#include "ClosetMachine.h"
#include "closet/CleanRestore.h"
#include "closet/Journal.h"

using namespace stowly;
using stowly::test::ClosetMachine;
using stowly::test::Tree;

namespace {

const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic, kCloset = ClosetMachine::kCloset,
                  kAllUsers = ClosetMachine::kAllUsers;
const std::string kJournal = std::string(ClosetMachine::kProgram) + "stowly.journal";

// 200 items: files of both desktops, folders with contents, a name outside the code page.
void Populate(ClosetMachine& m) {
    for (int i = 0; i < 180; ++i) m.Put(kDesk + "file " + std::to_string(i) + ".txt", "content " + std::to_string(i));
    for (int i = 0; i < 10; ++i) m.Put(kDesk + "folder " + std::to_string(i) + "\\inside.txt", std::to_string(i));
    m.Put(kDesk + "\xE6\x97\xA5\xE6\x9C\xAC.txt", "japanese");
    for (int i = 0; i < 9; ++i) m.Put(kPublic + "shared " + std::to_string(i) + ".lnk", "shared " + std::to_string(i));
}

// Both trees together, with each path at most once: nothing lost, nothing doubled.
Tree Union(const Tree& a, const Tree& b) {
    Tree all = a;
    for (const auto& [path, content] : b) CHECK_MESSAGE(all.emplace(path, content).second, "twice: " << path);
    return all;
}

enum class Op { Clean, Restore };

// Runs the operation until the platform stops it at its `n`th change of the disk;
// false when it ran to its end first.
bool RunStoppedAt(ClosetMachine& m, Op op, int n) {
    m.os.faults.stopAtChange = n;
    bool stopped = false;
    try {
        op == Op::Clean ? CleanDesktop(m.ctx) : RestoreDesktop(m.ctx);
    } catch (const SimPlatform::Stopped&) {
        stopped = true;
    }
    m.os.faults.stopAtChange = 0;
    return stopped;
}

} // namespace

TEST_CASE("a clean or restore stopped at any change of the disk loses nothing, and the next start finishes it") {
    // The desktop before and after a clean, prepared once and copied for every stop.
    ClosetMachine populated, cleaned;
    Populate(populated);
    Populate(cleaned);
    CleanDesktop(cleaned.ctx);
    const Tree user = populated.Contents(kDesk), shared = populated.Contents(kPublic);
    for (Op op : {Op::Clean, Op::Restore}) {
        int points = 0;
        for (int n = 1;; ++n) {
            CAPTURE(op == Op::Clean ? "clean" : "restore");
            CAPTURE(n);
            ClosetMachine m;
            std::filesystem::copy((op == Op::Clean ? populated : cleaned).os.Root(), m.os.Root(),
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
            if (!RunStoppedAt(m, op, n)) break;
            ++points;
            // Right after the stop, every item is in one place, whole.
            CHECK(Union(m.Contents(kDesk), m.Contents(kCloset)) == user);
            CHECK(Union(m.Contents(kPublic), m.Contents(kAllUsers)) == shared);

            // A later start. No leaves everything and asks again (tried at some stops).
            m.Reset();
            const bool journalLeft = m.Exists(kJournal);
            if (n % 10 == 0) {
                const Tree deskBefore = m.Contents(kDesk);
                m.ui = {};
                OfferToFinishInterrupted(m.ctx);
                CHECK(m.ui.MessageTexts().size() == (journalLeft ? 1u : 0u));
                CHECK((m.Contents(kDesk) == deskBefore && m.Exists(kJournal) == journalLeft));
            }
            m.ui = {};
            m.ui.Push(Answer::Yes);
            OfferToFinishInterrupted(m.ctx);
            CHECK_FALSE(m.Exists(kJournal));
            if (journalLeft) {
                const bool clean = op == Op::Clean;
                CHECK(m.ui.MessageTexts() ==
                      std::vector<std::string>{std::string("Stowly was stopped before it finished ") +
                                                   (clean ? "cleaning" : "restoring") +
                                                   " your desktop.  Would you like to finish it now?",
                                               clean ? "Your Desktop has been cleaned." : "Your Icons have been restored."});
                CHECK((m.Contents(kDesk) == (clean ? Tree{} : user) && m.Contents(kPublic) == (clean ? Tree{} : shared)));
                CHECK((m.Contents(kCloset) == (clean ? user : Tree{}) && m.Contents(kAllUsers) == (clean ? shared : Tree{})));
            } else {
                CHECK(m.ui.shown.empty());
            }
            // Whatever the stop left, a restore now brings back the whole desktop
            // (tried at some stops: it is the same restore every time).
            if ((op == Op::Clean || !journalLeft) && n % 10 == 0) {
                m.ui = {};
                RestoreDesktop(m.ctx);
                CHECK((m.Contents(kDesk) == user && m.Contents(kPublic) == shared));
                CHECK((m.Contents(kCloset).empty() && m.Contents(kAllUsers).empty()));
            }
        }
        const std::string summary = std::string(op == Op::Clean ? "clean" : "restore") + ": stopped at " + std::to_string(points) + " points";
        MESSAGE(summary);
        CHECK(points > 200);
    }
}

TEST_CASE("the journal reads back as written; a cut-off or foreign file is no journal") {
    const Journal j{Journal::Operation::Restore, "D:\\CLOSETS\\", "Desk.qvr",
                    {{"D:\\CLOSETS\\Desk\\a, b.txt", "C:\\Users\\Sim\\Desktop"}, {"D:\\x\\\xCE\xB1", "C:\\y"}}};
    const std::string text = JournalText(j);
    CHECK(ParseJournal(text) == j);
    CHECK_FALSE(ParseJournal(text.substr(0, text.size() - 5)));
    CHECK_FALSE(ParseJournal("Stowly journal 1\r\nMove\r\nC:\\\r\nK.qvr\r\nEnd\r\n"));
    CHECK_FALSE(ParseJournal(""));
}
