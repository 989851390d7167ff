// The portable INI reader and writer against the system's own profile functions,
// on the same files.
#include <doctest/doctest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "settings/IniFile.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

std::string ApiGet(const std::string& file, const char* section, const char* key) {
    char buf[255];
    std::fill(std::begin(buf), std::end(buf), ' ');
    DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str());
    return std::string(buf, n);
}

// The key names of a section in file order, as the profile functions list them.
std::vector<std::string> ApiKeys(const std::string& file, const char* section) {
    std::vector<char> buf(8192);
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::string> keys;
    for (size_t i = 0; i < n; i += keys.back().size() + 1) keys.emplace_back(buf.data() + i);
    return keys;
}

std::vector<std::string> ApiSections(const std::string& file) {
    std::vector<char> buf(8192);
    DWORD n = GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::string> names;
    for (size_t i = 0; i < n; i += names.back().size() + 1) names.emplace_back(buf.data() + i);
    return names;
}

// A file of its own for each case: the profile functions keep files they have read.
std::string CaseFile(const test::TestDir& dir, const char* stem, size_t index) {
    return dir.path().string() + "\\" + stem + std::to_string(index) + ".ini";
}

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

} // namespace

TEST_CASE("IniFile reads what GetPrivateProfileStringA reads") {
    const std::string longValue(300, 'L');
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
    };
    const Case cases[] = {
        {"plain", "[PREFS]\r\nKey=value\r\n", "PREFS", "Key"},
        {"case of section and key", "[prefs]\r\nkEY=v\r\n", "PREFS", "Key"},
        {"blanks around name and value", "[PREFS]\r\n  Key  =   a b   \r\n", "PREFS", "Key"},
        {"tabs around the value", "[PREFS]\r\nKey=\tv\t\r\n", "PREFS", "Key"},
        {"blanks around the asked names", "[PREFS]\r\nKey=v\r\n", " PREFS ", " Key "},
        {"double quotes keep inner blanks", "[PREFS]\r\nKey=\"  a  \"\r\n", "PREFS", "Key"},
        {"single quotes", "[PREFS]\r\nKey='x'\r\n", "PREFS", "Key"},
        {"one pair of quotes only", "[PREFS]\r\nKey=\"\"a\"\"\r\n", "PREFS", "Key"},
        {"empty quotes", "[PREFS]\r\nKey=\"\"\r\n", "PREFS", "Key"},
        {"lone quote", "[PREFS]\r\nKey=\"half\r\n", "PREFS", "Key"},
        {"mismatched quotes", "[PREFS]\r\nKey=\"a'\r\n", "PREFS", "Key"},
        {"semicolon inside the value", "[PREFS]\r\nKey=a;b ; c\r\n", "PREFS", "Key"},
        {"equals sign inside the value", "[PREFS]\r\nKey=a=b\r\n", "PREFS", "Key"},
        {"missing key", "[PREFS]\r\nOther=1\r\n", "PREFS", "Key"},
        {"missing section", "[OTHER]\r\nKey=1\r\n", "PREFS", "Key"},
        {"key of the next section", "[PREFS]\r\n[OTHER]\r\nKey=1\r\n", "PREFS", "Key"},
        {"key before any section", "Key=1\r\n[PREFS]\r\n", "PREFS", "Key"},
        {"line without equals sign", "[PREFS]\r\nKey\r\n", "PREFS", "Key"},
        {"commented-out key", "[PREFS]\r\n;Key=1\r\n", "PREFS", "Key"},
        {"first of two equal keys", "[PREFS]\r\nkey=1\r\nKEY=2\r\n", "PREFS", "Key"},
        {"only the first of two equal sections", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b"},
        {"blanks inside the brackets", "[ PREFS ]\r\nKey=1\r\n", "PREFS", "Key"},
        {"quoted value of 300 characters", "[PREFS]\r\nKey=\"" + longValue + "\"\r\n", "PREFS", "Key"},
        {"text after the bracket", "[PREFS] ; prefs\r\nKey=1\r\n", "PREFS", "Key"},
        {"LF line ends", "[PREFS]\nA=1\nKey=2\n", "PREFS", "Key"},
        {"no line end at the end", "[PREFS]\r\nKey=2", "PREFS", "Key"},
        {"blank lines and comments", "\r\n; c\r\n[PREFS]\r\n\r\n;x\r\nKey=3\r\n", "PREFS", "Key"},
        {"favourite index 4", "[PREFS]\r\nFavoriteLocation4=x\r\n", "PREFS", "FavoriteLocation0"},
        {"leading zero", "[PREFS]\r\nFavoriteLocation00=x\r\n", "PREFS", "FavoriteLocation0"},
        {"number with a blank", "[PREFS]\r\nMinSystemTray= 1\r\n", "PREFS", "MinSystemTray"},
        {"Latin-1 letters", "[PREFS]\r\nKey=M\xFC" "de \xE9t\xE9\r\n", "PREFS", "Key"},
        {"300 characters", "[PREFS]\r\nKey=" + longValue + "\r\n", "PREFS", "Key"},
        {"300 characters and more keys", "[PREFS]\r\nKey=" + longValue + "\r\nNext=n\r\n", "PREFS", "Next"},
    };
    test::TestDir dir;
    Win32Platform os;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string name = c.name, file = CaseFile(dir, "read", i);
        CAPTURE(name);
        REQUIRE(os.WriteFile(file, c.text) == 0);
        auto ini = LoadIniFile(os, file);
        REQUIRE(ini);
        CHECK(ini->Get(c.section, c.key, 255) == os.AnsiToUtf8(ApiGet(file, c.section, c.key)));
    }
    // Missing file: nothing, like the profile function.
    const std::string missing = dir.path().string() + "\\missing.ini";
    CHECK(ApiGet(missing, "PREFS", "Key") == "");
    auto none = LoadIniFile(os, missing);
    REQUIRE(none);
    CHECK(none->Get("PREFS", "Key", 255) == "");
}

TEST_CASE("IniFile writes what WritePrivateProfileStringA writes") {
    struct Case {
        const char* name;
        const char* text; // nullptr: no file yet
        std::vector<Write> writes;
    };
    const Case cases[] = {
        {"new file", nullptr, {{"PREFS", "MinSystemTray", " 1"}, {"PREFS", "RunOnStartUP", " 0"}}},
        {"existing key keeps spelling and place",
         "[prefs]\r\nminsystemtray=0\r\nOther=x\r\n",
         {{"PREFS", "MinSystemTray", " 1"}, {"PREFS", "New", "n"}}},
        {"new keys after the section's keys, other sections kept",
         "[Top]\r\na=1\r\n\r\n[PREFS]\r\nx=1\r\n\r\n[Bottom]\r\nb=2\r\n",
         {{"PREFS", "y", "2"}, {"PREFS", "z", "3"}, {"PREFS", "x", "4"}}},
        {"new section at the end", "[A]\r\nx=1\r\n", {{"B", "y", "2"}, {"A", "z", "3"}}},
        {"value with surrounding blanks", "[A]\r\n", {{"A", "sp", "  sp  "}, {"A", "q", "\"  q  \""}}},
        {"comments and semicolons", "; head\r\n[A]\r\n;note\r\nx=1\r\n", {{"A", "x", "a;b"}, {"A", "y", ";c"}}},
        {"long value", "[A]\r\n", {{"A", "long", "0123456789012345678901234567890123456789"}}},
    };
    test::TestDir dir;
    Win32Platform os;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string name = c.name, api = CaseFile(dir, "api", i), ours = CaseFile(dir, "ours", i);
        CAPTURE(name);
        if (c.text) {
            REQUIRE(os.WriteFile(api, c.text) == 0);
            REQUIRE(os.WriteFile(ours, c.text) == 0);
        }
        auto ini = LoadIniFile(os, ours);
        REQUIRE(ini);
        for (const auto& w : c.writes) {
            WritePrivateProfileStringA(w.section, w.key, w.value, api.c_str());
            ini->Set(w.section, w.key, w.value);
        }
        REQUIRE(SaveIniFile(os, ours, *ini) == 0);

        auto back = LoadIniFile(os, api);
        REQUIRE(back);
        CHECK(ApiSections(ours) == ApiSections(api));
        for (const auto& section : ApiSections(api)) {
            CAPTURE(section);
            CHECK(ApiKeys(ours, section.c_str()) == ApiKeys(api, section.c_str()));
            for (const auto& key : ApiKeys(api, section.c_str())) {
                CAPTURE(key);
                CHECK(ApiGet(ours, section.c_str(), key.c_str()) == ApiGet(api, section.c_str(), key.c_str()));
                CHECK(back->Get(section, key, 255) == ApiGet(api, section.c_str(), key.c_str()));
            }
        }
        auto written = os.ReadFile(ours, nullptr);
        REQUIRE(written);
        CHECK(written->ends_with("\r\n"));
        for (size_t i = written->find('\n'); i != std::string::npos; i = written->find('\n', i + 1))
            CHECK((*written)[i - 1] == '\r');
    }
}
