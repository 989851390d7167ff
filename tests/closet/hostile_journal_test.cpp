#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "closet/AdvancedCloset.h"
#include "closet/CleanRestore.h"
#include "closet/Journal.h"
#include "closet/KeyFile.h"

using namespace stowly;
using namespace stowly::test;

TEST_CASE("a journal that is not this program's, for today's desktops, moves nothing and is put aside once") {
    const std::string kDesk = ClosetMachine::kDesk, kJournal = ClosetMachine::kProgram + std::string("stowly.journal");
    const std::string kept = ClosetMachine::kProgram + std::string("stowly.journal.rejected");
    const Journal today{Journal::Operation::Restore, ClosetMachine::kProgram, "C:\\Users\\Sim\\Desktop",
                        "C:\\Users\\Public\\Desktop", ClosetMachine::kProgram, "QuickClean.qvr", {{false, "a.txt"}}};
    const auto with = [&](auto change) {
        Journal j = today;
        change(j);
        return JournalText(j);
    };
    struct Row {
        std::string what, text;
    };
    const Row rows[] = {
        {"another program folder", with([](Journal& j) { j.programFolder = "D:\\OLD\\"; })},
        {"another desktop", with([](Journal& j) { j.userDesktop = "C:\\Windows\\System32"; })},
        {"a closet on the desktop", with([](Journal& j) { j.closetDirectory = "C:\\Users\\Sim\\Desktop\\"; })},
        {"a closet named ..", with([](Journal& j) { j.closetKeyFile = "...qvr"; })},
        {"an older form", "Stowly journal 1\r\nRestore\r\nC:\\Data\\\r\nK.qvr\r\nC:\\Data\\K\\a.txt\tC:\\Users\\Sim\\Desktop\r\nEnd\r\n"},
        {"a newer form", "Stowly journal 3\r\n" + with([](Journal&) {}).substr(18)},
        {"cut off", with([](Journal&) {}).substr(0, 60)},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        ClosetMachine m;
        m.Put("C:\\PROGRAM FILES\\STOWLY\\QuickClean\\a.txt", "a");
        m.Put("C:\\Data\\K\\a.txt", "data");
        m.Put(kJournal, row.text);
        const Tree before = m.Contents("C:\\");
        OfferToFinishInterrupted(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{"Stowly found a record of an unfinished clean or restore that it cannot "
                                           "use, so nothing was moved. It is kept as \"" + kept + "\"."});
        CHECK((!m.Exists(kJournal) && m.Get(kept) == row.text));
        Tree after = m.Contents("C:\\"), expected = before;
        std::erase_if(after, [](const auto& e) { return e.first.ends_with("stowly.journal.rejected"); });
        std::erase_if(expected, [](const auto& e) { return e.first.ends_with("stowly.journal"); });
        CHECK(after == expected);
        m.ui = {};
        OfferToFinishInterrupted(m.ctx); // told once
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("a desktop that cannot be reached settles nothing: the journal stays and the place is named") {
    ClosetMachine m;
    const std::string journal = ClosetMachine::kProgram + std::string("stowly.journal");
    m.Put(ClosetMachine::kDesk + std::string("a.txt"), "a");
    WriteJournal(m.os, journal, {Journal::Operation::Clean, ClosetMachine::kProgram, m.os.userDesktop,
                                 m.os.commonDesktop, ClosetMachine::kProgram, "QuickClean.qvr", {{false, "a.txt"}}});
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, {ClosetMachine::kProgram, "", "", "", ""}, {});
    const auto desk = m.os.HostPath(ClosetMachine::kDesk), away = desk.parent_path() / "away";
    std::filesystem::rename(desk, away); // a network desktop, offline at logon
    m.ui.Push(Answer::Yes);
    OfferToFinishInterrupted(m.ctx);
    CHECK(m.ui.MessageTexts().back() == "Stowly could not reach \"C:\\Users\\Sim\\Desktop\", so it could not finish "
                                        "cleaning your desktop.  It will offer to finish it at its next start.");
    CHECK(m.Exists(journal));
    std::filesystem::rename(away, desk);
    m.ui = {};
    m.ui.Push(Answer::Yes);
    OfferToFinishInterrupted(m.ctx);
    CHECK(m.ui.MessageTexts().back() == "Your Desktop has been cleaned.");
    CHECK((m.Get(ClosetMachine::kCloset + std::string("a.txt")) == "a" && !m.Exists(journal)));
}

TEST_CASE("a working copy found without a journal is named and left where it is, by a clean and by a restore") {
    ClosetMachine m;
    m.Put(ClosetMachine::kDesk + std::string("a.txt"), "a");
    m.Put(ClosetMachine::kDesk + std::string("b.txt.stowly-copying"), "part");
    CleanDesktop(m.ctx);
    CHECK(m.ui.progressMessage == "Your Desktop has been cleaned. \"C:\\Users\\Sim\\Desktop\\b.txt.stowly-copying\" is a "
                                  "working copy of a move that did not finish, so it was left where it is.");
    m.Put(ClosetMachine::kCloset + std::string("c.txt.STOWLY-COPIED"), "whole");
    RestoreDesktop(m.ctx);
    CHECK(m.ui.progressMessage ==
          "Your Icons have been restored. \"C:\\PROGRAM FILES\\STOWLY\\QuickClean\\c.txt.STOWLY-COPIED\" is a working copy "
          "of a move that did not finish, so it was left where it is.");
    CHECK(m.Contents(ClosetMachine::kDesk) == Tree{{"a.txt", "a"}, {"b.txt.stowly-copying", "part"}});
}

TEST_CASE("a full closet without its key file says where the files are; an advanced restore of an empty one moves nothing") {
    ClosetMachine m;
    m.Put(ClosetMachine::kDesk + std::string("a.txt"), "a");
    CleanDesktop(m.ctx);
    m.os.RemoveFile(ClosetMachine::kKeyFile);
    m.ui = {};
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"No key file was found for this closet, so nothing was moved. Your files are in "
                                       "\"C:\\PROGRAM FILES\\STOWLY\\QuickClean\"."});
    CHECK(m.Get(ClosetMachine::kCloset + std::string("a.txt")) == "a");
    m.os.RemoveFile(ClosetMachine::kCloset + std::string("a.txt"));
    CleanDesktop(m.ctx); // an empty desktop: a key file and an empty closet
    m.ui = {};
    CHECK(RunAdvancedRestore(m.ctx, LoadRestoreDialog(m.ctx), "") == DialogEnd::Close);
    CHECK(m.ui.MessageTexts() == Texts{"No icons to restore. Your closet is already empty."});
}
