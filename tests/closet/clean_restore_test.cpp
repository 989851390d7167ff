#include <doctest/doctest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "ClosetMachine.h"
#include "closet/CleanRestore.h"
#include "closet/ClosetState.h"
#include "closet/KeyFile.h"
#include "closet/ShellOps.h"
#include "closet/Wallpaper.h"
#include "core/Error.h"
#include "core/Files.h"
#include "core/ReportError.h"

using namespace stowly;
using namespace stowly::test;
using namespace std::string_literals;

namespace {

const std::string kDesk = ClosetMachine::kDesk, kPublic = ClosetMachine::kPublic, kCloset = ClosetMachine::kCloset,
                  kAllUsers = ClosetMachine::kAllUsers, kKeyFile = ClosetMachine::kKeyFile,
                  kBackup = kKeyFile + ".BGD";
const std::string kCleaned = "Your Desktop has been cleaned.", kRestored = "Your Icons have been restored.";
const std::string kNoDesktop = "The desktop folder could not be found. Nothing was moved.";

const char* const kDeskKey = "Control Panel\\Desktop";

} // namespace

TEST_CASE("clean then restore: every item, folder content and icon position comes back; hidden files stay; icons not "
          "placed are told") {
    ClosetMachine m;
    for (const char* name : {"a.txt", "Report, final.docx", "Projects\\2024\\notes.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt",
                             ".desktop.ini"})
        m.Put(kDesk + name, name);
    m.Folder(kDesk + "Projects\\Empty");
    m.Put(kPublic + "Shared.lnk", "shared");
    m.Folder(kPublic + "Tools");
    const Tree desk = m.Contents(kDesk), shared = m.Contents(kPublic);
    const Places places = m.IconPlaces(true);

    CleanDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && m.Done(kCleaned)));
    CHECK((m.Contents(kDesk) == Tree{{".desktop.ini", ".desktop.ini"}} && m.Contents(kPublic).empty()));
    CHECK((Union(m.Contents(kCloset), m.Contents(kDesk)) == desk && m.Contents(kAllUsers) == shared));

    m.Reset(); // a later start of the program: only the key file knows
    RestoreDesktop(m.ctx);
    CHECK((m.ui.MessageTexts().empty() && m.Done(kRestored)));
    CHECK((m.Contents(kDesk) == desk && m.Contents(kPublic) == shared && m.IconPlaces() == places));
    CHECK((m.Exists(kCloset) && m.Contents(kCloset).empty() && m.Contents(kAllUsers).empty()));
    RestoreDesktop(m.ctx);
    CHECK(m.ui.MessageTexts() == Texts{"No icons to restore. Your closet is already empty."});
    // On a desktop that arranges its icons itself the files come back, and the message says the icons did not.
    CleanDesktop(m.ctx);
    m.os.arranging = true;
    RestoreDesktop(m.ctx);
    CHECK(m.Done(kRestored + " " + std::to_string(places.size() - 1) + " icons are not where they were.")); // the bin stayed
    CHECK(m.ui.MessageTexts().back().starts_with("The desktop arranges its icons by itself")); // answered No
    // Shared items that only an administrator may move are told apart.
    m.os.faults.passing = {{"MoveItem", "Public\\Desktop\\Shared.lnk", 9}, {"MoveItem", "Public\\Desktop\\Tools", 9}};
    CleanDesktop(m.ctx);
    CHECK(m.Done(kCleaned + " 2 shared items stayed on the desktop: moving them needs administrator rights."));
}

TEST_CASE("a closet that holds anything, hidden or shared, is not cleaned over; a restore brings it back") {
    // A closet folder that cannot be looked into is neither empty nor cleaned over.
    for (auto [inCloset, back, unlistable] :
         {std::tuple{kCloset + "old.txt", kDesk + "old.txt", false}, {kCloset + "Old\\", kDesk + "Old", false},
          {kAllUsers + "old.lnk", kPublic + "old.lnk", false}, {kCloset + ".old", kDesk + ".old", false},
          {kAllUsers + "old.lnk", kPublic + "old.lnk", true}}) {
        CAPTURE(inCloset);
        ClosetMachine m;
        RestoreDesktop(m.ctx); // no key file yet
        CHECK(m.ui.MessageTexts() == Texts{"No icons to restore.  Your closet is already empty."});
        m.ui = {};
        CleanDesktop(m.ctx); // an empty desktop: the key file holds the Recycle Bin alone
        CHECK((m.Done(kCleaned) && m.Exists(kCloset) && m.Exists(kAllUsers)));
        inCloset.ends_with("\\") ? m.Folder(inCloset) : m.Put(inCloset, "old");
        m.Put(kDesk + "a.txt", "a");
        const std::string key = m.Get(kKeyFile);
        if (unlistable) m.os.faults.unlistable = {kAllUsers};
        CleanDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{unlistable ? ErrorReportText(75, "CleanDesktop")
                                                      : "Your default closet is not empty please do a restore first."});
        CHECK((m.Get(kKeyFile) == key && m.Contents(kDesk).contains("a.txt")));
        m.ui = {};
        RestoreDesktop(m.ctx);
        if (unlistable) {
            CHECK((m.ui.MessageTexts() == Texts{ErrorReportText(75, "RestoreDesktop")} && m.Exists(inCloset)));
            m.os.faults.unlistable.clear();
            RestoreDesktop(m.ctx);
        }
        CHECK((m.Done(kRestored) && m.Exists(back) && m.Contents(kCloset).empty() && m.Contents(kAllUsers).empty()));
    }
}

TEST_CASE("the key file edited between clean and restore: the files always come back unless it is unreadable") {
    const std::string told = " Some icon positions could not be read from the key file.",
                      other = " The key file named another closet folder; the one beside it was used.",
                      a = "\"a.txt\",500,600\r\n", kProgram = ClosetMachine::kProgram;
    const auto key = [](const std::string& line1, const std::string& password, const std::string& icons) {
        return line1 + "\r\n\r\n\r\n1024x768x32\r\n" + password + "\r\n" + icons;
    };
    const std::string damaged = "The closet key file is damaged, so nothing was moved. Your files are in \"" +
                                kCloset.substr(0, kCloset.size() - 1) + "\" and \"" +
                                kAllUsers.substr(0, kAllUsers.size() - 1) + "\".";
    // typed: the password typed when asked, "<cancel>" for Cancel, nullptr: not asked; done: the progress
    // window's last words, "" when the files stay in the closet.
    struct Row { std::string key; const char* typed; Texts messages; std::string done; };
    const Row rows[] = {
        // the icon part: damage costs only positions, and is told
        {key(kProgram, "", ""), nullptr, {}, kRestored}, // the desktop did not answer the clean
        {key(kProgram, "", a + "\r\n"), nullptr, {}, kRestored},
        {key(kProgram, "", a + "\"b.txt\",1x,5\r\n"), nullptr, {}, kRestored + told},
        {key(kProgram, "", a + "\"b.txt\""), nullptr, {}, kRestored + told},
        {key(kProgram, "", a + "\"b.txt\",40000,5\r\n"), nullptr, {}, kRestored + told},
        {key("c:\\program files\\stowly", "", a), nullptr, {}, kRestored},
        {key("E:\\OLD PLACE\\STOWLY\\", "", a), nullptr, {}, kRestored + other},
        {key("c:\\program files\\stowly2", "", a), nullptr, {}, kRestored + other},
        {key("closet\\", "", a), nullptr, {}, kRestored + other},
        {key("", "", a), nullptr, {}, kRestored + other},
        {key(kProgram + "..\\", "", a), nullptr, {}, kRestored + other},
        // the password: compared without regard to case, and nothing else
        {key(kProgram, "Secret pw", a), "sEcReT pw", {}, kRestored},
        {key(kProgram, "Secret pw", a), "Secret pw ", {"Invalide Password!"}, ""},
        {key(kProgram, "Secret pw", a), "<cancel>", {"Invalide Password!"}, ""},
        // a damaged header moves nothing and says where the files are
        {std::string("C:\\AP\0P\\\r\n\r\n\r\n1024x768x32\r\n\r\n", 29) + a, nullptr, {damaged}, ""},
        {"\"C:\\APP\\,\r\n\r\n\r\n1024x768x32\r\n\r\n" + a, nullptr, {damaged}, ""},
        {"C:\\APP\\\r\n\r\n", nullptr, {damaged}, ""},
        // a failure after every item moved: a sentence of the final message, and the journal goes
        {kProgram + "\r\nC:\\Pics\\sea.bmp\r\n99999\r\n1024x768x32\r\n\r\n" + a, nullptr, {},
         kRestored + " The icon positions and the wallpaper could not all be put back (error 6)."},
    };
    for (const Row& r : rows) {
        INFO(r.key.substr(0, 60) << ", typed " << (r.typed ? r.typed : "-"));
        ClosetMachine m;
        for (const char* name : {"a.txt", "b.txt"}) m.Put(kDesk + name, name);
        m.Put(kPublic + "s.lnk", "s");
        CleanDesktop(m.ctx);
        const Tree desk = m.Contents(kDesk), closet = m.Contents(kCloset);
        m.Put(kKeyFile, r.key);
        m.ui = {};
        if (r.typed) std::string(r.typed) == "<cancel>" ? m.ui.PushCancel() : m.ui.PushText(r.typed);
        RestoreDesktop(m.ctx);
        CHECK((m.ui.MessageTexts() == r.messages && !m.Exists(kProgram + "stowly.journal")));
        CHECK((!m.ui.shown.empty() && m.ui.shown[0].text == "Please enter the password:") == (r.typed != nullptr));
        if (r.done.empty()) {
            CHECK((m.Contents(kCloset) == closet && m.Contents(kDesk) == desk));
            continue;
        }
        CHECK((m.Done(r.done) && m.st.ClosetDirectory == kProgram));
        CHECK((m.Contents(kDesk) == Tree{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}} && m.Contents(kPublic).size() == 1));
        if (r.key.find(a) != std::string::npos) CHECK(m.IconPlaces()["a.txt"] == std::pair<int32_t, int32_t>{500, 600});
    }
}

TEST_CASE("the wallpaper is swapped and put back with the recorded style; a stale backup is never copied back") {
    ClosetMachine m;
    const std::string beach = "C:\\Pics\\sun, sea.bmp", clean = "C:\\Pics\\clean.bmp", other = "C:\\Pics\\other.bmp";
    for (const auto& pic : {beach, clean, other}) m.Put(pic, pic);
    m.os.wallpaper = beach;
    m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "WallpaperStyle", std::string("10"), true); // Fill
    m.os.RegWrite(RegRoot::CurrentUser, "Control Panel\\Desktop", "TileWallpaper", std::string("0"), true);
    m.st.settings.DefaultWindowsBackground = clean;
    m.st.settings.WallPaperStyle = 1;
    m.Put(kDesk + "a.txt", "a");
    m.os.faults.locked.insert(kBackup); // first a backup that fails: told, the wallpaper left as it is
    CleanDesktop(m.ctx);
    CHECK(m.Done(kCleaned + " The wallpaper could not be backed up, so it was left as it is."));
    CHECK((m.ui.MessageTexts().empty() && m.os.wallpaper == beach && m.Contents(kCloset) == Tree{{"a.txt", "a"}}));
    RestoreDesktop(m.ctx);
    m.os.faults.locked.clear();
    CleanDesktop(m.ctx);
    CHECK((m.Done(kCleaned) && m.os.wallpaper == clean && m.Get(kBackup) == beach && ReadCurrentWallpaper(m.os).style == "1 1"));
    m.Put(beach, "edited while the desktop was clean"); // never replaced by the backup
    RestoreDesktop(m.ctx);
    CHECK((m.Done(kRestored) && m.os.wallpaper == beach && ReadCurrentWallpaper(m.os).style == "10 0"));
    CHECK(m.Get(beach) == "edited while the desktop was clean"); // not the backup
    REQUIRE(m.Exists(kBackup)); // left behind: stale for the next clean
    // A clean without a swap makes no backup; the recorded wallpaper, or none, goes back over the user's later pick.
    m.st.settings.DefaultWindowsBackground = "";
    for (const std::string& recorded : {other, std::string()}) {
        m.os.wallpaper = recorded;
        CleanDesktop(m.ctx);
        CHECK_FALSE(m.Exists(kBackup));
        m.os.wallpaper = beach;
        m.Put(beach, "the user's new picture");
        RestoreDesktop(m.ctx);
        CHECK((m.os.wallpaper == recorded && m.Get(beach) == "the user's new picture"));
    }
    // The shell's own copy is rewritten (or dropped) at the swap: the picture comes back from a copy in the
    // program folder, and nothing is written into the shell's folder.
    const std::string shellCopy = "C:\\Users\\Sim\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper",
                      copy = ClosetMachine::kProgram + "StowlyWallpaper.jpg"s;
    m.st.settings.DefaultWindowsBackground = clean;
    for (bool dropped : {false, true}) {
        m.Put(shellCopy, "the user's picture");
        m.os.wallpaper = shellCopy;
        CleanDesktop(m.ctx);
        dropped ? (void)std::filesystem::remove(m.os.HostPath(shellCopy)) : m.Put(shellCopy, "the clean picture");
        m.os.changeLog.clear();
        RestoreDesktop(m.ctx);
        CHECK((m.Done(kRestored) && m.os.wallpaper == copy && m.Get(copy) == "the user's picture"));
        CHECK(std::none_of(m.os.changeLog.begin(), m.os.changeLog.end(),
                           [](const std::string& change) { return change.find("\\Themes\\") != std::string::npos; }));
    }
}

TEST_CASE("each monitor's picture and a slideshow come back; a background that is no picture file is left alone") {
    using Monitors = std::vector<MonitorWallpapers::Monitor>;
    const std::string beach = "C:\\Pics\\beach.jpg", hills = "C:\\Pics\\hills.jpg", record = kKeyFile + ".wallpaper",
                      spotlight = "C:\\Users\\Sim\\AppData\\Local\\Packages\\Microsoft.Windows."
                                  "ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets",
                      leftAlone = " The wallpaper was left as it is: it is not a picture file that can be put back (a "
                                  "solid colour or Windows Spotlight).";
    const auto two = [](const std::string& a, const std::string& b) {
        return Monitors{{"\\\\?\\DISPLAY#A", a}, {"\\\\?\\DISPLAY#B", b}};
    };
    const auto clean = [&](ClosetMachine& m, const MonitorWallpapers& before) {
        m.Put(kDesk + "a.txt", "a");
        m.Put("C:\\Pics\\clean.bmp", "clean");
        m.st.settings.DefaultWindowsBackground = "C:\\Pics\\clean.bmp";
        m.os.monitorWallpaperInterface = true;
        m.os.monitorWallpapers = before;
        m.os.wallpaper = before.monitors[0].picture;
        CleanDesktop(m.ctx);
    };
    struct Row { MonitorWallpapers before; std::string told; };
    const Row rows[] = {
        {{two(beach, hills), 3}, ""},
        {{two(beach, beach), 4, true, {"C:\\Pics"}, 600000, true}, ""},
        {{two(hills, hills), 5, true, {beach, hills}, 60000, false}, ""},
        {{two(spotlight + "\\a1b2", spotlight + "\\a1b2"), 4}, leftAlone},
        {{two(beach, beach), 4, true, {spotlight}, 60000, false}, leftAlone},
        {{two("", ""), 4}, leftAlone},
    };
    for (const Row& r : rows) {
        CAPTURE(r.before.monitors[0].picture);
        ClosetMachine m;
        clean(m, r.before);
        CHECK((m.Done(kCleaned + r.told) && (m.os.monitorWallpapers == r.before) == !r.told.empty()));
        RestoreDesktop(m.ctx);
        CHECK((m.Done(kRestored) && m.os.monitorWallpapers == r.before && !m.Exists(record)));
    }
    // A damaged record (another first line, cut off, a position unknown) is ignored: the key file's one
    // picture comes back on every monitor.
    for (auto [from, to] :
         {std::pair{"wallpaper 1"s, "wallpaper 2"s}, {"end\r\n", ""}, {"position\t3", "position\t6"}}) {
        ClosetMachine m;
        clean(m, {two(beach, hills), 3});
        std::string text = m.Get(record);
        m.Put(record, text.replace(text.find(from), from.size(), to));
        RestoreDesktop(m.ctx);
        CHECK((m.Done(kRestored) && m.os.monitorWallpapers.monitors == two(beach, beach) && !m.Exists(record)));
    }
}

TEST_CASE("a key file that cannot be written, or a desktop that cannot be listed (no empty one), is the program's "
          "error: nothing moves, and the progress window still ends") {
    for (int fault = 0; fault < 4; ++fault) {
        CAPTURE(fault);
        ClosetMachine m;
        m.Put(kDesk + "a.txt", "a");
        m.Put(kPublic + "s.lnk", "s");
        if (fault == 0) m.os.faults.diskFull = true;
        if (fault == 1) m.os.faults.locked.insert(kKeyFile);
        if (fault == 2) m.Put(kCloset.substr(0, kCloset.size() - 1), "a file named like the closet folder");
        if (fault == 3) m.os.faults.unlistable = {kDesk};
        CleanDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == Texts{ErrorReportText(fault == 3 ? 75 : err::PathFileAccess, "CleanDesktop")});
        CHECK((m.Done("An Error has occured.") && m.Contents(kDesk).size() == 1 && m.Contents(kPublic).size() == 1));
        if (fault < 3) CHECK_FALSE(m.Exists(kKeyFile));
    }
}

TEST_CASE("the wait for returned icons: late and trickling icons placed, about 15 s without one, no desktop no wait, "
          "hidden items not waited for") {
    struct Row { int delay, pollsBetween; bool running, placed; int minMs, maxMs; };
    for (const Row& r : {Row{3, 0, true, true, 0, 5000}, Row{1 << 30, 0, true, false, 30000, 35000}, // 15 s a desktop
                         Row{1 << 30, 0, false, false, 0, 5000}, // one new icon every fourth poll: past 15 s in all
                         Row{0, 4, true, true, 15000, 1 << 30}}) {
        INFO(r.delay << " ms, " << r.pollsBetween << " polls between, desktop " << r.running);
        ClosetMachine m;
        const int items = r.pollsBetween ? 60 : 2;
        for (int i = 0; i < items; ++i) m.Put(kDesk + "item " + std::to_string(1000 + i) + ".txt", "x");
        m.Put(kPublic + "shared.lnk", "s");
        const Places places = m.IconPlaces(true);
        CleanDesktop(m.ctx);
        // Messages run a few times a second, not for every key line and item; each desktop is counted.
        const std::string count = std::to_string(items) + " out of " + std::to_string(items);
        CHECK((m.ui.pumps < 30 && std::ranges::count(m.ui.countLabels, count) > 0));
        CHECK((m.ui.countLabels.back() == "1 out of 1" && m.ui.statusLabels.back() == "Cleaning File: shared.lnk"));
        m.Put(kCloset + ".hidden", "h"); // comes back too, but is never shown: not waited for
        m.os.itemShowDelay = r.delay;
        m.os.pollsBetweenItems = r.pollsBetween;
        m.os.desktopRunning = r.running;
        const uint64_t start = m.os.TickCountMs();
        m.ui.pumps = 0;
        RestoreDesktop(m.ctx);
        const uint64_t waited = m.os.TickCountMs() - start;
        CHECK((m.Done(kRestored) && m.Contents(kDesk).size() == static_cast<size_t>(items) + 1));
        if (r.placed) CHECK(m.IconPlaces() == places);
        CHECK((waited >= static_cast<uint64_t>(r.minMs) && waited < static_cast<uint64_t>(r.maxMs)));
        if (r.minMs >= 15000) CHECK(m.ui.pumps > 150);
    }
}

TEST_CASE("a desktop folder that is missing, relative or a drive root stops clean and restore before anything moves") {
    const std::string bads[] = {"", "C:\\", "C:", "Desktop", "\\\\server\\share", "\\\\server\\share\\",
                                "C:\\Users\\..\\..\\", "C:Desk", "\\Users\\Sim", "C:\\a\\..\\b", "\\\\?\\C:\\Users",
                                "C:/Users/Sim", "C:\\a\0b"s};
    for (const std::string& bad : bads) {
        for (bool user : {true, false}) {
            CAPTURE(bad + (user ? " (user)" : " (common)"));
            ClosetMachine m;
            m.Put(kDesk + "a.txt", "a");
            m.Put("C:\\root.txt", "r");
            (user ? m.st.UserDesktopFolder : m.st.CommonDesktopFolder) = bad;
            CleanDesktop(m.ctx);
            CHECK((m.ui.MessageTexts() == Texts{kNoDesktop} && !m.Exists(kKeyFile) && !m.Exists(kCloset) && m.Get("C:\\root.txt") == "r"));
            m.Reset();
            CleanDesktop(m.ctx);
            (user ? m.st.UserDesktopFolder : m.st.CommonDesktopFolder) = bad;
            m.ui = {};
            RestoreDesktop(m.ctx);
            CHECK((m.ui.MessageTexts() == Texts{kNoDesktop} && m.Contents(kCloset) == Tree{{"a.txt", "a"}}));
        }
    }
}

TEST_CASE("links move as links, on one volume or across two, and what they point to stays where it is") {
    namespace fs = std::filesystem;
    for (const std::string& program : {std::string(ClosetMachine::kProgram), std::string("D:\\STOWLY\\")}) {
        CAPTURE(program);
        ClosetMachine m;
        m.Start(program);
        m.Put("C:\\Data\\Projects\\plan.txt", "plan");
        m.Put("C:\\Data\\notes.txt", "notes");
        m.Put(kDesk + "a.txt", "a");
        const fs::path desk = m.os.HostPath(kDesk), closet = m.os.HostPath(program + "QuickClean");
        std::error_code noLinks; // Wine makes none: there the moves of links are left to the native run
        fs::create_directory_symlink(m.os.HostPath("C:\\Data\\Projects"), desk / "Projects", noLinks);
        if (noLinks) return;
        fs::create_symlink(m.os.HostPath("C:\\Data\\notes.txt"), desk / "notes.txt");
        fs::create_directory_symlink(desk, desk / "Loop"); // a link to the desktop itself
        const Tree data = m.Contents("C:\\Data\\");
        const auto links = [&](const fs::path& where) {
            return std::ranges::all_of(std::array{"Projects", "notes.txt", "Loop"},
                                       [&](const char* link) { return fs::is_symlink(fs::symlink_status(where / link)); });
        };
        CleanDesktop(m.ctx);
        CHECK((m.Done(kCleaned) && links(closet) && fs::read_symlink(closet / "Projects") == m.os.HostPath("C:\\Data\\Projects")));
        CHECK((m.Contents("C:\\Data\\") == data && m.Get(program + "QuickClean\\a.txt") == "a"));
        RestoreDesktop(m.ctx);
        CHECK((m.Done(kRestored) && links(desk) && m.Get(kDesk + "notes.txt") == "notes" && m.Get(kDesk + "a.txt") == "a"));
        CHECK((m.Contents("C:\\Data\\") == data && m.Contents(program + "QuickClean\\").empty()));
    }
}

TEST_CASE("across volumes the source is held still, the copy is on the disk before anything of the source goes, only "
          "what was checked goes, and every step after the copy is tried again") {
    namespace fs = std::filesystem;
    using Faults = std::vector<SimPlatform::Faults::Passing>;
    const std::string closet = "D:\\STOWLY\\QuickClean\\", journal = "D:\\STOWLY\\stowly.journal";
    const Tree moved{{"a.txt", "alpha"}, {"Tree", "/"}, {"Tree/inner", "/"}, {"Tree/inner/b.txt", "beta"}},
        treeLeft{{"Tree", "/"}, {"Tree/inner", "/"}, {"Tree/inner/b.txt", "beta"}};
    struct Row {
        const char* what;
        Faults clean, restore; // failures that pass
        std::function<void(ClosetMachine&)> hostile = {};
        Tree desk = {};             // what stays on the desktop after the clean
        std::string restored = kRestored;
    };
    const Row rows[] = {
        {"nothing", {}, {}},
        {"the rename aside", {{"MoveItem", "Desktop\\Tree", 2, winerr::Sharing}}, {}},
        {"the marking rename", {{"MoveItem", ".stowly-copying", 3}}, {}},
        {"a file's delete", {{"RemoveFile", "a.txt.stowly-moving", 3}}, {}},
        {"a folder's delete", {{"RemoveFolder", "Tree.stowly-moving", 2, winerr::Sharing}}, {}},
        {"the final rename", {}, {{"MoveItem", ".stowly-copied", 4}}},
        {"a failed copy's removal", {}, {{"CopyOneFile", "inner\\b.txt", 1}, {"RemoveFolder", "Tree.stowly-copying\\inner", 2}},
         {}, {}, kRestored + " 1 item could not be moved."},
        {"a final rename that never works", {}, {{"MoveItem", "a.txt.stowly-copied", 1000}}, {}, {},
         kRestored + " One item is still under a working name: \"" + kDesk + "a.txt.stowly-copied\". "
                     "Stowly will offer to finish moving it at its next start."},
        {"a file open elsewhere holds its folder where it is", {}, {},
         [](ClosetMachine& m) { m.os.faults.inUse.insert(kDesk + "Tree\\inner\\b.txt"); }, treeLeft},
        {"a file saved after the check, with the same size, keeps its folder where it is", {}, {},
         [](ClosetMachine& m) {
             m.os.beforeChange = [&m, done = false](const std::string& what) mutable {
                 if (done || !what.ends_with("Tree.stowly-copied write-through")) return;
                 done = true;
                 const std::string saved = kDesk + "Tree.stowly-moving\\inner\\b.txt";
                 m.Put(saved, "BETA"); // a later time than the copy's, whatever the host's clock resolution
                 fs::last_write_time(m.os.HostPath(saved), fs::last_write_time(m.os.HostPath(saved)) + std::chrono::seconds(5));
             };
         },
         {{"Tree", "/"}, {"Tree/inner", "/"}, {"Tree/inner/b.txt", "BETA"}}},
        {"read-only folders move and stay read-only", {}, {},
         [](ClosetMachine& m) {
             for (const char* folder : {"Tree", "Tree\\inner"})
                 fs::permissions(m.os.HostPath(kDesk + folder), fs::perms::owner_write, fs::perm_options::remove);
         }},
    };
    for (const Row& r : rows) {
        CAPTURE(std::string(r.what));
        ClosetMachine m;
        m.Start("D:\\STOWLY\\");
        m.Put(kDesk + "a.txt", "alpha");
        m.Put(kDesk + "Tree\\inner\\b.txt", "beta");
        if (r.hostile) r.hostile(m);
        const bool readOnly = m.os.Attributes(kDesk + "Tree\\inner").readOnly;
        if (r.what[0] == 'r' && !readOnly) continue; // a host without read-only folders (Wine) leaves it to the native run
        m.os.faults.passing = r.clean;
        CleanDesktop(m.ctx);
        CHECK(m.Done(kCleaned + (r.desk.empty() ? "" : " 1 item could not be moved.")));
        CHECK((m.Contents(kDesk) == r.desk && m.Contents(closet) == (r.desk.empty() ? moved : Tree{{"a.txt", "alpha"}})));
        // Every copied file is written to the disk before its item's copy is marked whole,
        // with a rename written through, and nothing of a source goes before that.
        std::set<std::string> unflushed, marked;
        for (const std::string& call : m.os.changeLog) {
            const size_t moving = call.find(".stowly-moving");
            if (call.starts_with("CopyOneFile ")) unflushed.insert(call.substr(12));
            if (call.starts_with("FlushItem ")) unflushed.erase(call.substr(10));
            if (call.ends_with(".stowly-copied write-through")) {
                CHECK(unflushed.empty());
                marked.insert(call.substr(call.rfind('\\') + 1));
            }
            if (call.starts_with("Remove") && moving != std::string::npos) {
                const std::string item = call.substr(0, moving);
                CHECK(marked.count(item.substr(item.rfind('\\') + 1) + ".stowly-copied write-through"));
            }
        }
        CHECK(marked.size() == 1u + (r.desk != treeLeft)); // an open file keeps Tree from being copied
        m.os.faults = {.passing = r.restore};
        m.os.beforeChange = {};
        fs::remove_all(m.os.HostPath(kDesk + "Tree")); // what stayed, out of the restore's way
        const Tree cleaned = m.Contents(closet);
        RestoreDesktop(m.ctx);
        CHECK(m.Done(r.restored));
        m.os.faults.passing.clear(); // what did not move is finished by the next start, or the next restore
        m.ui.Push(Answer::Yes);
        m.Exists(journal) ? OfferToFinishInterrupted(m.ctx) : RestoreDesktop(m.ctx);
        CHECK((m.Contents(kDesk) == cleaned && m.Contents(closet).empty() && !m.Exists(journal)));
        CHECK(m.os.Attributes(kDesk + "Tree\\inner").readOnly == readOnly);
    }
}

TEST_CASE("while another copy cleans or restores, nothing moves, nothing is asked and a stopped run waits; it is finished before another") {
    ClosetMachine m;
    for (const char* name : {"a.txt", "b.txt"}) m.Put(kDesk + name, name);
    CHECK(m.StoppedAt(6, &CleanDesktop)); // after the journal, before the last move
    REQUIRE(m.Exists(ClosetMachine::kProgram + std::string("stowly.journal")));
    m.os.anotherCopyOperating = true;
    const Tree all = m.Contents("C:\\");
    const Texts busy{"Stowly is already cleaning or restoring the desktop.  Please try again when it has finished."};
    for (auto [run, said] :
         {std::pair{&CleanDesktop, busy}, {&RestoreDesktop, busy}, {&OfferToFinishInterrupted, Texts{}}}) {
        m.Answering(Answer::Yes);
        run(m.ctx);
        CHECK((m.ui.MessageTexts() == said && m.Contents("C:\\") == all));
    }
    // A clean or restore of this copy would replace the stopped run's journal: the run is
    // offered first, No moves nothing, Yes finishes it and the command goes on.
    m.os.anotherCopyOperating = false;
    const Texts asked{"Stowly was stopped before it finished cleaning your desktop.  Would you like to finish it now?"};
    for (Answer answer : {Answer::No, Answer::Yes}) {
        m.Answering(answer);
        RestoreDesktop(m.ctx);
        CHECK(m.ui.MessageTexts() == (answer == Answer::No ? asked : Texts{asked[0], kCleaned}));
    }
    CHECK((m.Done(kRestored) && m.Contents(kDesk) == Tree{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}));
}

TEST_CASE("closet name: cut before the first .qvr in any case; a name without it gets its own folder") {
    for (auto [keyFile, name] : {std::pair{"QuickClean.qvr", "QuickClean"}, {"Work.QvR", "Work"}, {"a.qvr.bak", "a"},
                                 {"Desk", "Desk Closet"}, {".qvr", ".qvr Closet"},
                                 {"r\xC3\xA9sum\xC3\xA9.Qvr", "r\xC3\xA9sum\xC3\xA9"}}) {
        CHECK(ClosetName(keyFile) == name);
    }
}

TEST_CASE("key file bytes: header quoted only where needed, icon names trimmed and quoted; icons read while whole") {
    std::vector<IconRecord> icons{{"  My Computer ", -12, 300}, {"Report, final.docx", 0, 2147483647}};
    CHECK(KeyFileText({"C:\\APP\\", "C:\\Pics\\sea.bmp", "2", "1024x768x32", ""}, icons) ==
          "C:\\APP\\\r\nC:\\Pics\\sea.bmp\r\n2\r\n1024x768x32\r\n\r\n"
          "\"My Computer\",-12,300\r\n\"Report, final.docx\",0,2147483647\r\n");
    CHECK(KeyFileText({"C:\\Sun, Sea\\", "C:\\Pics\\a,b.bmp", "0", "800x600", " pass word "}, {}) ==
          "\"C:\\Sun, Sea\\\"\r\n\"C:\\Pics\\a,b.bmp\"\r\n0\r\n800x600\r\n\" pass word \"\r\n");
    // Icon lines count as far as they are whole; what a restore makes of them is the table above's.
    const std::string header = "C:\\APP\\\r\n\r\n\r\n1024x768\r\n\r\n";
    std::string many = header;
    for (int i = 0; i < 32768; ++i) many += "\"a\",1,2\r\n";
    struct Row { std::string text; size_t icons; bool damaged; };
    const Row rows[] = {
        {header + "\"a\",1,2\r\n\r\n\r\n", 1, false}, {header + "\"a\",1,99999999999\r\n", 0, true},
        {header + "\"a\",1,2\r\n\"b\",x,2\r\n\"c\",1,2\r\n", 1, true},
        {header + "\"a\",1,2\r\n\"b,1,2\r\n", 1, true}, // a quote left open ends the icons
        {many, 32767, true},
        // from a writer that does not quote: the comma shifts every later value
        {"C:\\APP\\\r\nC:\\a,b.bmp\r\n2\r\n1024x768\r\n\r\n\"a\",1,2\r\n", 0, true},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text.substr(0, 80));
        KeyFileContent content;
        CHECK((ErrorOf([&] { content = ParseKeyFile(r.text); }) == 0 && content.icons.size() == r.icons && content.iconsDamaged == r.damaged));
    }
}

TEST_CASE("a taken name gets the next free number, the Explorer way") {
    ClosetMachine m;
    for (const char* name : {"Report.docx", "Report (2).docx", "README", ".profile"}) m.Put(std::string("C:\\To\\") + name, "x");
    m.Folder("C:\\To\\Folder.v1");
    for (auto [name, isFolder, expected] : {std::tuple{"new.txt", false, "new.txt"}, {"REPORT.DOCX", false, "REPORT (3).DOCX"},
                                            {"README", false, "README (2)"}, {".profile", false, ".profile (2)"},
                                            {"Folder.v1", true, "Folder.v1 (2)"}}) {
        CHECK(FreeDestination(m.os, "C:\\To", name, isFolder) == std::string("C:\\To\\") + expected);
    }
}

TEST_CASE("A recorded style line goes back as written: two numbers exactly, an older single one by its number") {
    // WallpaperStyle is "9" before each case: single styles other than 0 to 2 leave it alone.
    const struct { const char* path; const char* line; const char* after; } rows[] = {
        {"C:\\a.bmp", "0", "0 0"},  {"C:\\a.bmp", "1", "1 1"},      {"C:\\a.bmp", "2", "2 0"},    {"C:\\a.bmp", "7", "9 0"},
        {"C:\\a.bmp", "-1", "9 0"}, {"C:\\a.bmp", " 3x", "9 0"},    {"", "2", "2 0"},              {"C:\\a.bmp", "10 0", "10 0"},
        {"C:\\a.bmp", "0 1", "0 1"}, {"C:\\a.bmp", "10 0 1", "9 0"}, {"C:\\a.bmp", "22 x", "9 0"},
    };
    for (const auto& r : rows) {
        CAPTURE(std::string(r.line));
        SimMachine m;
        m.os.wallpaper = "C:\\old.bmp";
        m.os.RegWrite(RegRoot::CurrentUser, kDeskKey, "WallpaperStyle", std::string("9"), false);
        CHECK(SetRecordedWallpaper(m.os, r.path, r.line));
        const WallpaperSetting current = ReadCurrentWallpaper(m.os);
        CHECK((current.style == r.after && current.path == r.path && m.os.wallpaper == r.path));
    }
    // The style as decimal text, whatever its registry type.
    const std::pair<RegData, const char*> types[] = {
        {std::string("10\0junk", 7), "10"}, {int32_t{-1}, "-1"}, {RegData{}, ""}};
    for (const auto& [stored, text] : types) {
        SimMachine m;
        if (text[0]) m.os.RegWrite(RegRoot::CurrentUser, kDeskKey, "WallpaperStyle", stored, false);
        CHECK(ReadCurrentWallpaper(m.os).style == text);
    }
}

TEST_CASE("a synced desktop's items go to a closet inside its sync root by rename and come back with a quick "
          "restore; cloud files are never copied across volumes") {
    ClosetMachine m;
    const std::string root = "C:\\Users\\Sim", synced = root + "\\Stowly Closet\\QuickClean";
    m.os.syncRoots = {root};
    for (const char* name : {"a.txt", "Online.docx", "Dir\\b.txt"}) m.Put(kDesk + name, name);
    m.os.cloudFiles = {kDesk + std::string("Online.docx")};
    m.Put(kPublic + "Shared.lnk", "shared");
    const Tree desk = m.Contents(kDesk);
    CleanDesktop(m.ctx);
    CHECK(m.Done(kCleaned + " Your desktop is synced, so its items also left the desktop on your other computers: they "
                            "are in \"" + synced + "\"."));
    CHECK((m.Contents(synced) == desk && m.Contents(kCloset).empty() && m.Contents(kAllUsers).size() == 1));
    CHECK(m.os.Attributes(synced + "\\Online.docx").cloudFile); // renamed, not copied
    CHECK(m.Get(kKeyFile + std::string(".synced")) == synced + "\r\n");
    m.Reset(); // a later start: only the files beside the key file know
    CleanDesktop(m.ctx);
    CHECK(m.ui.MessageTexts().back() == kClosetNotEmpty);
    RestoreDesktop(m.ctx);
    CHECK((m.Done(kRestored) && m.Contents(kDesk) == desk && m.Contents(synced).empty()));
    CHECK_FALSE(m.Exists(kKeyFile + std::string(".synced")));

    // Not synced, and the closet on another volume: the cloud file stays, told.
    m.os.syncRoots.clear();
    m.Start("D:\\Stowly\\");
    CleanDesktop(m.ctx);
    CHECK(m.Done(kCleaned + " 1 item stayed where it was: it holds cloud files, which cannot be copied out of their "
                            "synced folder."));
    CHECK(m.Contents(kDesk) == Tree{{"Online.docx", "Online.docx"}});
}
