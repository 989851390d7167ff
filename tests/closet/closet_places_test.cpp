#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "closet/AdvancedCloset.h"
#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"

using namespace stowly;
using namespace stowly::test;
using Texts = std::vector<std::string>;

TEST_CASE("a closet named . or .., or kept on a desktop, or holding one, moves nothing") {
    const std::string kDesk = ClosetMachine::kDesk;
    struct Row {
        std::string folder, keyFile, problem;
    };
    const std::string badPlace = "\".  Please choose a folder below a drive that is not on the desktop.";
    const Row rows[] = {
        {"C:\\Keys\\", "..qvr", "\".\" cannot be the name of a closet folder.  Please choose another key file name."},
        {"C:\\Keys\\", "...qvr", "\"..\" cannot be the name of a closet folder.  Please choose another key file name."},
        {"C:\\Keys\\", "Desk..qvr", "\"Desk.\" cannot be the name of a closet folder.  Please choose another key file name."},
        {"C:\\Keys\\", "Desk .qvr", "\"Desk \" cannot be the name of a closet folder.  Please choose another key file name."},
        {kDesk, "Adv.qvr", "A closet cannot be kept in \"" + kDesk + "Adv" + badPlace},
        {"C:\\Users\\Sim\\", "Desktop.qvr", "A closet cannot be kept in \"C:\\Users\\Sim\\Desktop" + badPlace},
        {"C:\\Users\\", "Sim.qvr", "A closet cannot be kept in \"C:\\Users\\Sim" + badPlace},
        {kDesk + "Keys\\", "Adv.qvr", "A closet cannot be kept in \"" + kDesk + "Keys\\Adv" + badPlace},
        {"C:\\", "Adv.qvr", ""}, // a key file at a drive's root, its closet below it
        {"C:\\Users\\Sim\\", "Adv.qvr", ""}, // beside the desktop folder
    };
    for (const Row& row : rows) {
        CAPTURE(row.keyFile);
        CAPTURE(row.folder);
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        m.Put("C:\\Keys\\Neighbour.txt", "n");
        m.st.ClosetDirectory = row.folder;
        m.st.ClosetKeyFile = row.keyFile;
        const Tree desk = m.Contents(kDesk), keys = m.Contents("C:\\Keys\\");
        CHECK(RunAdvancedClean(m.ctx, LoadCleanDialog(m.ctx), "") ==
              (row.problem.empty() ? DialogEnd::Close : DialogEnd::StayOpen));
        if (row.problem.empty()) continue;
        CHECK(m.ui.MessageTexts() == Texts{row.problem});
        CHECK((m.Contents(kDesk) == desk && m.Contents("C:\\Keys\\") == keys));
        // A key file of that name put there by hand restores nothing either.
        m.Put(row.folder + row.keyFile, "\"C:\\Keys\\\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n");
        const Tree before = m.Contents("C:\\");
        m.ui = {};
        RestoreDesktop(m.ctx);
        CHECK(RunAdvancedRestore(m.ctx, LoadRestoreDialog(m.ctx), "") == DialogEnd::StayOpen);
        CHECK(m.ui.MessageTexts() == Texts{row.problem, row.problem});
        CHECK(m.Contents("C:\\") == before);
    }
}

TEST_CASE("a failure after every item moved is said in the final message, and the journal goes") {
    ClosetMachine m;
    m.Put(std::string(ClosetMachine::kDesk) + "a.txt", "a");
    CleanDesktop(m.ctx);
    KeyFileContent key = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    key.header.wallpaper = "C:\\Pictures\\beach.bmp";
    key.header.wallpaperStyle = "99999"; // more than the style's 16 bits
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, key.header, key.icons);
    RestoreDesktop(m.ctx);
    CHECK(m.ui.progressMessage ==
          "Your Icons have been restored. The icon positions and the wallpaper could not all be put back (error 6).");
    CHECK(m.Get(std::string(ClosetMachine::kDesk) + "a.txt") == "a");
    CHECK_FALSE(m.Exists(ClosetMachine::kProgram + std::string("stowly.journal")));
}
