#include <doctest/doctest.h>

#include "core/Error.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/sim/SimPlatform.h"
#include "support/ErrorOf.h"
#include "support/TestDir.h"
#include "support/Utf16File.h"

using namespace stowly;
using namespace std::string_literals;
using stowly::test::ErrorOf;

namespace {

const std::string kHeader = "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\n";

} // namespace

TEST_CASE("the writer: header, trimmed names, only names with a comma quoted unless always") {
    std::vector<IconRecord> icons{{"Recycle Bin", 12, 150}, {"  My Documents  ", 12, 80}, {"a,b", -5, 20}};
    CHECK(PositionListText(" 1024 * 768   32 bit", icons) ==
          kHeader + "Recycle Bin,12,150\r\nMy Documents,12,80\r\n\"a,b\",-5,20\r\n");
    CHECK(PositionListText("S", {}) == "\r\n\r\n\r\nS\r\n\r\n");
    CHECK(IconLine({" ab ", -1, 0}, true) == "\"ab\",-1,0");
}

TEST_CASE("reading position lists and closet key files") {
    auto records = ReadPositionList(kHeader + "Old,-5,20\r\n\"Report, final\",1,2\r\n\r\n\r\n");
    REQUIRE(records.size() == 2);
    CHECK(records[0].Name == "Old");
    CHECK(records[0].X == -5);
    CHECK(records[0].Y == 20);
    CHECK(records[1].Name == "Report, final");

    std::string key = "C:\\PROGRAM FILES\\STOWLY\\\r\nC:\\Windows\\bliss.bmp\r\n2\r\n S\r\nsecret\r\n";
    key += IconLine({"Report, final", -12, 300}, true) + "\r\n";
    records = ReadPositionList(key);
    REQUIRE(records.size() == 1);
    CHECK(records[0].Name == "Report, final");
    CHECK(records[0].X == -12);
    CHECK(records[0].Y == 300);

    std::string longName = std::string(126, 'n') + "\xC3\xA9\xC3\xA9xy"; // cut by characters, not bytes
    CHECK(ReadPositionList(kHeader + longName + ",1,2\r\n").at(0).Name == longName.substr(0, 130));

    std::string many = kHeader;
    for (int i = 0; i < 32767; ++i) many += "a,1,2\r\n";
    CHECK(ReadPositionList(many).size() == 32767);

    struct Bad {
        std::string text;
        int error;
    };
    const Bad bad[] = {
        {kHeader, err::InputPastEnd},           {kHeader + "\r\n\r\n", err::InputPastEnd},
        {"\r\n\r\n", err::InputPastEnd},        {kHeader + "A,1\r\n", err::InputPastEnd},
        {kHeader + "A,40000,1\r\n", err::Overflow}, {many + "a,1,2\r\n", err::Overflow},
        {kHeader + "a,b,1,2\r\n", err::TypeMismatch}, // an unquoted comma shifts the fields
        {kHeader + "\"A,1,2\r\n", err::BadFileFormat},  // a quote left open
        {kHeader + "A\0B,1,2\r\n"s, err::BadFileFormat},
    };
    for (const auto& b : bad) {
        CAPTURE(b.text.substr(0, 40));
        CHECK(ErrorOf([&] { ReadPositionList(b.text); }) == b.error);
    }
}

TEST_CASE("position files on disk: ANSI when every name fits, UTF-8 with a mark otherwise") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    const std::string path = "C:\\home.dpf", cafe = "Caf\xC3\xA9 \xE2\x82\xAC", japanese = "\xE6\x97\xA5\xE6\x9C\xAC";
    struct Case {
        std::vector<IconRecord> icons;
        std::string bytes;
    };
    const Case cases[] = {
        {{{cafe, 1, 2}, {"Taxes, 2024", 7, 8}}, "\r\n\r\n\r\nS\r\n\r\nCaf\xE9 \x80,1,2\r\n\"Taxes, 2024\",7,8\r\n"},
        {{{japanese, -3, 4}, {cafe, 5, 6}},
         std::string(kUtf8Bom) + "\r\n\r\n\r\nS\r\n\r\n" + japanese + ",-3,4\r\n" + cafe + ",5,6\r\n"},
    };
    for (const auto& c : cases) {
        WritePositionFile(os, path, "S", c.icons);
        CHECK(test::ReadHostFile(os.HostPath(path)) == c.bytes);
        auto back = ReadPositionFile(os, path);
        REQUIRE(back.size() == 2);
        CHECK(back[0].Name == c.icons[0].Name);
        CHECK(back[1].Name == c.icons[1].Name);
    }
}

TEST_CASE("a position file saved as UTF-16 reads like the program's own") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    for (bool bigEndian : {false, true}) {
        CAPTURE(bigEndian);
        test::WriteHostFile(os.HostPath("C:\\u.dpf"), test::Utf16File(u"\r\n\r\n\r\nS\r\n\r\nCaf\u00E9,1,2\r\n", bigEndian));
        auto icons = ReadPositionFile(os, "C:\\u.dpf");
        REQUIRE(icons.size() == 1);
        CHECK((icons[0].Name == "Caf\xC3\xA9" && icons[0].X == 1 && icons[0].Y == 2));
    }
}
