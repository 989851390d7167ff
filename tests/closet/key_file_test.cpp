#include <doctest/doctest.h>

#include "closet/KeyFile.h"
#include "platform/Errors.h"
#include "ClosetMachine.h"

using namespace stowly;
using stowly::test::ClosetMachine;

namespace {

int ErrorOf(const std::string& text) {
    try {
        ParseKeyFile(text);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

TEST_CASE("closet name: cut before the first .qvr in any case; a name without it gets its own folder") {
    struct Row {
        const char* keyFile;
        const char* name;
    };
    for (Row row : {Row{"QuickClean.qvr", "QuickClean"}, Row{"Work.QVR", "Work"}, Row{"Work.QvR", "Work"},
                    Row{"a.qvr.qvr", "a"}, Row{"a.qvr.bak", "a"}, Row{"Desk", "Desk Closet"},
                    Row{".qvr", ".qvr Closet"}, Row{"r\xC3\xA9sum\xC3\xA9.Qvr", "r\xC3\xA9sum\xC3\xA9"}}) {
        CAPTURE(std::string(row.keyFile));
        CHECK(ClosetName(row.keyFile) == row.name);
    }
}

TEST_CASE("closet places of the quick clean") {
    AppState st;
    st.ProgramFolder = "C:\\APP\\";
    st.ClosetDirectory = "D:\\Closets\\";
    st.ClosetKeyFile = "Mine.qvr";
    ClosetPlaces p = PlacesOf(st);
    CHECK(p.keyFile == "D:\\Closets\\Mine.qvr");
    CHECK(p.closetFolder == "D:\\Closets\\Mine");
    CHECK(p.commonClosetFolder == "C:\\APP\\AllUsers");
    CHECK(p.wallpaperBackup == "C:\\APP\\Mine.qvr.BGD");
    st.ClosetKeyFile = "Mine";
    CHECK(PlacesOf(st).closetFolder != PlacesOf(st).keyFile);
}

TEST_CASE("key file bytes: bare header lines, quoted trimmed icon names, CR LF after every line") {
    std::vector<IconRecord> icons{{"  My Computer ", -12, 300}, {"a.txt", 0, 2147483647}};
    CHECK(KeyFileText({"C:\\APP\\", "C:\\Pics\\sea.bmp", "2", "1024x768x32", ""}, icons) ==
          "C:\\APP\\\r\nC:\\Pics\\sea.bmp\r\n2\r\n1024x768x32\r\n\r\n"
          "\"My Computer\",-12,300\r\n\"a.txt\",0,2147483647\r\n");
    CHECK(KeyFileText({"C:\\APP\\", "", "", "1024x768x32", ""}, {}) == "C:\\APP\\\r\n\r\n\r\n1024x768x32\r\n\r\n");

    int lines = 0;
    KeyFileText({}, icons, [&] { ++lines; });
    CHECK(lines == 2);
}

TEST_CASE("header values that would not read back whole are quoted, and only those") {
    KeyFileHeader h{"C:\\Sun, Sea\\", "C:\\Pics\\a,b.bmp", "0", "800x600", " pass word "};
    std::vector<IconRecord> icons{{"Report, final.docx", 5, -7}};
    std::string text = KeyFileText(h, icons);
    CHECK(text == "\"C:\\Sun, Sea\\\"\r\n\"C:\\Pics\\a,b.bmp\"\r\n0\r\n800x600\r\n\" pass word \"\r\n"
                  "\"Report, final.docx\",5,-7\r\n");
    KeyFileContent back = ParseKeyFile(text);
    CHECK(back.header.closetDirectory == h.closetDirectory);
    CHECK(back.header.wallpaper == h.wallpaper);
    CHECK(back.header.wallpaperStyle == "0");
    CHECK(back.header.screenSize == "800x600");
    CHECK(back.header.password == h.password);
    REQUIRE(back.icons.size() == 1);
    CHECK(back.icons[0].Name == "Report, final.docx");
    CHECK(back.icons[0].X == 5);
    CHECK(back.icons[0].Y == -7);
}

TEST_CASE("key file reader: where it fails") {
    const std::string header = "C:\\APP\\\r\n\r\n\r\n1024x768\r\n\r\n";
    CHECK(ErrorOf(header + "\"a\",1,2\r\n") == 0);
    CHECK(ErrorOf(header + "\"a\",1,2") == 0);                        // no final line end
    CHECK(ErrorOf(header) == err::InputPastEnd);                      // no icon line
    CHECK(ErrorOf(header + "\"a\",1,2\r\n\r\n") == err::InputPastEnd); // an empty line after the last
    CHECK(ErrorOf("C:\\APP\\\r\n\r\n") == err::InputPastEnd);          // header cut short
    CHECK(ErrorOf(header + "\"a\",x,2\r\n") == err::TypeMismatch);
    CHECK(ErrorOf(header + "\"a\",1,99999999999\r\n") == err::Overflow);
    // Written by a writer that does not quote: the comma shifts every later value
    // and the first icon's name is read as a position.
    CHECK(ErrorOf("C:\\APP\\\r\nC:\\a,b.bmp\r\n2\r\n1024x768\r\n\r\n\"a\",1,2\r\n") == err::TypeMismatch);
}

TEST_CASE("key files on disk: round trip, header alone, missing file, names outside the code page") {
    ClosetMachine m;
    std::vector<IconRecord> icons{{"\xE6\x97\xA5\xE6\x9C\xAC.txt", 10, 20}, {"Caf\xC3\xA9", -1, -2}};
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, {ClosetMachine::kProgram, "", "", "800x600", "pw"}, icons);
    KeyFileContent back = ReadKeyFile(m.os, ClosetMachine::kKeyFile);
    REQUIRE(back.icons.size() == 2);
    CHECK(back.icons[0].Name == icons[0].Name);
    CHECK(back.icons[1].Name == icons[1].Name);
    CHECK(ReadKeyFileHeader(m.os, ClosetMachine::kKeyFile).password == "pw");

    // Header-only files are read by the header reader but not by the full one.
    WriteKeyFile(m.os, ClosetMachine::kKeyFile, {ClosetMachine::kProgram, "", "", "800x600", ""}, {});
    CHECK(ReadKeyFileHeader(m.os, ClosetMachine::kKeyFile).screenSize == "800x600");
    CHECK_THROWS_AS(ReadKeyFile(m.os, ClosetMachine::kKeyFile), RuntimeError);

    try {
        ReadKeyFile(m.os, "C:\\PROGRAM FILES\\STOWLY\\Missing.qvr");
        FAIL("a missing key file was read");
    } catch (const RuntimeError& e) {
        CHECK(e.number() == err::FileNotFound);
    }
}
