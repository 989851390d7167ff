#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "closet/ClosetState.h"
#include "core/Files.h"
#include "closet/ShellOps.h"

using namespace stowly;
using namespace stowly::test;

TEST_CASE("a taken name gets the next free number, the Explorer way") {
    ClosetMachine m;
    for (const char* name : {"Report.docx", "Report (2).docx", "README", ".profile"}) m.Put(std::string("C:\\To\\") + name, "x");
    m.Folder("C:\\To\\Folder.v1");
    for (auto [name, isFolder, expected] : {std::tuple{"new.txt", false, "new.txt"}, {"REPORT.DOCX", false, "REPORT (3).DOCX"},
                                            {"README", false, "README (2)"}, {".profile", false, ".profile (2)"},
                                            {"Folder.v1", true, "Folder.v1 (2)"}}) {
        CAPTURE(name);
        CHECK(FreeDestination(m.os, "C:\\To", name, isFolder) == std::string("C:\\To\\") + expected);
    }
}

TEST_CASE("PerformShellAction: creates the destination, never replaces, moves folder trees, retries a held file") {
    ClosetMachine m;
    m.Put("C:\\From\\a.txt", "new");
    m.Put("C:\\From\\Tree\\x\\y.txt", "deep");
    CHECK(PerformShellAction(m.os, "C:\\From\\Tree", "C:\\To\\Deeper") == 0);
    CHECK(m.Contents("C:\\To\\Deeper") == Tree{{"Tree", "/"}, {"Tree/x", "/"}, {"Tree/x/y.txt", "deep"}});
    m.Put("C:\\To\\a.txt", "old");
    CHECK(PerformShellAction(m.os, "C:\\From\\a.txt", "C:\\To") == 0);
    CHECK((m.Get("C:\\To\\a.txt") == "old" && m.Get("C:\\To\\a (2).txt") == "new" && !m.Exists("C:\\From\\a.txt")));
    CHECK(PerformShellAction(m.os, "C:\\From\\gone.txt", "C:\\To") != 0);
    m.Put("C:\\From\\b.txt", "b");
    m.os.faults.locked.insert("C:\\From\\b.txt");
    const int before = m.os.movesDone;
    CHECK(PerformShellAction(m.os, "C:\\From\\b.txt", "C:\\To") != 0);
    CHECK((m.Get("C:\\From\\b.txt") == "b" && m.os.movesDone - before == 5)); // tried again a few times, then left
}

TEST_CASE("a closet holding a hidden entry is not empty; FileExists sees plain visible files and patterns only") {
    ClosetMachine m;
    const std::string closet = ClosetMachine::kCloset;
    CHECK(CheckCloset(m.os, closet)); // missing
    m.Folder(closet);
    CHECK(CheckCloset(m.os, closet));
    m.Put(closet + ".hidden", "x");
    CHECK_FALSE(CheckCloset(m.os, closet));
    m.Put("C:\\Data\\a.txt", "x");
    m.Put("C:\\Data\\.secret", "x");
    m.Folder("C:\\Data\\Sub");
    for (auto [path, exists] : {std::pair{"C:\\Data\\A.TXT", true}, {"C:\\Data\\*", true}, {"C:\\Data\\.secret", false},
                                {"C:\\Data\\Sub", false}, {"C:\\Data\\b.txt", false}, {"C:\\Data\\Sub\\*", false}}) {
        CAPTURE(path);
        CHECK(FileExists(m.os, path) == exists);
    }
}
