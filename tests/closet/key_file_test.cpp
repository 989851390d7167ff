#include <doctest/doctest.h>

#include "closet/KeyFile.h"
#include "core/Error.h"
#include "support/ErrorOf.h"
#include "support/SimMachine.h"

using namespace stowly;
using stowly::test::ErrorOf;

TEST_CASE("closet name: cut before the first .qvr in any case; a name without it gets its own folder") {
    for (auto [keyFile, name] : {std::pair{"QuickClean.qvr", "QuickClean"}, {"Work.QvR", "Work"}, {"a.qvr.bak", "a"},
                                 {"Desk", "Desk Closet"}, {".qvr", ".qvr Closet"},
                                 {"r\xC3\xA9sum\xC3\xA9.Qvr", "r\xC3\xA9sum\xC3\xA9"}}) {
        CAPTURE(keyFile);
        CHECK(ClosetName(keyFile) == name);
    }
}

TEST_CASE("key file bytes: header lines quoted only where needed, quoted trimmed icon names, CR LF after every line") {
    std::vector<IconRecord> icons{{"  My Computer ", -12, 300}, {"Report, final.docx", 0, 2147483647}};
    CHECK(KeyFileText({"C:\\APP\\", "C:\\Pics\\sea.bmp", "2", "1024x768x32", ""}, icons) ==
          "C:\\APP\\\r\nC:\\Pics\\sea.bmp\r\n2\r\n1024x768x32\r\n\r\n"
          "\"My Computer\",-12,300\r\n\"Report, final.docx\",0,2147483647\r\n");
    KeyFileHeader h{"C:\\Sun, Sea\\", "C:\\Pics\\a,b.bmp", "0", "800x600", " pass word "};
    const std::string text = KeyFileText(h, {});
    CHECK(text == "\"C:\\Sun, Sea\\\"\r\n\"C:\\Pics\\a,b.bmp\"\r\n0\r\n800x600\r\n\" pass word \"\r\n");
    KeyFileContent back = ParseKeyFile(text + "\"a\",5,-7");
    CHECK((back.header.closetDirectory == h.closetDirectory && back.header.wallpaper == h.wallpaper &&
           back.header.password == h.password && back.header.screenSize == "800x600"));
    REQUIRE(back.icons.size() == 1);
    CHECK((back.icons[0].Name == "a" && back.icons[0].X == 5 && back.icons[0].Y == -7));
}

// What a restore makes of these is checked in clean_restore_test; here, how far the icons count.
TEST_CASE("key file reader: icon lines count as far as they are whole") {
    const std::string header = "C:\\APP\\\r\n\r\n\r\n1024x768\r\n\r\n";
    std::string many = header;
    for (int i = 0; i < 32768; ++i) many += "\"a\",1,2\r\n";
    struct Row { std::string text; size_t icons; bool damaged; };
    const Row rows[] = {
        {header + "\"a\",1,2\r\n\r\n\r\n", 1, false},
        {header + "\"a\",1,2\r\n\"b\",x,2\r\n\"c\",1,2\r\n", 1, true},
        {header + "\"a\",1,99999999999\r\n", 0, true},
        {header + "\"a\",1,2\r\n\"b,1,2\r\n", 1, true}, // a quote left open ends the icons
        {many, 32767, true},
        // from a writer that does not quote: the comma shifts every later value
        {"C:\\APP\\\r\nC:\\a,b.bmp\r\n2\r\n1024x768\r\n\r\n\"a\",1,2\r\n", 0, true},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text.substr(0, 80));
        KeyFileContent content;
        CHECK(ErrorOf([&] { content = ParseKeyFile(r.text); }) == 0);
        CHECK((content.icons.size() == r.icons && content.iconsDamaged == r.damaged));
    }
    stowly::test::SimMachine m;
    CHECK(ErrorOf([&] { ReadKeyFile(m.os, "C:\\Missing.qvr"); }) == err::FileNotFound);
}
