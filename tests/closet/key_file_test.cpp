#include <doctest/doctest.h>

#include "ClosetMachine.h"
#include "closet/KeyFile.h"
#include "core/Error.h"
#include "support/ErrorOf.h"
#include "support/Utf16File.h"

using namespace stowly;
using namespace std::string_literals;
using stowly::test::ClosetMachine;
using stowly::test::ErrorOf;

TEST_CASE("closet name: cut before the first .qvr in any case; a name without it gets its own folder") {
    for (auto [keyFile, name] : {std::pair{"QuickClean.qvr", "QuickClean"}, {"Work.QvR", "Work"}, {"a.qvr.bak", "a"},
                                 {"Desk", "Desk Closet"}, {".qvr", ".qvr Closet"},
                                 {"r\xC3\xA9sum\xC3\xA9.Qvr", "r\xC3\xA9sum\xC3\xA9"}}) {
        CAPTURE(std::string(keyFile));
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

TEST_CASE("key file readers: a cut-off header fails; icon lines count as far as they are whole") {
    const std::string header = "C:\\APP\\\r\n\r\n\r\n1024x768\r\n\r\n";
    struct Row { std::string text; int error; size_t icons; bool damaged; };
    const Row rows[] = {
        {header + "\"a\",1,2\r\n", 0, 1, false},
        {header, 0, 0, false}, // the desktop did not answer during the clean
        {header + "\"a\",1,2\r\n\r\n\r\n", 0, 1, false},
        {"C:\\APP\\\r\n\r\n", err::InputPastEnd, 0, false},
        {header + "\"a\",1,2\r\n\"b\",x,2\r\n\"c\",1,2\r\n", 0, 1, true},
        {header + "\"a\",1,99999999999\r\n", 0, 0, true},
        {header + "\"a\",1,2\r\n\"b\",1", 0, 1, true},
        // from a writer that does not quote: the comma shifts every later value
        {"C:\\APP\\\r\nC:\\a,b.bmp\r\n2\r\n1024x768\r\n\r\n\"a\",1,2\r\n", 0, 0, true},
        // damaged by hand: a quote left open or a NUL in the header fails; in an icon line it ends the icons
        {"\"C:\\APP\\,\r\n\r\n\r\n1024x768\r\n\r\n\"a\",1,2\r\n", err::BadFileFormat, 0, false},
        {"C:\\AP\0P\\\r\n"s + header.substr(9) + "\"a\",1,2\r\n", err::BadFileFormat, 0, false},
        {header + "\"a\",1,2\r\n\"b,1,2\r\n", 0, 1, true},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text);
        KeyFileContent content;
        CHECK(ErrorOf([&] { content = ParseKeyFile(r.text); }) == r.error);
        CHECK((content.icons.size() == r.icons && content.iconsDamaged == r.damaged));
    }

    ClosetMachine m;
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, {ClosetMachine::kProgram, "", "", "800x600", ""}, {});
    CHECK(ReadKeyFileHeader(m.os, ClosetMachine::kKeyFile).screenSize == "800x600");
    CHECK(ReadKeyFile(m.os, ClosetMachine::kKeyFile).icons.empty());
    CHECK(ErrorOf([&] { ReadKeyFile(m.os, "C:\\Missing.qvr"); }) == err::FileNotFound);
}

TEST_CASE("a key file saved as UTF-16 by another editor reads like the program's own") {
    const std::u16string text = u"C:\\APP\\\r\nC:\\Pics\\M\u00FCde.bmp\r\n2\r\n1024x768\r\n\r\n\"Caf\u00E9\",-12,300\r\n";
    for (bool bigEndian : {false, true}) {
        CAPTURE(bigEndian);
        const std::string bytes = test::Utf16File(text, bigEndian);
        ClosetMachine m;
        m.Put(ClosetMachine::kKeyFile, bytes);
        KeyFileContent content = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
        CHECK(content.header.closetDirectory == "C:\\APP\\");
        CHECK(content.header.wallpaper == "C:\\Pics\\M\xC3\xBC" "de.bmp");
        REQUIRE(content.icons.size() == 1);
        CHECK((content.icons[0].Name == "Caf\xC3\xA9" && content.icons[0].X == -12 && content.icons[0].Y == 300));
        CHECK(ReadKeyFileHeader(m.os, ClosetMachine::kKeyFile).screenSize == "1024x768");
    }
}
