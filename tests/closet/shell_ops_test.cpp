#include <doctest/doctest.h>

#include "closet/ShellOps.h"
#include "ClosetMachine.h"

using namespace stowly;
using stowly::test::ClosetMachine;

TEST_CASE("a taken name gets the next free number, the Explorer way") {
    ClosetMachine m;
    m.Put("C:\\To\\Report.docx", "1");
    m.Put("C:\\To\\Report (2).docx", "2");
    m.Put("C:\\To\\README", "r");
    m.Put("C:\\To\\.profile", "p");
    m.Folder("C:\\To\\Folder.v1");
    struct Row {
        const char* name;
        bool isFolder;
        const char* expected;
    };
    for (Row row : {Row{"new.txt", false, "C:\\To\\new.txt"}, Row{"REPORT.DOCX", false, "C:\\To\\REPORT (3).DOCX"},
                    Row{"README", false, "C:\\To\\README (2)"}, Row{".profile", false, "C:\\To\\.profile (2)"},
                    Row{"Folder.v1", true, "C:\\To\\Folder.v1 (2)"}}) {
        CAPTURE(std::string(row.name));
        CHECK(FreeDestination(m.os, "C:\\To", row.name, row.isFolder) == row.expected);
    }
}

TEST_CASE("PerformShellAction: creates the destination, never replaces, moves folder trees") {
    ClosetMachine m;
    m.Put("C:\\From\\a.txt", "new");
    m.Put("C:\\From\\Tree\\x\\y.txt", "deep");
    m.Put("C:\\From\\Tree\\z.txt", "z");
    CHECK(PerformShellAction(m.os, "C:\\From\\Tree", "C:\\To\\Deeper") == 0);
    CHECK(m.Tree("C:\\To\\Deeper") ==
          std::map<std::string, std::string>{{"Tree", "/"}, {"Tree/x", "/"}, {"Tree/x/y.txt", "deep"}, {"Tree/z.txt", "z"}});

    m.Put("C:\\To\\a.txt", "old");
    CHECK(PerformShellAction(m.os, "C:\\From\\a.txt", "C:\\To") == 0);
    CHECK(m.Get("C:\\To\\a.txt") == "old");
    CHECK(m.Get("C:\\To\\a (2).txt") == "new");
    CHECK_FALSE(m.Exists("C:\\From\\a.txt"));

    CHECK(PerformShellAction(m.os, "C:\\From\\gone.txt", "C:\\To") != 0);
    m.Put("C:\\From\\b.txt", "b");
    m.os.faults.locked.insert("C:\\From\\b.txt");
    int before = m.os.movesDone;
    CHECK(PerformShellAction(m.os, "C:\\From\\b.txt", "C:\\To") != 0);
    CHECK(m.Get("C:\\From\\b.txt") == "b");
    CHECK(m.os.movesDone - before == 5); // a held file is tried again a few times, then left
    m.os.faults.locked.clear();
    CHECK(PerformShellAction(m.os, "C:\\From\\b.txt", "C:\\To") == 0);
}

TEST_CASE("ShellFileCopy moves elements 1 to the end one by one and counts what stayed") {
    ClosetMachine m;
    for (const char* name : {"zero", "one", "two", "three"}) m.Put(std::string("C:\\From\\") + name, name);
    CHECK(ShellFileCopy(m.os, {"C:\\From\\zero"}, "C:\\To") == 0);
    CHECK_FALSE(m.Exists("C:\\To"));

    m.os.faults.failMoveNumber = 2;
    CHECK(ShellFileCopy(m.os, {"C:\\From\\zero", "C:\\From\\one", "C:\\From\\two", "C:\\From\\three"}, "C:\\To") == 1);
    CHECK(m.Tree("C:\\To") == std::map<std::string, std::string>{{"one", "one"}, {"three", "three"}});
    CHECK(m.Tree("C:\\From") == std::map<std::string, std::string>{{"two", "two"}, {"zero", "zero"}});
}
