#include <doctest/doctest.h>

#include "icons/PositionList.h"
#include "platform/Errors.h"
#include "platform/FileText.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

// The error number that `f` throws, 0 when it throws nothing.
template <class F>
int ErrorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

const std::string kHeader = "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\n";

} // namespace

TEST_CASE("the writer: header, trimmed names, only names with a comma quoted unless always") {
    std::vector<IconRecord> icons{{"Recycle Bin", 12, 150}, {"  My Documents  ", 12, 80}, {"a,b", -5, 20}};
    CHECK(PositionListText(" 1024 * 768   32 bit", icons) ==
          kHeader + "Recycle Bin,12,150\r\nMy Documents,12,80\r\n\"a,b\",-5,20\r\n");
    CHECK(PositionListText("S", {}) == "\r\n\r\n\r\nS\r\n\r\n");
    CHECK(IconLine({" ab ", -1, 0}, true) == "\"ab\",-1,0");
}

TEST_CASE("field rules of the delimited reader") {
    struct Case {
        std::string text;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"a,b\r\nc\r\n", {"a", "b", "c"}},
        {"   a  ,  b  \r\n", {"a", "b"}},               // blanks around a bare field go
        {"My Computer,1\r\n", {"My Computer", "1"}},
        {"  \" a,b \",1\r\n", {" a,b ", "1"}},          // quoted: commas and blanks stay
        {"\"a\"junk,1\r\n", {"a", "1"}},               // after the closing quote: skipped
        {"\"abc\r\nx\r\n", {"abc", "x"}},               // an open quote ends at the line end
        {"\r\n\r\na,\r\nb", {"", "", "a", "", "b"}},     // empty lines and fields; no last line end
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\"b,c\r\n", {"a\"b", "c"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        FieldReader reader(c.text);
        std::vector<std::string> got;
        for (size_t i = 0; i < c.fields.size(); ++i) got.push_back(reader.Next());
        CHECK(got == c.fields);
        CHECK(reader.AtEnd());
        CHECK(ErrorOf([&] { reader.Next(); }) == err::InputPastEnd);
    }
}

TEST_CASE("numbers: 16-bit range, empty is 0, anything else is a type mismatch") {
    struct Case {
        std::string field;
        int value, error;
    };
    const Case cases[] = {
        {"  -5  ", -5, 0}, {"\"9\"", 9, 0},   {"32767", 32767, 0}, {"-32768", -32768, 0}, {"", 0, 0},
        {"+3", 3, 0},      {"40000", 0, 6},   {"-32769", 0, 6},    {"99999999999999999999", 0, 6},
        {"12x", 0, 13},    {"1.5", 0, 13},    {"-", 0, 13},
    };
    for (const auto& c : cases) {
        CAPTURE(c.field);
        FieldReader reader(c.field + "\r\n");
        int16_t got = 0;
        CHECK(ErrorOf([&] { got = reader.NextInt16(); }) == c.error);
        if (c.error == 0) CHECK(got == c.value);
    }
    FieldReader wide("-2147483648,2147483648\r\n");
    CHECK(wide.NextInt32() == INT32_MIN);
    CHECK(ErrorOf([&] { wide.NextInt32(); }) == err::Overflow);
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
