#include <doctest/doctest.h>

#include "settings/IniFile.h"

using namespace stowly;

namespace {

struct ReadCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::string expected;
};

struct WriteCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

} // namespace

TEST_CASE("IniFile reads values as the profile functions give them") {
    const ReadCase cases[] = {
        {"plain", "[PREFS]\r\nKey=value\r\n", "PREFS", "Key", "value"},
        {"section and key in any case", "[prefs]\r\nkEY=v\r\n", "PREFS", "Key", "v"},
        {"blanks around name and value", "[PREFS]\r\n  Key  =   a b   \r\n", "PREFS", "Key", "a b"},
        {"tabs around the value", "[PREFS]\r\nKey=\tv\t\r\n", "PREFS", "Key", "v"},
        {"blanks around the asked names", "[PREFS]\r\nKey=v\r\n", " PREFS ", " Key ", "v"},
        {"double quotes keep inner blanks", "[PREFS]\r\nKey=\"  a  \"\r\n", "PREFS", "Key", "  a  "},
        {"single quotes", "[PREFS]\r\nKey='x'\r\n", "PREFS", "Key", "x"},
        {"one pair of quotes only", "[PREFS]\r\nKey=\"\"a\"\"\r\n", "PREFS", "Key", "\"a\""},
        {"empty quotes", "[PREFS]\r\nKey=\"\"\r\n", "PREFS", "Key", ""},
        {"lone quote stays", "[PREFS]\r\nKey=\"half\r\n", "PREFS", "Key", "\"half"},
        {"a single quote character", "[PREFS]\r\nKey=\"\r\n", "PREFS", "Key", "\""},
        {"mismatched quotes stay", "[PREFS]\r\nKey=\"a'\r\n", "PREFS", "Key", "\"a'"},
        {"semicolon is no comment", "[PREFS]\r\nKey=a;b ; c\r\n", "PREFS", "Key", "a;b ; c"},
        {"equals sign inside the value", "[PREFS]\r\nKey=a=b\r\n", "PREFS", "Key", "a=b"},
        {"missing key", "[PREFS]\r\nOther=1\r\n", "PREFS", "Key", ""},
        {"missing section", "[OTHER]\r\nKey=1\r\n", "PREFS", "Key", ""},
        {"key of the next section", "[PREFS]\r\n[OTHER]\r\nKey=1\r\n", "PREFS", "Key", ""},
        {"key before any section", "Key=1\r\n[PREFS]\r\n", "PREFS", "Key", ""},
        {"line without equals sign", "[PREFS]\r\nKey\r\n", "PREFS", "Key", ""},
        {"commented-out key", "[PREFS]\r\n;Key=1\r\n", "PREFS", "Key", ""},
        {"first of two equal keys", "[PREFS]\r\nkey=1\r\nKEY=2\r\n", "PREFS", "Key", "1"},
        {"only the first of two equal sections", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", ""},
        {"blanks inside the brackets", "[ PREFS ]\r\nKey=1\r\n", "PREFS", "Key", "1"},
        {"text after the bracket", "[PREFS] ; prefs\r\nKey=1\r\n", "PREFS", "Key", "1"},
        {"LF line ends", "[PREFS]\nA=1\nKey=2\n", "PREFS", "Key", "2"},
        {"no line end at the end", "[PREFS]\r\nKey=2", "PREFS", "Key", "2"},
        {"blank lines and comments between", "\r\n; c\r\n[PREFS]\r\n\r\n;x\r\nKey=3\r\n", "PREFS", "Key", "3"},
        {"empty key name", "[PREFS]\r\n=1\r\n", "PREFS", "", ""},
        {"300 characters cut to 254", "[PREFS]\r\nKey=", "PREFS", "Key", std::string(254, 'x')},
    };
    for (const auto& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        std::string text = c.text;
        if (c.expected.size() == 254) text += std::string(300, 'x') + "\r\n";
        CHECK(IniFile(text).Get(c.section, c.key, 255) == c.expected);
    }
}

TEST_CASE("IniFile cuts values to the buffer by character") {
    IniFile ini("[S]\r\nk=abcdef\r\nq=\"abcdef\"\r\nu=\xC3\xA9\xC3\xA9\xC3\xA9\r\n");
    CHECK(ini.Get("S", "k", 4) == "abc");
    CHECK(ini.Get("S", "q", 4) == "abc");
    CHECK(ini.Get("S", "u", 3) == "\xC3\xA9\xC3\xA9");
    CHECK(ini.Get("S", "k", 1) == "");
    CHECK(ini.Get("S", "k", 0) == "");
}

TEST_CASE("IniFile writes like the profile functions and keeps everything else") {
    const WriteCase cases[] = {
        {"into an empty file", "", "PREFS", "A", "1", "[PREFS]\r\nA=1\r\n"},
        {"existing key keeps spelling and place", "[prefs]\r\nmykey=old\r\nother=x\r\n", "PREFS", "MyKey", "new",
         "[prefs]\r\nmykey=new\r\nother=x\r\n"},
        {"new key after the section's last key", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"new key into an empty section", "[A]\r\n[B]\r\ny=2\r\n", "A", "z", "3", "[A]\r\nz=3\r\n[B]\r\ny=2\r\n"},
        {"new section at the end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
        {"new section after a blank line", "[A]\r\nx=1\r\n\r\n", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
        {"value stored as given", "[A]\r\n", "A", "x", " 1", "[A]\r\nx= 1\r\n"},
        {"quotes stored as given", "[A]\r\n", "A", "x", "\"  q  \"", "[A]\r\nx=\"  q  \"\r\n"},
        {"same value keeps the line as it was", "[A]\r\n  x = 1 \r\n", "A", "X", "1", "[A]\r\n  x = 1 \r\n"},
        {"line without equals sign gets one", "[A]\r\nx\r\n", "A", "x", "1", "[A]\r\nx=1\r\n"},
        {"comments and other sections kept", "; top\r\n[B]\r\nx=1\r\n[A]\r\n;note\r\nx=1\r\n; tail\r\n", "A", "x",
         "2", "; top\r\n[B]\r\nx=1\r\n[A]\r\n;note\r\nx=2\r\n; tail\r\n"},
        {"LF line ends become CR LF", "[A]\nx=1\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"empty value", "[A]\r\nx=1\r\n", "A", "x", "", "[A]\r\nx=\r\n"},
    };
    for (const auto& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        IniFile ini(c.before);
        ini.Set(c.section, c.key, c.value);
        CHECK(ini.Text() == c.after);
    }
}

TEST_CASE("IniFile reads back what it wrote") {
    IniFile ini;
    ini.Set("PREFS", "Path", "C:\\My Pictures\\a;b.bmp");
    ini.Set("PREFS", "Quoted", "\"  a  \"");
    ini.Set("PREFS", "Blank", "   ");
    IniFile again(ini.Text());
    CHECK(again.Get("prefs", "path", 255) == "C:\\My Pictures\\a;b.bmp");
    CHECK(again.Get("PREFS", "Quoted", 255) == "  a  ");
    CHECK(again.Get("PREFS", "Blank", 255) == "");
}
