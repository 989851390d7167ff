// The Win32 backend against the real system: files, moves on one volume and across,
// the registry, addresses, the prompts, and the settings file against the system's
// own profile functions.
#include <sstream>
#include <thread>

#include "WineHarness.h"
#include "closet/ShellOps.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Ui.h"
#include "settings/IniFile.h"
#include "settings/Registry.h"
#include "support/FilesContract.h"
#include "support/TestDir.h"
#include "support/Utf16File.h"

using namespace stowly;
using namespace stowly::wine;
using Files = std::map<std::string, std::string>;

namespace {

// Everything under a folder, hidden entries included: relative path -> bytes ("/" for a folder).
Files Snapshot(const std::string& folder) {
    Files files;
    for (const auto& [path, content] : Contents(fs::path(Widen(folder)))) files[Narrow(path)] = content;
    return files;
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

} // namespace

TEST_CASE("Win32 files follow the program's listing and file rules") {
    test::TestDir dir;
    Win32Platform os;
    test::CheckFileContract(os, dir.path().string(), [](const std::string& path) {
        REQUIRE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
        return path;
    });
}

TEST_CASE("Win32: system entries are left out; long and network paths; one copy in the prefix; web addresses only") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string();
    REQUIRE(os.WriteFile(root + "\\desktop.ini", "[.ShellClassInfo]") == 0);
    REQUIRE(SetFileAttributesW(Widen(root + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_SYSTEM));
    CHECK(std::ranges::count(test::Names(os.List(root + "\\", true)), "desktop.ini") == 0);
    for (const auto& e : os.ListAll(root)) CHECK(e.system == (e.name == "desktop.ini"));

    const std::wstring n260(260, L'n');
    const std::pair<std::wstring, std::wstring> paths[] = {
        {L"C:\\short\\a.txt", L"C:\\short\\a.txt"}, {L"\\\\server\\share\\a.txt", L"\\\\server\\share\\a.txt"},
        {L"C:\\" + n260, L"\\\\?\\C:\\" + n260}, {L"\\\\server\\share\\" + n260, L"\\\\?\\UNC\\server\\share\\" + n260},
        {L"\\\\?\\C:\\" + n260, L"\\\\?\\C:\\" + n260}, {L"relative\\" + n260, L"relative\\" + n260}};
    for (const auto& [path, extended] : paths) CHECK_MESSAGE(ExtendedPath(path) == extended, Narrow(path.substr(0, 24)));

    Win32Platform second; // one copy in the prefix
    CHECK(os.ClaimSingleInstance());
    CHECK_FALSE(second.ClaimSingleInstance());
    for (std::string target : {"C:\\windows\\system32\\notepad.exe", "file:///C:/windows/win.ini", "notepad.exe", "",
                               "javascript:alert(1)"})
        CHECK_MESSAGE(!os.OpenUrl(target), target); // web addresses only
}

TEST_CASE("Items move whole, on one volume and across (a copy at a time), and nothing is replaced") {
    const std::string greek = "\xce\xa3\xcf\x87\xce\xad\xce\xb4\xce\xb9\xce\xbf\xf0\x9f\x93\x81"; // and one outside the BMP
    for (bool across : {false, true}) { // /dev/shm is another file system than the prefix's drive C:
        CAPTURE(across);
        Win32Platform os;
        test::TestDir dir;
        const std::string to = dir.path().string() + "\\To",
                          from = across ? "Z:\\dev\\shm\\stowly-move-" + std::to_string(GetCurrentProcessId())
                                        : dir.path().string() + "\\From";
        fs::remove_all(fs::path(Widen(from))); // Wine reuses process ids: a failed run's leftover
        REQUIRE((os.CreateFolder(from) && os.CreateFolder(to) && os.CreateFolder(from + "\\Tree")));
        REQUIRE(os.WriteFile(from + "\\a.txt", "alpha") + os.WriteFile(from + "\\Tree\\" + greek + ".txt", "deep") == 0);
        if (across) CHECK(os.MoveItem(from + "\\a.txt", to + "\\a.txt") == winerr::NotSameDevice); // and changes nothing
        CHECK(PerformShellAction(os, from + "\\a.txt", to) + PerformShellAction(os, from + "\\Tree", to) == 0);
        CHECK(Snapshot(from).empty());
        Files arrived{{"a.txt", "alpha"}, {"Tree", "/"}, {"Tree\\" + greek + ".txt", "deep"}};
        CHECK(Snapshot(to) == arrived);

        REQUIRE(os.WriteFile(from + "\\b.txt", "new") + os.WriteFile(to + "\\b.txt", "old") == 0);
        REQUIRE((os.CreateFolder(from + "\\Tree") && os.WriteFile(from + "\\Tree\\other.txt", "other") == 0));
        CHECK(os.MoveItem(from + "\\b.txt", to + "\\B.TXT") != 0);
        CHECK(os.MoveItem(from + "\\Tree", to + "\\Tree") != 0);
        CHECK(PerformShellAction(os, from + "\\b.txt", to) + PerformShellAction(os, from + "\\Tree", to) == 0);
        CHECK(PerformShellAction(os, from + "\\missing", to) != 0);
        CHECK(Snapshot(from).empty());
        arrived.insert({{"b.txt", "old"}, {"b (2).txt", "new"}, {"Tree (2)", "/"}, {"Tree (2)\\other.txt", "other"}});
        CHECK(Snapshot(to) == arrived); // and no working copy left behind
        fs::remove_all(fs::path(Widen(from)));
    }
}

TEST_CASE("Registry round trips under HKCU and HKLM") {
    Win32Platform os;
    for (const auto& [root, key] : {std::pair{RegRoot::CurrentUser, "Software\\StowlyTest"},
                                    std::pair{RegRoot::LocalMachine, "SOFTWARE\\StowlyTest"}}) {
        CAPTURE(key);
        REQUIRE(os.RegWrite(root, key, "Seed", std::string("s"), true) == 0);
        SetRegKeyValue(os, root, key, "Text", std::string("C:\\Stowly\\stowly.exe"), kRegSz);
        CHECK(QueryRegKeyValue(os, root, key, "text") == RegData(std::string("C:\\Stowly\\stowly.exe") + '\0'));
        SetRegKeyValue(os, root, key, "Number", std::string(" -7 "), kRegDword);
        RegData kept = std::string("kept");
        CHECK(ReadRegValue({os, root, key}, "Missing", kept) == ERROR_FILE_NOT_FOUND);
        CHECK(kept == RegData(std::string("kept")));
        DeleteRegValue(os, root, key, "Missing");
        DeleteRegValue(os, root, key, "Text");
        CHECK(QueryRegKeyValue(os, root, key, "Text") == RegData{});
        CHECK(QueryRegKeyValue(os, root, key, "Number") == RegData(int32_t{-7}));
        SetRegKeyValue(os, root, key + std::string("\\Missing"), "Text", std::string("x"), kRegSz); // makes no key
        CHECK(os.RegWrite(root, key + std::string("\\Missing"), "Other", std::string("x"), false) != 0);
        RegDeleteTreeW(root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, Widen(key).c_str());
    }
}

TEST_CASE("A message box answers with the button pressed") {
    Win32Ui ui;
    const std::tuple<MsgButtons, int, stowly::Answer> rows[] = {
        {MsgButtons::YesNo, IDYES, stowly::Answer::Yes}, {MsgButtons::YesNo, IDNO, stowly::Answer::No},
        {MsgButtons::OkCancel, IDCANCEL, stowly::Answer::Cancel}, {MsgButtons::Ok, IDOK, stowly::Answer::Ok}};
    for (const auto& [buttons, press, expected] : rows) {
        std::wstring seen = L"no box";
        std::thread driver([&, press = press] { // a person answering
            if (HWND box = WaitDialog(GetCurrentProcessId(), L"Stowly"))
                seen = Text(GetDlgItem(box, 0xFFFF)), Click(GetDlgItem(box, press));
        });
        const stowly::Answer answer = ui.Message("Overwrite \"a.dpf\"?", "", buttons, MsgIcon::Question);
        driver.join();
        CHECK(seen == L"Overwrite \"a.dpf\"?");
        CHECK(answer == expected);
    }
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
        {"case of section and key, first of two equal keys", "[prefs]\r\nkEY=1\r\nKEY=2\r\n", "PREFS", "Key"},
        {"blanks around the asked names", "[PREFS]\r\nKey=v\r\n", " PREFS ", " Key "},
        {"missing key, line without equals sign", "[PREFS]\r\nOther=1\r\nKey\r\n", "PREFS", "Key"},
        {"missing section, key before any section", "Key=1\r\n[OTHER]\r\nKey=1\r\n", "PREFS", "Key"},
        {"key of the next section", "[PREFS]\r\n[OTHER]\r\nKey=1\r\n", "PREFS", "Key"},
        {"blank lines and comments", "\r\n; c\r\n[PREFS]\r\n\r\n;Key=1\r\nKey=3\r\n", "PREFS", "Key"},
        {"a longer key of the same start", "[PREFS]\r\nFavoriteLocation00=x\r\n", "PREFS", "FavoriteLocation0"},
        {"only the first of two equal sections", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b"},
        {"blanks inside the brackets, text after them", "[ PREFS ] ; prefs\r\nKey=1\r\n", "PREFS", "Key"},
        {"LF line ends, none at the end", "[PREFS]\nA=1\nKey=2", "PREFS", "Key"},
        // Notepad's "Unicode" and "Unicode big endian"
        {"UTF-16 LE", test::Utf16File(u"[PREFS]\r\nA=1\r\nKey= M\u00FCde \r\n[Other]\r\nx=y\r\n", false), "PREFS", "Key"},
        {"UTF-16 BE", test::Utf16File(u"[PREFS]\r\nKey=\"caf\u00E9\"\r\n", true), "PREFS", "Key"},
    };
    // Each write is section, key, value; text nullptr: no file yet.
    const struct { const char* name; const char* text; std::vector<std::array<const char*, 3>> writes; } writes[] = {
        {"new file", nullptr, {{"PREFS", "MinSystemTray", " 1"}, {"PREFS", "RunOnStartUP", " 0"}}},
        {"existing key in place", "[prefs]\r\nmin=0\r\nOther=x\r\n", {{"PREFS", "Min", " 1"}, {"PREFS", "New", "n"}}},
        {"new keys after the section's keys, others kept", "[Top]\r\na=1\r\n\r\n[PREFS]\r\nx=1\r\n\r\n[End]\r\n",
         {{"PREFS", "y", "2"}, {"PREFS", "z", "3"}, {"PREFS", "x", "4"}}},
        {"new section at the end", "[A]\r\nx=1\r\n", {{"B", "y", "2"}, {"A", "z", "3"}}},
        {"value with surrounding blanks", "[A]\r\n", {{"A", "sp", "  sp  "}, {"A", "q", "\"  q  \""}}},
        {"comments and semicolons", "; head\r\n[A]\r\n;note\r\nx=1\r\n", {{"A", "x", "a;b"}, {"A", "y", ";c"}}},
        {"long value", "[A]\r\n", {{"A", "long", "0123456789012345678901234567890123456789"}}},
    };
    test::TestDir dir;
    Win32Platform os;
    // A file of its own for each case: the profile functions keep files they have read.
    const auto file = [&](const char* stem, size_t i) { return dir.path().string() + "\\" + stem + std::to_string(i) + ".ini"; };
    for (size_t i = 0; i < std::size(reads); ++i) {
        const auto& c = reads[i];
        INFO(c.name);
        REQUIRE(os.WriteFile(file("read", i), c.text) == 0);
        auto ini = LoadIniFile(os, file("read", i));
        REQUIRE(ini);
        CHECK(ini->Get(c.section, c.key, 255) == os.AnsiToUtf8(Api(file("read", i), c.section, c.key)));
        CHECK(Dump(file("read", i), &*ini) == os.AnsiToUtf8(Dump(file("read", i))));
    }
    auto none = LoadIniFile(os, dir.path().string() + "\\missing.ini"); // an empty document: the first run writes one
    CHECK((none && none->Text().empty()));
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
        auto back = LoadIniFile(os, api);
        REQUIRE(back);
        CHECK(Dump(ours) == Dump(api));
        CHECK(Dump(api, &*back) == Dump(api));
    }
}
