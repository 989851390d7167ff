#include <doctest/doctest.h>

#include <algorithm>
#include <filesystem>

#include "ClosetMachine.h"
#include "closet/AdvancedCloset.h"
#include "closet/CleanRestore.h"
#include "closet/Journal.h"
#include "closet/KeyFile.h"

using namespace stowly;
using namespace stowly::test;
namespace fs = std::filesystem;

namespace {

const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic, kProgram = ClosetMachine::kProgram,
                  kJournal = kProgram + "stowly.journal";

} // namespace

TEST_CASE("a clean or restore stopped at any change of the disk is finished at the next start in its own direction") {
    // Items moved a copy at a time to another volume. That a stop loses or doubles nothing, with the
    // program folder on either volume, and a No at the next start, are the closet fuzz target's.
    const std::string folder = "D:\\STOWLY\\", closet = folder + "QuickClean\\", allUsers = folder + "AllUsers\\";
    ClosetMachine populated, cleaned; // the desktop before and after a clean, copied for every stop
    for (ClosetMachine* m : {&populated, &cleaned}) {
        m->Start(folder);
        for (const char* name : {"a.txt", "folder\\inside.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"}) m->Put(kDesk + name, name);
        m->Put(kPublic + "shared.lnk", "s");
    }
    CleanDesktop(cleaned.ctx);
    const Tree user = populated.Contents(kDesk), shared = populated.Contents(kPublic), none;
    for (bool clean : {true, false}) {
        int n = 1;
        for (;; ++n) {
            CAPTURE(clean ? n : -n);
            ClosetMachine m;
            m.Start(folder);
            fs::copy((clean ? populated : cleaned).os.Root(), m.os.Root(),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            if (!m.StoppedAt(n, clean ? &CleanDesktop : &RestoreDesktop)) break; // ran to its end first
            m.Start(folder);
            const bool journalLeft = m.Exists(folder + "stowly.journal");
            m.Answering(Answer::Yes);
            OfferToFinishInterrupted(m.ctx);
            CHECK(m.ui.MessageTexts() == (journalLeft ? Texts{std::string("Stowly was stopped before it finished ") +
                                                                  (clean ? "cleaning" : "restoring") +
                                                                  " your desktop.  Would you like to finish it now?",
                                                              clean ? "Your Desktop has been cleaned." : "Your Icons have been restored."}
                                                      : Texts{}));
            if (journalLeft)
                CHECK((m.Contents(kDesk) == (clean ? none : user) && m.Contents(kPublic) == (clean ? none : shared) &&
                       m.Contents(closet) == (clean ? user : none) && m.Contents(allUsers) == (clean ? shared : none)));
        }
        CHECK(n > 8);
    }
}

TEST_CASE("a source the user opened and changed between the stop and the Yes waits for the file, then loses nothing") {
    // Edits alone are the closet fuzz target's; an open file it does not make.
    int marked = 0;
    for (int n = 1; n < 40; ++n) {
        ClosetMachine m;
        m.Start("D:\\STOWLY\\");
        m.Put(kDesk + "Folder\\a.txt", "alpha");
        m.Put(kDesk + "Folder\\b.txt", "beta");
        m.StoppedAt(n, &CleanDesktop);
        const std::string source = kDesk + "Folder.stowly-moving"; // renamed aside while it is copied
        if (!m.Exists("D:\\STOWLY\\QuickClean\\Folder.stowly-copied") || !m.Exists(source + "\\a.txt")) continue;
        ++marked;
        CAPTURE(n);
        Tree expected = m.Contents("D:\\STOWLY\\QuickClean\\Folder.stowly-copied\\");
        for (const auto& [name, content] : {std::pair{"b.txt", "BETA"}, std::pair{"new.txt", "new"}})
            m.Put(source + "\\" + name, content), expected[name] = content;
        m.os.faults.inUse.insert(source + "\\a.txt");
        m.ui.Push(Answer::Yes);
        OfferToFinishInterrupted(m.ctx);
        // A folder that holds an open file cannot be renamed: it waits under its working
        // name, with the journal, until the next start after the file is closed.
        CHECK((m.Contents(kDesk) == Tree{{"Folder.stowly-moving", "/"}, {"Folder.stowly-moving/a.txt", "alpha"}} &&
               m.Exists("D:\\STOWLY\\stowly.journal")));
        m.os.faults.inUse.clear();
        m.ui.Push(Answer::Yes);
        OfferToFinishInterrupted(m.ctx);
        std::multimap<std::string, std::string> closet; // every file the user has or had, a.txt twice
        for (const auto& [path, content] : m.Contents("D:\\STOWLY\\QuickClean\\"))
            if (content != "/") closet.emplace(path.substr(path.find('/') + 1), content);
        for (const auto& file : expected)
            CHECK_MESSAGE(std::count(closet.begin(), closet.end(), file) == 1 + (file.first == "a.txt"), file.first);
        CHECK((m.Contents(kDesk).empty() && !m.Exists("D:\\STOWLY\\stowly.journal")));
    }
    CHECK(marked > 0);
}

TEST_CASE("the journal reads back as written; a cut-off, older or foreign file, or a move naming a folder, is no journal") {
    const Journal j{Journal::Operation::Restore, "D:\\STOWLY\\", "C:\\Users\\Sim\\Desktop", "C:\\Users\\Public\\Desktop",
                    "D:\\CLOSETS\\", "Desk.qvr", {{false, "a, b.txt"}, {true, "\xCE\xB1"}}};
    const std::string text = JournalText(j);
    CHECK(ParseJournal(text) == j);
    const std::string head = text.substr(0, text.find("User\t"));
    for (const std::string& bad : {text.substr(0, text.size() - 5), std::string(""), head + "User\t..\r\nEnd\r\n", head + "Common\tC:\\Windows\r\nEnd\r\n",
                                   head + "User\ta\\b\r\nEnd\r\n", head + "Other\ta\r\nEnd\r\n"})
        CHECK_FALSE(ParseJournal(bad));
}

TEST_CASE("a journal that is not this program's, for today's desktops, moves nothing and is put aside once") {
    const std::string kept = kProgram + "stowly.journal.rejected";
    const Journal today{Journal::Operation::Restore, kProgram, "C:\\Users\\Sim\\Desktop", "C:\\Users\\Public\\Desktop",
                        kProgram, "QuickClean.qvr", {{false, "a.txt"}}};
    const auto with = [&](auto change) {
        Journal j = today;
        change(j);
        return JournalText(j);
    };
    struct Row { std::string what, text; };
    const Row rows[] = {
        {"another program folder", with([](Journal& j) { j.programFolder = "D:\\OLD\\"; })},
        {"another desktop", with([](Journal& j) { j.userDesktop = "C:\\Windows\\System32"; })},
        {"a closet on the desktop", with([](Journal& j) { j.closetDirectory = "C:\\Users\\Sim\\Desktop\\"; })},
        {"a closet named ..", with([](Journal& j) { j.closetKeyFile = "...qvr"; })},
        {"an older form", "Stowly journal 1\r\nRestore\r\nC:\\Data\\\r\nK.qvr\r\nC:\\Data\\K\\a.txt\tC:\\Users\\Sim\\Desktop\r\nEnd\r\n"},
        {"a newer form", "Stowly journal 3\r\n" + with([](Journal&) {}).substr(18)},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        ClosetMachine m;
        m.Put("C:\\PROGRAM FILES\\STOWLY\\QuickClean\\a.txt", "a");
        m.Put("C:\\Data\\K\\a.txt", "data");
        m.Put(kJournal, row.text);
        OfferToFinishInterrupted(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{"Stowly found a record of an unfinished clean or restore that it cannot "
                                           "use, so nothing was moved. It is kept as \"" + kept + "\"."});
        CHECK((!m.Exists(kJournal) && m.Get(kept) == row.text && m.Contents(kDesk).empty()));
        CHECK((m.Get(ClosetMachine::kCloset + std::string("a.txt")) == "a" && m.Get("C:\\Data\\K\\a.txt") == "data"));
        m.ui = {};
        OfferToFinishInterrupted(m.ctx); // told once
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("a desktop that cannot be reached settles nothing: the journal stays and the place is named") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    WriteJournal(m.os, kJournal, {Journal::Operation::Clean, kProgram, m.os.userDesktop, m.os.commonDesktop, kProgram,
                                  "QuickClean.qvr", {{false, "a.txt"}}});
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, {kProgram, "", "", "", ""}, {});
    const auto desk = m.os.HostPath(ClosetMachine::kDesk), away = desk.parent_path() / "away";
    std::filesystem::rename(desk, away); // a network desktop, offline at logon
    m.ui.Push(Answer::Yes);
    OfferToFinishInterrupted(m.ctx);
    CHECK(m.ui.MessageTexts().back() == "Stowly could not reach \"C:\\Users\\Sim\\Desktop\", so it could not finish "
                                        "cleaning your desktop.  It will offer to finish it at its next start.");
    CHECK(m.Exists(kJournal));
    std::filesystem::rename(away, desk);
    m.Answering(Answer::Yes);
    OfferToFinishInterrupted(m.ctx);
    CHECK((m.ui.MessageTexts().back() == "Your Desktop has been cleaned." && m.Get(ClosetMachine::kCloset + std::string("a.txt")) == "a" &&
           !m.Exists(kJournal)));
}

TEST_CASE("a working copy found without a journal is named and left where it is, by a clean and by a restore") {
    ClosetMachine m;
    m.Put(kDesk + "a.txt", "a");
    m.Put(kDesk + "b.txt.stowly-copying", "part");
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
    m.Put(kDesk + "a.txt", "a");
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
