#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "support/ErrorOf.h"

using namespace stowly;
using namespace std::string_literals;
using stowly::test::ErrorOf;

TEST_CASE("field rules of the delimited reader") {
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"a,b\r\nc\r\n", {"a", "b", "c"}},
        {"   a  ,  b  \r\n", {"a", "b"}},           // blanks around a bare field go
        {"My Computer,1\r\n", {"My Computer", "1"}},
        {"  \" a,b \",1\r\n", {" a,b ", "1"}},      // quoted: commas and blanks stay
        {"\"a\"junk,1\r\n", {"a", "1"}},           // after the closing quote: skipped
        {"\"a\"\0x,b"s, {"a", "b"}},               // ... NUL or not
        {"\r\n\r\na,\r\nb", {"", "", "a", "", "b"}}, // empty lines and fields; no last line end
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\"b,c\r\n", {"a\"b", "c"}},
    };
    for (const auto& [text, fields] : rows) {
        CAPTURE(text);
        DelimitedReader reader(text);
        std::vector<std::string> got;
        for (size_t i = 0; i < fields.size(); ++i) got.push_back(reader.Next());
        CHECK((got == fields && reader.AtEnd()));
        CHECK(ErrorOf([&] { reader.Next(); }) == err::InputPastEnd);
    }
}

TEST_CASE("fields that no writer makes are a bad file format, not a value that means something else") {
    const std::pair<std::string, size_t> rows[] = { // the text, and the fields read before the bad one
        {"\"C:\\Closet\\,\r\nC:\\wall.bmp\r\n", 0}, // a quote left open would swallow the comma and more
        {"a,\"b", 1},                                // ... also at the end of the text
        {"a,\"b\nc\"\n", 1},                         // a quote does not run across lines
        {"C:\\Clo\0set\r\n"s, 0},                     // a NUL would cut the path short
        {"a,\"b\0\",c"s, 1},
        {"a,1\0"s, 1},
    };
    for (const auto& [text, good] : rows) {
        CAPTURE(text);
        DelimitedReader reader(text);
        for (size_t i = 0; i < good; ++i) CHECK(ErrorOf([&] { reader.Next(); }) == 0);
        CHECK(ErrorOf([&] { reader.Next(); }) == err::BadFileFormat);
    }
}

TEST_CASE("numbers: 16-bit range, empty is 0, anything else is a type mismatch") {
    const struct { std::string field; int value, error; } rows[] = {
        {"  -5  ", -5, 0}, {"\"9\"", 9, 0},   {"32767", 32767, 0}, {"-32768", -32768, 0}, {"", 0, 0},
        {"+3", 3, 0},      {"40000", 0, 6},   {"-32769", 0, 6},    {"99999999999999999999", 0, 6},
        {"12x", 0, 13},    {"1.5", 0, 13},    {"-", 0, 13},
    };
    for (const auto& r : rows) {
        CAPTURE(r.field);
        DelimitedReader reader(r.field + "\r\n");
        int16_t got = 0;
        CHECK(ErrorOf([&] { got = reader.NextInt16(); }) == r.error);
        CHECK(got == r.value);
    }
    DelimitedReader wide("-2147483648,2147483648\r\n");
    CHECK(wide.NextInt32() == INT32_MIN);
    CHECK(ErrorOf([&] { wide.NextInt32(); }) == err::Overflow);
}

TEST_CASE("only empty lines left: blanks and line ends after the last field") {
    const struct { std::string text; size_t fields; bool onlyEmpty; } rows[] = {
        {"a,1\r\n\r\n  \r\n\n", 2, true}, {"a,1\r\n\r\nb", 2, false}, {"", 0, true},
        {"a,1\r\n\r\n", 1, false},        {"a\t\r\n", 0, false},        {"\"a\"  \r\n", 1, true},
    };
    for (const auto& r : rows) {
        CAPTURE(r.text);
        DelimitedReader reader(r.text);
        for (size_t i = 0; i < r.fields; ++i) reader.Next();
        CHECK(reader.OnlyEmptyLinesLeft() == r.onlyEmpty);
    }
}
