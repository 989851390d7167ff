// The Win32 backend against the real system: files and paths, moves on one volume and
// across, quick clean and restore across volumes, and the settings file against the
// system's own profile functions.
#include <sstream>
#include <thread>

#include "WineHarness.h"
#include "closet/CleanRestore.h"
#include "closet/ShellOps.h"
#include "platform/Text.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"
#include "settings/IniFile.h"
#include "support/TestDir.h"
#include "support/Utf16File.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

// Entry names sorted, a folder's with a backslash after it.
std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + (e.isFolder ? "\\" : ""));
    std::ranges::sort(names);
    return names;
}

// What the profile functions give: a value, or the names of the sections (no section
// given) or of a section's keys (no key given), each ended by a NUL.
std::string Api(const std::string& file, const char* section, const char* key) {
    std::vector<char> buf(8192);
    return {buf.data(), GetPrivateProfileStringA(section, key, "", buf.data(), key ? 255 : 8192, file.c_str())};
}

// Every section, key and value in order, as the profile functions read them (or `ini` the values).
std::string Dump(const std::string& file, const IniFile* ini = nullptr) {
    std::string dump, section, key;
    for (std::istringstream sections(Api(file, nullptr, nullptr)); std::getline(sections, section, '\0');) {
        dump += "[" + section + "]\n";
        for (std::istringstream keys(Api(file, section.c_str(), nullptr)); std::getline(keys, key, '\0');)
            dump += key + "=" + (ini ? ini->Get(section, key, 255) : Api(file, section.c_str(), key.c_str())) + "\n";
    }
    return dump;
}

// Where two trees differ, a path a line: "+" only in `got`, "-" only in `want`, "~" changed.
std::string Differences(const Tree& want, const Tree& got) {
    std::string text;
    for (const auto& [path, content] : got)
        if (auto w = want.find(path); w == want.end() || w->second != content)
            text += (w == want.end() ? "+" : "~") + Narrow(path) + "\n";
    for (const auto& entry : want)
        if (!got.contains(entry.first)) text += "-" + Narrow(entry.first) + "\n";
    return text;
}

} // namespace

TEST_CASE("Win32 files: listings leave out hidden and system entries, whole-file writes, copies and wide names; long "
          "and network paths get the long form") {
    test::TestDir dir;
    Win32Platform os;
    using Listed = std::vector<std::string>;
    const std::string r = dir.path().string() + "\\", secret = r + "secret.txt", ini = r + "desktop.ini";
    REQUIRE(os.WriteFile(r + "a.txt", "alpha") + os.WriteFile(r + "b.dpf", "beta") + os.WriteFile(secret, "hidden") +
                os.WriteFile(ini, "[.Shell]") == 0);
    REQUIRE((os.CreateFolder(r + "Sub") && os.WriteFile(r + "Sub\\inner.txt", "inner") == 0));
    REQUIRE((SetFileAttributesW(Widen(secret).c_str(), FILE_ATTRIBUTE_HIDDEN) &&
             SetFileAttributesW(Widen(ini).c_str(), FILE_ATTRIBUTE_SYSTEM)));
    SUBCASE("listings: folders only when asked for; everything says what is hidden or system; patterns, single entries") {
        CHECK((Names(os.List(r, false)) == Listed{"a.txt", "b.dpf"} && Names(os.List(r, true)) == Listed{"Sub\\", "a.txt", "b.dpf"}));
        const auto all = os.ListAll(dir.path().string());
        CHECK((Names(all) == Listed{"Sub\\", "a.txt", "b.dpf", "desktop.ini", "secret.txt"} && os.ListAll(r + "missing").empty()));
        for (const auto& e : all) CHECK((e.hidden == (r + e.name == secret) && e.system == (r + e.name == ini)));
        CHECK((Names(os.List(r + "*.DPF", false)) == Listed{"b.dpf"} && Names(os.List(r + "A.TXT", false)) == Listed{"a.txt"}));
        CHECK((os.List(r + "Sub", false).empty() && Names(os.List(r + "Sub", true)) == Listed{"Sub\\"}));
        CHECK((os.List(secret, false).empty() && os.List(r + "missing\\", true).empty()));
        CHECK((os.Attributes(secret).hidden && os.Attributes(r + "Sub").isFolder && !os.Attributes(r + "nothing").exists));
    }
    SUBCASE("whole-file writes replace; reads tell missing file from missing folder") {
        REQUIRE(os.WriteFile(r + "a.txt", "second") == 0);
        CHECK(os.ReadFile(r + "a.txt", nullptr) == std::optional<std::string>("second"));
        int error = 0;
        CHECK((!os.ReadFile(r + "none.txt", &error) && error == 53));
        CHECK((!os.ReadFile(r + "nowhere\\none.txt", &error) && error == 76));
        CHECK(os.WriteFile(r + "nowhere\\x.txt", "x") != 0);
        CHECK(Names(os.List(r, false)) == Listed{"a.txt", "b.dpf"}); // no temporary left
    }
    SUBCASE("copy, delete and folders are safe to repeat") {
        CHECK((os.CopyOneFile(r + "a.txt", r + "b.dpf") == 0 && os.ReadFile(r + "b.dpf", nullptr) == std::optional<std::string>("alpha")));
        CHECK((os.RemoveFile(r + "b.dpf") == 0 && os.RemoveFile(r + "b.dpf") == 0));
        CHECK((!os.CreateFolder(r + "Sub") && !os.CreateFolder(r + "x\\y") && os.CopyOneFile(r + "none", r + "c.txt") != 0));
    }
    SUBCASE("text outside the ANSI code page has no ANSI form") { // such names as files: the item moves below
        CHECK((!os.Utf8ToAnsi("\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2") && os.Utf8ToAnsi("caf\xC3\xA9") == std::optional<std::string>("caf\xE9")));
        CHECK((os.AnsiToUtf8("caf\xE9") == "caf\xC3\xA9" && !os.Utf8ToAnsi("caf\xC3" "A"))); // broken UTF-8 is no character at all
    }
    const std::wstring n260(260, L'n');
    const std::pair<std::wstring, std::wstring> paths[] = {
        {L"C:\\short\\a.txt", L"\\\\?\\C:\\short\\a.txt"}, {L"C:\\a\\\\b\\", L"\\\\?\\C:\\a\\b\\"},
        {L"\\\\server\\share\\a.txt", L"\\\\?\\UNC\\server\\share\\a.txt"}, {L"C:\\a\\..\\b", L"C:\\a\\..\\b"},
        {L"C:\\" + n260, L"\\\\?\\C:\\" + n260}, {L"\\\\server\\share\\" + n260, L"\\\\?\\UNC\\server\\share\\" + n260},
        {L"\\\\?\\C:\\" + n260, L"\\\\?\\C:\\" + n260}, {L"relative\\" + n260, L"relative\\" + n260}};
    for (const auto& [path, extended] : paths) CHECK_MESSAGE(ExtendedPath(path) == extended, Narrow(path));
}

TEST_CASE("Items move whole under their own names, or the next free one; nothing is replaced") { // across volumes: below
    Win32Platform os;
    test::TestDir dir;
    const std::string to = dir.path().string() + "\\To", from = dir.path().string() + "\\From";
    REQUIRE((os.CreateFolder(from) && os.CreateFolder(to)));
    // Names Windows changes unless told, and one beyond 16 bits (U+1F4C1).
    for (const std::string name : {"trail.", "space ", "CON", "nul.txt", "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf\xf0\x9f\x93\x81.txt"}) {
        REQUIRE(os.WriteFile(from + "\\" + name, name) == 0);
        CHECK(PerformShellAction(os, from + "\\" + name, to) == 0);
        CHECK((std::ranges::count(Names(os.ListAll(to)), name) == 1 && os.ReadFile(to + "\\" + name, nullptr) == name));
        CHECK(RemoveTree(os, to + "\\" + name) == 0); // std::filesystem could not remove it
    }
    REQUIRE((os.CreateFolder(from + "\\Tree") && os.CreateFolder(to + "\\Tree")));
    REQUIRE(os.WriteFile(from + "\\b.txt", "new") + os.WriteFile(to + "\\b.txt", "old") +
                os.WriteFile(from + "\\Tree\\other.txt", "other") == 0);
    FileAttributes readOnly;
    readOnly.readOnly = true;
    REQUIRE(os.SetAttributes(from + "\\b.txt", readOnly) == 0); // Wine keeps no read-only folders
    CHECK(os.MoveItem(from + "\\b.txt", to + "\\B.TXT") != 0);
    CHECK(os.MoveItem(from + "\\Tree", to + "\\Tree") != 0);
    CHECK(PerformShellAction(os, from + "\\b.txt", to) + PerformShellAction(os, from + "\\Tree", to) == 0);
    CHECK(PerformShellAction(os, from + "\\missing", to) != 0);
    CHECK((fs::is_empty(Widen(from)) && os.Attributes(to + "\\b (2).txt").readOnly && os.SetAttributes(to + "\\b (2).txt", {}) == 0));
    CHECK(Contents(Widen(to)) == Tree{{L"b.txt", "old"}, {L"b (2).txt", "new"}, {L"Tree", "/"}, {L"Tree (2)", "/"},
                                      {L"Tree (2)\\other.txt", "other"}}); // and no working copy left behind
}

TEST_CASE("Quick cleans and restores with the program folder on another volume, while files are held for moments, "
          "bring every item back as it was and leave no working copy and no journal") {
    test::TestDir dir; // the desktops, on drive C:
    const fs::path user = dir.path() / L"user", common = dir.path() / L"common",
                   program = L"Z:\\dev\\shm\\stowly-cycles-" + std::to_wstring(GetCurrentProcessId());
    Win32Platform os;
    RemoveTree(os, Narrow(program.wstring())); // Wine reuses process ids: a failed run's leftover, read-only file and all
    fs::create_directories(program);
    // 300 items, a tenth on the shared desktop, every 25th a folder with a file and an empty folder inside.
    Tree mine{{L"\u03a3\u03c7\u03ad\u03b4\u03b9\u03bf", "greek"}}, shared;
    for (int i = 0; i < 299; ++i) {
        Tree& desk = i % 10 == 9 ? shared : mine;
        const std::wstring name = L"Item " + std::to_wstring(i);
        if (i % 25 == 3) desk.insert({{name, "/"}, {name + L"\\Empty", "/"}, {name + L"\\in.txt", std::to_string(i)}});
        else desk[name + L".txt"] = std::string(i * 97 % 3000, static_cast<char>('a' + i % 26));
    }
    for (const auto& [folder, desk] : {std::pair{user, mine}, {common, shared}})
        for (const auto& [path, content] : desk)
            content == "/" ? (void)fs::create_directories(folder / path) : test::WriteHostFile(folder / path, content);
    const fs::path readOnly = user / L"Item 1.txt"; // copied with its mark, and the source deleted all the same
    REQUIRE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    // How the desktops and the closet folders differ from a cleaned or a restored desktop, and a journal left.
    const auto differences = [&](bool clean) {
        std::string text = fs::exists(program / L"stowly.journal") ? "a journal\n" : "";
        for (const auto& [folder, want] : {std::pair{user, clean ? Tree{} : mine}, {common, clean ? Tree{} : shared},
                                           {program / L"QuickClean", clean ? mine : Tree{}}, {program / L"AllUsers", clean ? shared : Tree{}}})
            if (const std::string d = Differences(want, Contents(folder)); !d.empty()) text += Narrow(folder.wstring()) + ":\n" + d;
        return text;
    };

    ScriptedUi ui;
    const std::string folder = UpperCase(Narrow(program.wstring())) + "\\"; // as start-up has it
    AppState st{.ProgramFolder = folder, .UserDesktopFolder = Narrow(user.wstring()),
                .CommonDesktopFolder = Narrow(common.wstring()),
                .ClosetDirectory = folder, .ClosetKeyFile = "QuickClean.qvr"};
    Context ctx{os, ui, st};
    REQUIRE(os.MoveItem(st.UserDesktopFolder + "\\Item 0.txt", st.ProgramFolder + "x") == winerr::NotSameDevice);
    // Something that opens every entry it finds for a moment, as a virus scanner or the shell does with fresh
    // files: a rename or delete of an entry it holds fails meanwhile.
    std::jthread scanner([&](std::stop_token stop) {
        for (std::error_code ec; !stop.stop_requested(); Sleep(1))
            for (const fs::path& root : {user, common, program})
                for (auto e = fs::recursive_directory_iterator(root, ec); !ec && e != fs::end(e); e.increment(ec))
                    if (FileHandle held{CreateFileW(e->path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)})
                        Sleep(1);
    });
    for (int cycle = 1; cycle <= 3; ++cycle) {
        INFO("cycle ", cycle);
        CleanDesktop(ctx);
        CHECK(ui.progressMessage == "Your Desktop has been cleaned.");
        CHECK(differences(true) == "");
        RestoreDesktop(ctx);
        CHECK(ui.progressMessage == "Your Icons have been restored.");
        CHECK(differences(false) == "");
    }
    CHECK(ui.MessageTexts().empty());
    CHECK((GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    scanner.request_stop();
    scanner.join();
    RemoveTree(os, Narrow(program.wstring()));
}

TEST_CASE("The settings file reads and writes what the system's profile functions read and write") {
    const std::string big(300, 'L');
    // Each file is compared whole, and then by the key asked for.
    const struct { const char* name; std::string text; const char* section; const char* key; } reads[] = {
        {"shapes of values", "[PREFS]\r\nPlain=value\r\n  Blanks  =   a b   \r\nTabs=\tv\t\r\nDouble=\"  a  \"\r\n"
         "Single='x'\r\nTwice=\"\"a\"\"\r\nEmpty=\"\"\r\nLone=\"half\r\nQuote=\"\r\nMixed=\"a'\r\nSemi=a;b ; c\r\n"
         "Equals=a=b\r\nLatin=M\xFC" "de \xE9t\xE9\r\nBlank= 1\r\nLong=" + big + "\r\nQuotedLong=\"" + big +
             "\"\r\nNext=n\r\n",
         "PREFS", "Next"},
        {"asked names' case and blanks, first of equal keys", "[prefs]\r\nkEY=1\r\nKEY=2\r\n", " PREFS ", " Key "},
        {"a key before any section, a longer key, comments, a line without equals sign, the next section",
         "Key=1\r\n\r\n; c\r\n[PREFS]\r\nKeys=x\r\n;Key=1\r\nKey\r\n[OTHER]\r\nKey=1\r\n", "PREFS", "Key"},
        {"blanks in the brackets, a second equal section, LF line ends, none at the end",
         "[ PREFS ] ; prefs\nA=1\n[prefs]\nKey=2", "PREFS", "Key"},
        // Notepad's "Unicode" and "Unicode big endian"
        {"UTF-16 LE", test::Utf16File(u"[PREFS]\r\nKey= M\u00FCde \r\n[Other]\r\nx=y\r\n", false), "PREFS", "Key"},
        {"UTF-16 BE", test::Utf16File(u"[PREFS]\r\nKey=\"caf\u00E9\"\r\n", true), "PREFS", "Key"},
    };
    // Each write is section, key, value; text nullptr: no file yet.
    const struct { const char* name; const char* text; std::vector<std::array<const char*, 3>> writes; } writes[] = {
        {"new file", nullptr, {{"PREFS", "MinSystemTray", " 1"}, {"PREFS", "RunOnStartUP", " 0"}}},
        {"existing key in place, new keys after the section's keys, a new section at the end",
         "[prefs]\r\nmin=0\r\n\r\n[End]\r\n", {{"PREFS", "Min", " 1"}, {"PREFS", "New", "n"}, {"B", "y", "2"}}},
        {"blanks, quotes and semicolons", "; head\r\n[A]\r\n;note\r\nx=1\r\n",
         {{"A", "sp", "  sp  "}, {"A", "q", "\"  q  \""}, {"A", "x", "a;b"}}},
    };
    test::TestDir dir;
    Win32Platform os;
    // A file of its own for each case: the profile functions keep files they have read.
    const auto file = [&](const char* s, size_t i) { return (dir.path() / s).string() + std::to_string(i) + ".ini"; };
    for (size_t i = 0; i < std::size(reads); ++i) {
        const auto& c = reads[i];
        INFO(c.name);
        REQUIRE(os.WriteFile(file("read", i), c.text) == 0);
        auto ini = LoadIniFile(os, file("read", i));
        REQUIRE(ini);
        CHECK(ini->Get(c.section, c.key, 255) == os.AnsiToUtf8(Api(file("read", i), c.section, c.key)));
        CHECK(Dump(file("read", i), &*ini) == os.AnsiToUtf8(Dump(file("read", i))));
    }
    for (size_t i = 0; i < std::size(writes); ++i) {
        const auto& c = writes[i];
        const std::string api = file("api", i), ours = file("ours", i);
        INFO(c.name);
        if (c.text) REQUIRE((os.WriteFile(api, c.text) == 0 && os.WriteFile(ours, c.text) == 0));
        auto ini = LoadIniFile(os, ours);
        REQUIRE(ini);
        for (auto [section, key, value] : c.writes) {
            WritePrivateProfileStringA(section, key, value, api.c_str());
            ini->Set(section, key, value);
        }
        REQUIRE(SaveIniFile(os, ours, *ini) == 0);
        CHECK(Dump(ours) == Dump(api));
    }
}
