// Moves of desktop items on the real file system: one item per call to a free
// destination, checked by what arrived, never by return codes alone.
#include <doctest/doctest.h>
#include <windows.h>

#include <map>

#include "closet/ShellOps.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

const std::string kGreek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf";      // Σχέδιο
const std::string kJapanese = "\xe6\x9b\xb8\xe9\xa1\x9e\xe3\x83\xa1\xe3\x83\xa2"; // 書類メモ
const std::string kEmoji = "\xf0\x9f\x93\x81";                                     // outside the BMP

// Every file and folder under `folder` (relative name -> content, "/" for a folder),
// walked with the platform's own listing so that any name works.
void Walk(Win32Platform& os, const std::string& folder, const std::string& prefix,
          std::map<std::string, std::string>& tree) {
    for (const auto& e : os.List(folder + "\\", true)) {
        std::string path = folder + "\\" + e.name;
        if (e.isFolder) {
            tree[prefix + e.name] = "/";
            Walk(os, path, prefix + e.name + "/", tree);
        } else {
            tree[prefix + e.name] = os.ReadFile(path, nullptr).value_or("<unreadable>");
        }
    }
}

std::map<std::string, std::string> Tree(Win32Platform& os, const std::string& folder) {
    std::map<std::string, std::string> tree;
    Walk(os, folder, "", tree);
    return tree;
}

void Put(Win32Platform& os, const std::string& path, const std::string& bytes) {
    REQUIRE(os.WriteFile(path, bytes) == 0);
}

} // namespace

TEST_CASE("MoveItem moves files and folder trees to an explicit path and never replaces") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string();
    REQUIRE(os.CreateFolder(root + "\\From"));
    REQUIRE(os.CreateFolder(root + "\\To"));
    Put(os, root + "\\From\\a.txt", "alpha");
    REQUIRE(os.CreateFolder(root + "\\From\\Tree"));
    REQUIRE(os.CreateFolder(root + "\\From\\Tree\\Sub"));
    Put(os, root + "\\From\\Tree\\Sub\\deep.txt", "deep");

    CHECK(os.MoveItem(root + "\\From\\a.txt", root + "\\To\\renamed.txt") == 0);
    CHECK(os.MoveItem(root + "\\From\\Tree", root + "\\To\\Tree") == 0);
    CHECK(Tree(os, root + "\\From").empty());
    CHECK(Tree(os, root + "\\To") == std::map<std::string, std::string>{
                                         {"renamed.txt", "alpha"}, {"Tree", "/"}, {"Tree/Sub", "/"}, {"Tree/Sub/deep.txt", "deep"}});

    Put(os, root + "\\From\\b.txt", "new");
    Put(os, root + "\\To\\b.txt", "old");
    REQUIRE(os.CreateFolder(root + "\\From\\Tree"));
    Put(os, root + "\\From\\Tree\\other.txt", "other");
    CHECK(os.MoveItem(root + "\\From\\b.txt", root + "\\To\\B.TXT") != 0);
    CHECK(os.MoveItem(root + "\\From\\Tree", root + "\\To\\Tree") != 0);
    CHECK(os.MoveItem(root + "\\From\\missing", root + "\\To\\missing") != 0);
    CHECK(Tree(os, root + "\\From") ==
          std::map<std::string, std::string>{{"b.txt", "new"}, {"Tree", "/"}, {"Tree/other.txt", "other"}});
    CHECK(os.ReadFile(root + "\\To\\b.txt", nullptr) == "old");
    CHECK(Tree(os, root + "\\To\\Tree") == std::map<std::string, std::string>{{"Sub", "/"}, {"Sub/deep.txt", "deep"}});
}

TEST_CASE("names outside the ANSI code page move like any other") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string();
    REQUIRE(os.CreateFolder(root + "\\From"));
    Put(os, root + "\\From\\" + kJapanese + ".txt", "jp");
    REQUIRE(os.CreateFolder(root + "\\From\\" + kGreek));
    Put(os, root + "\\From\\" + kGreek + "\\" + kEmoji + ".txt", "emoji");
    std::vector<std::string> list{"", root + "\\From\\" + kJapanese + ".txt", root + "\\From\\" + kGreek};
    CHECK(ShellFileCopy(os, list, root + "\\New\\Closet") == 0);
    CHECK(Tree(os, root + "\\From").empty());
    CHECK(Tree(os, root + "\\New\\Closet") ==
          std::map<std::string, std::string>{{kJapanese + ".txt", "jp"}, {kGreek, "/"}, {kGreek + "/" + kEmoji + ".txt", "emoji"}});
}

TEST_CASE("shell moves keep both items on a collision, for files and folders, with any name") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string();
    REQUIRE(os.CreateFolder(root + "\\From"));
    REQUIRE(os.CreateFolder(root + "\\To"));
    for (const std::string& name : {std::string("Report.docx"), kJapanese + ".txt"}) {
        Put(os, root + "\\From\\" + name, "arriving " + name);
        Put(os, root + "\\To\\" + name, "staying " + name);
    }
    REQUIRE(os.CreateFolder(root + "\\From\\Projects"));
    Put(os, root + "\\From\\Projects\\plan.txt", "arriving plan");
    REQUIRE(os.CreateFolder(root + "\\To\\Projects"));
    Put(os, root + "\\To\\Projects\\plan.txt", "staying plan");
    // Several plain files in one list: the shell's own list move fails under Wine.
    std::vector<std::string> list{"", root + "\\From\\Report.docx", root + "\\From\\" + kJapanese + ".txt",
                                  root + "\\From\\Projects"};
    CHECK(ShellFileCopy(os, list, root + "\\To") == 0);
    CHECK(Tree(os, root + "\\From").empty());
    CHECK(Tree(os, root + "\\To") == std::map<std::string, std::string>{
                                         {"Report.docx", "staying Report.docx"},
                                         {"Report (2).docx", "arriving Report.docx"},
                                         {kJapanese + ".txt", "staying " + kJapanese + ".txt"},
                                         {kJapanese + " (2).txt", "arriving " + kJapanese + ".txt"},
                                         {"Projects", "/"},
                                         {"Projects/plan.txt", "staying plan"},
                                         {"Projects (2)", "/"},
                                         {"Projects (2)/plan.txt", "arriving plan"}});
}

TEST_CASE("a folder tree moves across volumes") {
    // /dev/shm is another file system than the prefix's drive C:.
    const std::string shm = "Z:\\dev\\shm";
    Win32Platform os;
    if (!os.Attributes(shm).isFolder) return;
    const std::string from = shm + "\\stowly-move-" + std::to_string(GetCurrentProcessId());
    test::TestDir dir;
    const std::string to = dir.path().string() + "\\Arrived";
    REQUIRE(os.CreateFolder(from));
    REQUIRE(os.CreateFolder(from + "\\Tree"));
    Put(os, from + "\\Tree\\" + kGreek + ".txt", "greek");
    Put(os, from + "\\single.txt", "single");
    CHECK(os.MoveItem(from + "\\Tree", to) == 0);
    CHECK(os.MoveItem(from + "\\single.txt", dir.path().string() + "\\single.txt") == 0);
    CHECK(Tree(os, to) == std::map<std::string, std::string>{{kGreek + ".txt", "greek"}});
    CHECK(os.ReadFile(dir.path().string() + "\\single.txt", nullptr) == "single");
    CHECK(Tree(os, from).empty());
    RemoveDirectoryW(Widen(from).c_str());
}
