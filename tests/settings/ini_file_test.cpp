// Reading is checked against the profile functions in tests/wine/ini_profile_api_test.cpp.
#include <doctest/doctest.h>

#include "settings/IniFile.h"

using namespace stowly;

TEST_CASE("IniFile cuts values to the buffer by character") {
    IniFile ini("[S]\r\nk=\"abcdef\"\r\nu=\xC3\xA9\xC3\xA9\xC3\xA9\r\n");
    CHECK(ini.Get("S", "k", 4) == "abc");
    CHECK(ini.Get("S", "u", 3) == "\xC3\xA9\xC3\xA9");
    CHECK(ini.Get("S", "k", 1) == "");
}

TEST_CASE("IniFile writes like the profile functions and keeps everything else") {
    const struct { const char* name; const char* before; const char* section; const char* key; const char* value;
                   const char* after; } cases[] = {
        {"existing key keeps spelling and place", "[prefs]\r\nmykey=old\r\nother=x\r\n", "PREFS", "MyKey", "new",
         "[prefs]\r\nmykey=new\r\nother=x\r\n"},
        {"new key after the section's last key", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"new key into an empty section", "[A]\r\n[B]\r\ny=2\r\n", "A", "z", "3", "[A]\r\nz=3\r\n[B]\r\ny=2\r\n"},
        {"new section at the end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
        {"new section after a blank line", "[A]\r\nx=1\r\n\r\n", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
        {"value stored as given", "[A]\r\n", "A", "x", " 1", "[A]\r\nx= 1\r\n"},
        {"same value keeps the line as it was", "[A]\r\n  x = 1 \r\n", "A", "X", "1", "[A]\r\n  x = 1 \r\n"},
        {"line without equals sign gets one", "[A]\r\nx\r\n", "A", "x", "1", "[A]\r\nx=1\r\n"},
        {"comments kept", "; top\r\n[A]\r\n;note\r\nx=1\r\n; tail\r\n", "A", "x", "2",
         "; top\r\n[A]\r\n;note\r\nx=2\r\n; tail\r\n"},
        {"LF line ends become CR LF", "[A]\nx=1\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        IniFile ini(c.before);
        CHECK(ini.Set(c.section, c.key, c.value));
        CHECK(ini.Text() == c.after);
    }
}

TEST_CASE("IniFile refuses a line break that would write lines of its own") {
    const std::string before = "[PREFS]\r\nx=1\r\n";
    const struct { const char* section; const char* key; const char* value; } cases[] = {
        {"PREFS", "x", "a\r\n[Other]\r\ny=2"}, {"PREFS", "x", "a\nb"}, {"PREFS", "x", "a\r"},
        {"PREFS", "new\r\nkey", "1"},         {"New\nSection", "k", "1"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.value);
        IniFile ini(before);
        CHECK_FALSE(ini.Set(c.section, c.key, c.value));
        CHECK(ini.Text() == before);
    }
}
