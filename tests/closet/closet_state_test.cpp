#include <doctest/doctest.h>

#include "closet/ClosetState.h"
#include "ClosetMachine.h"

using namespace stowly;
using stowly::test::ClosetMachine;

TEST_CASE("CheckCloset: every visible entry counts, a folder as much as a file") {
    ClosetMachine m;
    const std::string closet = ClosetMachine::kCloset;
    CHECK(CheckCloset(m.ctx, closet));               // missing
    m.Folder(closet);
    CHECK(CheckCloset(m.ctx, closet));               // empty
    m.Put(closet + ".hidden", "x");
    CHECK(CheckCloset(m.ctx, closet));               // hidden only
    m.Folder(closet + "Sub");
    CHECK_FALSE(CheckCloset(m.ctx, closet));         // a folder only
    m.Put(closet + "a.txt", "x");
    CHECK_FALSE(CheckCloset(m.ctx, closet));
}

TEST_CASE("FileExists: plain visible files and patterns only") {
    ClosetMachine m;
    m.Put("C:\\Data\\a.txt", "x");
    m.Put("C:\\Data\\.secret", "x");
    m.Folder("C:\\Data\\Sub");
    CHECK(FileExists(m.os, "C:\\Data\\a.txt"));
    CHECK(FileExists(m.os, "C:\\Data\\A.TXT"));
    CHECK(FileExists(m.os, "C:\\Data\\*"));
    CHECK_FALSE(FileExists(m.os, "C:\\Data\\.secret"));
    CHECK_FALSE(FileExists(m.os, "C:\\Data\\Sub"));
    CHECK_FALSE(FileExists(m.os, "C:\\Data\\b.txt"));
    CHECK_FALSE(FileExists(m.os, "C:\\Data\\Sub\\*"));
}

TEST_CASE("CreateFolderPath creates missing parents and answers whether it created the folder") {
    ClosetMachine m;
    m.Folder("C:\\Base");
    CHECK(CreateFolderPath(m.os, "C:\\Base\\One\\Two"));
    CHECK(m.os.Attributes("C:\\Base\\One").isFolder);
    CHECK(m.os.Attributes("C:\\Base\\One\\Two").isFolder);
    CHECK_FALSE(CreateFolderPath(m.os, "C:\\Base\\One\\Two"));
    CHECK_FALSE(CreateFolderPath(m.os, "NoBackslash"));
    m.Put("C:\\Base\\file", "x");
    CHECK_FALSE(CreateFolderPath(m.os, "C:\\Base\\file\\Sub"));
}
