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

std::vector<std::string> Fields(const std::string& text, int count) {
    FieldReader reader(text);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(reader.Next());
    return out;
}

const std::string kHeader = "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\n";

} // namespace

TEST_CASE("a position file is three empty lines, the screen size, an empty line, then one line per icon") {
    std::vector<IconRecord> icons{{"Recycle Bin", 12, 150}, {"  My Documents  ", 12, 80}, {"Old", -5, 20}};
    CHECK(PositionListText(" 1024 * 768   32 bit", icons) ==
          "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\n"
          "Recycle Bin,12,150\r\n"
          "My Documents,12,80\r\n"
          "Old,-5,20\r\n");
    CHECK(PositionListText("S", {}) == "\r\n\r\n\r\nS\r\n\r\n");
}

TEST_CASE("only names with a comma are quoted in a position file; key-file lines always quote") {
    CHECK(IconLine({"a,b", 1, 2}, false) == "\"a,b\",1,2");
    CHECK(IconLine({"ab", 1, 2}, false) == "ab,1,2");
    CHECK(IconLine({" ab ", -1, 0}, true) == "\"ab\",-1,0");
}

TEST_CASE("field rules of the delimited reader") {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"comma and CR LF separate", "a,b\r\nc\r\n", {"a", "b", "c"}},
        {"blanks before a field are skipped", "   a,  b\r\n", {"a", "b"}},
        {"trailing blanks of a bare field are dropped", "a   ,b  \r\n", {"a", "b"}},
        {"inner blanks stay", "My Computer,1\r\n", {"My Computer", "1"}},
        {"a comma between quotes belongs to the value", "\"a,b\",1\r\n", {"a,b", "1"}},
        {"blanks inside quotes stay", "  \" a \",1\r\n", {" a ", "1"}},
        {"text after the closing quote is skipped", "\"a\"junk,1\r\n", {"a", "1"}},
        {"a quote left open ends at the line end", "\"abc\r\nx\r\n", {"abc", "x"}},
        {"an empty line is one empty field", "\r\n\r\na\r\n", {"", "", "a"}},
        {"a comma before the line end leaves an empty field", "a,\r\nb\r\n", {"a", "", "b"}},
        {"a lone LF ends a line", "a\nb\n", {"a", "b"}},
        {"a lone CR ends a line", "a\rb\r", {"a", "b"}},
        {"the last line may lack its line end", "a\r\nb", {"a", "b"}},
        {"a quote inside a bare field is plain text", "a\"b,c\r\n", {"a\"b", "c"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        CHECK(Fields(c.text, static_cast<int>(c.fields.size())) == c.fields);
    }
}

TEST_CASE("the reader stops at the end of the text") {
    FieldReader reader("a\r\n");
    CHECK(reader.Next() == "a");
    CHECK(reader.AtEnd());
    CHECK(ErrorOf([&] { reader.Next(); }) == err::InputPastEnd);
    CHECK(ErrorOf([] { FieldReader("").Next(); }) == err::InputPastEnd);
}

TEST_CASE("numbers: 16-bit range, empty is 0, anything else is a type mismatch") {
    struct Case {
        std::string field;
        int value; // when error is 0
        int error;
    };
    const Case cases[] = {
        {"12", 12, 0},          {"-5", -5, 0},         {"  7  ", 7, 0},      {"\"9\"", 9, 0},
        {"32767", 32767, 0},    {"-32768", -32768, 0}, {"", 0, 0},           {"+3", 3, 0},
        {"40000", 0, 6},        {"-32769", 0, 6},      {"99999999999999999999", 0, 6},
        {"abc", 0, 13},         {"12x", 0, 13},        {"1.5", 0, 13},       {"-", 0, 13},
    };
    for (const auto& c : cases) {
        CAPTURE(c.field);
        FieldReader reader(c.field + "\r\n");
        int16_t got = 0;
        CHECK(ErrorOf([&] { got = reader.NextInt16(); }) == c.error);
        if (c.error == 0) CHECK(got == c.value);
    }
    FieldReader wide("40000,-2147483648,2147483648\r\n");
    CHECK(wide.NextInt32() == 40000);
    CHECK(wide.NextInt32() == INT32_MIN);
    CHECK(ErrorOf([&] { wide.NextInt32(); }) == err::Overflow);
}

TEST_CASE("reading a position list") {
    SUBCASE("records follow the five header fields in file order") {
        auto records = ReadPositionList(kHeader + "Recycle Bin,12,150\r\nMy Documents,12,80\r\nOld,-5,20\r\n");
        REQUIRE(records.size() == 3);
        CHECK(records[0].Name == "Recycle Bin");
        CHECK(records[1].X == 12);
        CHECK(records[1].Y == 80);
        CHECK(records[2].X == -5);
        CHECK(records[2].Y == 20);
    }
    SUBCASE("a header-only file is input past end") {
        CHECK(ErrorOf([&] { ReadPositionList(kHeader); }) == err::InputPastEnd);
        CHECK(ErrorOf([&] { ReadPositionList(kHeader + "\r\n\r\n"); }) == err::InputPastEnd);
        CHECK(ErrorOf([] { ReadPositionList("\r\n\r\n"); }) == err::InputPastEnd);
    }
    SUBCASE("an X of 40000 is an overflow") {
        CHECK(ErrorOf([&] { ReadPositionList(kHeader + "A,40000,1\r\n"); }) == err::Overflow);
    }
    SUBCASE("a record cut short is input past end") {
        CHECK(ErrorOf([&] { ReadPositionList(kHeader + "A,1\r\n"); }) == err::InputPastEnd);
    }
    SUBCASE("empty lines after the last record are ignored") {
        CHECK(ReadPositionList(kHeader + "A,1,2\r\n\r\n\r\n").size() == 1);
    }
    SUBCASE("a name of 130 characters reads back as its first 128") {
        std::string longName(126, 'n');
        longName += "\xC3\xA9\xC3\xA9xy"; // the cut counts characters, not bytes
        auto records = ReadPositionList(kHeader + longName + ",1,2\r\n");
        CHECK(records.at(0).Name == longName.substr(0, 126 + 4));
    }
    SUBCASE("more than 32767 records is an overflow") {
        std::string text = kHeader;
        for (int i = 0; i < 32768; ++i) text += "a,1,2\r\n";
        CHECK(ErrorOf([&] { ReadPositionList(text); }) == err::Overflow);
        text.resize(text.size() - 7);
        CHECK(ReadPositionList(text).size() == 32767);
    }
    SUBCASE("an unquoted name with a comma shifts the fields, as it always did") {
        CHECK(ErrorOf([&] { ReadPositionList(kHeader + "a,b,1,2\r\n"); }) == err::TypeMismatch);
    }
}

TEST_CASE("a closet key file reads as a position list with the same records") {
    std::vector<IconRecord> icons{{"Recycle Bin", 12, 150}, {"Report, final", -12, 300}};
    std::string key = "C:\\PROGRAM FILES\\STOWLY\\\r\nC:\\Windows\\bliss.bmp\r\n2\r\n 1024 * 768   32 bit\r\n"
                      "secret\r\n";
    for (const auto& icon : icons) key += IconLine(icon, true) + "\r\n";
    auto fromKey = ReadPositionList(key);
    auto fromPositions = ReadPositionList(PositionListText(" 1024 * 768   32 bit", icons));
    REQUIRE(fromKey.size() == 2);
    REQUIRE(fromPositions.size() == 2);
    for (size_t i = 0; i < 2; ++i) {
        CHECK(fromKey[i].Name == icons[i].Name);
        CHECK(fromPositions[i].Name == icons[i].Name);
        CHECK(fromKey[i].X == icons[i].X);
        CHECK(fromPositions[i].Y == icons[i].Y);
    }
}

TEST_CASE("position files on disk: ANSI when every name fits, UTF-8 with a mark otherwise") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    const std::string path = "C:\\layouts\\home.dpf";
    os.CreateFolder("C:\\layouts");

    SUBCASE("Windows-1252 names are written in the code page and read back") {
        std::vector<IconRecord> icons{{"Caf\xC3\xA9 \xE2\x82\xAC", 1, 2}}; // Café €
        WritePositionFile(os, path, "S", icons);
        CHECK(test::ReadHostFile(os.HostPath(path)) == "\r\n\r\n\r\nS\r\n\r\nCaf\xE9 \x80,1,2\r\n");
        CHECK(ReadPositionFile(os, path).at(0).Name == icons[0].Name);
    }
    SUBCASE("a Japanese name makes the file UTF-8 and reads back whole") {
        std::vector<IconRecord> icons{{"\xE6\x97\xA5\xE6\x9C\xAC", -3, 4}, {"Caf\xC3\xA9", 5, 6}};
        WritePositionFile(os, path, "S", icons);
        std::string bytes = test::ReadHostFile(os.HostPath(path));
        CHECK(bytes == std::string(kUtf8Bom) + "\r\n\r\n\r\nS\r\n\r\n\xE6\x97\xA5\xE6\x9C\xAC,-3,4\r\nCaf\xC3\xA9,5,6\r\n");
        auto back = ReadPositionFile(os, path);
        REQUIRE(back.size() == 2);
        CHECK(back[0].Name == icons[0].Name);
        CHECK(back[1].Name == icons[1].Name);
    }
    SUBCASE("a name with a comma survives the round trip") {
        WritePositionFile(os, path, "S", {{"Taxes, 2024", 7, 8}, {"Next", 9, 10}});
        auto back = ReadPositionFile(os, path);
        REQUIRE(back.size() == 2);
        CHECK(back[0].Name == "Taxes, 2024");
        CHECK(back[1].X == 9);
    }
    SUBCASE("a missing file is file not found") {
        CHECK(ErrorOf([&] { ReadPositionFile(os, "C:\\layouts\\none.dpf"); }) == err::FileNotFound);
    }
}
