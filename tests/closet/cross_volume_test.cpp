#include <doctest/doctest.h>

#include <filesystem>

#include "ClosetMachine.h"
#include "closet/CleanRestore.h"

using namespace stowly;
using stowly::test::ClosetMachine;
using stowly::test::Tree;

TEST_CASE("across volumes, every step after the copy is tried again; a copy that cannot take its name is said and finished at the next start") {
    const std::string kDesk = ClosetMachine::kDesk, kCloset = "D:\\STOWLY\\QuickClean\\",
                      kJournal = "D:\\STOWLY\\stowly.journal", kRestored = "Your Icons have been restored.";
    using Passing = SimPlatform::Faults::Passing;
    struct Row {
        std::string step;
        std::vector<Passing> faults;
        bool inClean;         // the faults are set before the clean, else before the restore
        std::string restored; // the restore's final message
    };
    const Row rows[] = {
        {"marking rename", {{"MoveItem", ".stowly-copying", 3}}, true, kRestored},
        {"removal of the source file", {{"RemoveFile", "Desktop\\a.txt", 3}}, true, kRestored},
        {"removal of the source folder", {{"RemoveFolder", "Desktop\\Tree", 2, winerr::Sharing}}, true, kRestored},
        {"final rename", {{"MoveItem", ".stowly-copied", 4}}, false, kRestored},
        {"removal of a copy that failed",
         {{"CopyOneFile", "inner\\b.txt", 1}, {"RemoveFolder", "Tree.stowly-copying\\inner", 2}},
         false, kRestored + " 1 item could not be moved."},
        {"final rename, for good", {{"MoveItem", "a.txt.stowly-copied", 1000}}, false,
         kRestored + " One item is still under a working name: \"C:\\Users\\Sim\\Desktop\\a.txt.stowly-copied\". "
                     "Stowly will offer to finish moving it at its next start."},
    };
    for (const Row& row : rows) {
        CAPTURE(row.step);
        ClosetMachine m;
        m.st.ProgramFolder = m.st.ClosetDirectory = "D:\\STOWLY\\";
        std::filesystem::create_directories(m.os.Root() / "D");
        m.Put(kDesk + "a.txt", "alpha");
        m.Put(kDesk + "Tree\\inner\\b.txt", "beta");
        const Tree desk = m.Contents(kDesk);
        if (row.inClean) m.os.faults.passing = row.faults;
        CleanDesktop(m.ctx);
        CHECK(m.ui.progressMessage == "Your Desktop has been cleaned.");
        CHECK((m.Contents(kDesk).empty() && m.Contents(kCloset) == desk));
        if (!row.inClean) m.os.faults.passing = row.faults;
        RestoreDesktop(m.ctx);
        CHECK(m.ui.progressMessage == row.restored);
        // What did not move is finished by the next restore, or by the next start.
        m.os.faults.passing.clear();
        if (m.Exists(kJournal)) {
            m.ui.Push(Answer::Yes);
            OfferToFinishInterrupted(m.ctx);
        } else if (!m.Contents(kCloset).empty()) {
            RestoreDesktop(m.ctx);
        }
        CHECK(m.Contents(kDesk) == desk);
        CHECK(m.Contents(kCloset).empty());
        CHECK_FALSE(m.Exists(kJournal));
    }
}
