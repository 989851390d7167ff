// The portable INI reader and writer against the system's own profile functions, on the same files.
#include <doctest/doctest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "settings/IniFile.h"
#include "support/TestDir.h"
#include "support/Utf16File.h"

using namespace stowly;

namespace {

std::string ApiGet(const std::string& file, const char* section, const char* key) {
    char buf[255];
    return std::string(buf, GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str()));
}

// The section names of the file (no section given) or the key names of a section, in file order.
std::vector<std::string> ApiNames(const std::string& file, const char* section = nullptr) {
    std::vector<char> buf(8192);
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::string> names;
    for (size_t i = 0; i < n; i += names.back().size() + 1) names.emplace_back(buf.data() + i);
    return names;
}

// A file of its own for each case: the profile functions keep files they have read.
std::string CaseFile(const test::TestDir& dir, const char* stem, size_t i) {
    return dir.path().string() + "\\" + stem + std::to_string(i) + ".ini";
}

// Every section, key and value in order, as the profile functions read them (or `ini` the values).
std::string Dump(const std::string& file, const IniFile* ini = nullptr) {
    std::string dump;
    for (const auto& section : ApiNames(file)) {
        dump += "[" + section + "]\n";
        for (const auto& key : ApiNames(file, section.c_str()))
            dump += key + "=" + (ini ? ini->Get(section, key, 255) : ApiGet(file, section.c_str(), key.c_str())) + "\n";
    }
    return dump;
}

} // namespace

TEST_CASE("IniFile reads what GetPrivateProfileStringA reads") {
    const std::string big(300, 'L');
    // Each file is compared whole, and then by the key asked for.
    const struct { const char* name; std::string text; const char* section; const char* key; } cases[] = {
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
    test::TestDir dir;
    Win32Platform os;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::string file = CaseFile(dir, "read", i);
        CAPTURE(c.name);
        REQUIRE(os.WriteFile(file, c.text) == 0);
        auto ini = LoadIniFile(os, file);
        REQUIRE(ini);
        CHECK(ini->Get(c.section, c.key, 255) == os.AnsiToUtf8(ApiGet(file, c.section, c.key)));
        CHECK(Dump(file, &*ini) == os.AnsiToUtf8(Dump(file)));
    }
    // A missing file is an empty document, so the first run can write one.
    auto none = LoadIniFile(os, dir.path().string() + "\\missing.ini");
    CHECK((none && none->Text().empty()));
}

TEST_CASE("IniFile writes what WritePrivateProfileStringA writes") {
    // Each write is section, key, value; text nullptr: no file yet.
    const struct { const char* name; const char* text; std::vector<std::array<const char*, 3>> writes; } cases[] = {
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
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::string api = CaseFile(dir, "api", i), ours = CaseFile(dir, "ours", i);
        CAPTURE(c.name);
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
