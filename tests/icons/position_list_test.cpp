#include <doctest/doctest.h>

#include "core/Error.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "support/ErrorOf.h"
#include "support/SimMachine.h"

using namespace stowly;
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

// Quotes and NULs are the delimited reader's (delimited_reader_test); here, the records and their limits.
TEST_CASE("reading position lists and closet key files: records, names cut by characters, 32767 at most") {
    const std::string key = "C:\\PROGRAM FILES\\STOWLY\\\r\nC:\\Windows\\bliss.bmp\r\n2\r\n S\r\nsecret\r\n" +
                            IconLine({"Report, final", -12, 300}, true) + "\r\n";
    for (const std::string& text : {kHeader + "\"Report, final\",-12,300\r\nOld,-5,20\r\n\r\n\r\n", key}) {
        const auto records = ReadPositionList(text);
        REQUIRE(records.size() == (text == key ? 1u : 2u));
        CHECK((records[0].Name == "Report, final" && records[0].X == -12 && records[0].Y == 300));
    }
    std::string longName = std::string(126, 'n') + "\xC3\xA9\xC3\xA9xy";
    CHECK(ReadPositionList(kHeader + longName + ",1,2\r\n").at(0).Name == longName.substr(0, 130));
    std::string many = kHeader;
    for (int i = 0; i < 32767; ++i) many += "a,1,2\r\n";
    CHECK(ReadPositionList(many).size() == 32767);
    const std::pair<std::string, int> bad[] = {
        {kHeader, err::InputPastEnd},               {kHeader + "\r\n\r\n", err::InputPastEnd},
        {"\r\n\r\n", err::InputPastEnd},            {kHeader + "A,1\r\n", err::InputPastEnd},
        {kHeader + "A,40000,1\r\n", err::Overflow}, {many + "a,1,2\r\n", err::Overflow},
        {kHeader + "a,b,1,2\r\n", err::TypeMismatch}, // an unquoted comma shifts the fields
    };
    for (const auto& [text, error] : bad) {
        CAPTURE(text.substr(0, 40));
        CHECK(ErrorOf([&] { ReadPositionList(text); }) == error);
    }
}

TEST_CASE("position files on disk: ANSI when every name fits, UTF-8 with a mark otherwise") {
    test::SimMachine m;
    const std::string cafe = "Caf\xC3\xA9 \xE2\x82\xAC", japanese = "\xE6\x97\xA5\xE6\x9C\xAC";
    const std::pair<std::vector<IconRecord>, std::string> rows[] = {
        {{{cafe, 1, 2}, {"Taxes, 2024", 7, 8}}, "\r\n\r\n\r\nS\r\n\r\nCaf\xE9 \x80,1,2\r\n\"Taxes, 2024\",7,8\r\n"},
        {{{japanese, -3, 4}, {cafe, 5, 6}},
         std::string(kUtf8Bom) + "\r\n\r\n\r\nS\r\n\r\n" + japanese + ",-3,4\r\n" + cafe + ",5,6\r\n"},
    };
    for (const auto& [icons, bytes] : rows) {
        WritePositionFile(m.os, "C:\\home.dpf", "S", icons);
        CHECK(test::ReadHostFile(m.os.HostPath("C:\\home.dpf")) == bytes);
        const auto back = ReadPositionFile(m.os, "C:\\home.dpf");
        REQUIRE(back.size() == 2);
        CHECK((back[0].Name == icons[0].Name && back[1].Name == icons[1].Name));
    }
}
