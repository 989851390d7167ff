#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "support/ErrorOf.h"

using namespace stowly;
using stowly::test::ErrorOf;

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
        DelimitedReader reader(c.text);
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
        DelimitedReader reader(c.field + "\r\n");
        int16_t got = 0;
        CHECK(ErrorOf([&] { got = reader.NextInt16(); }) == c.error);
        if (c.error == 0) CHECK(got == c.value);
    }
    DelimitedReader wide("-2147483648,2147483648\r\n");
    CHECK(wide.NextInt32() == INT32_MIN);
    CHECK(ErrorOf([&] { wide.NextInt32(); }) == err::Overflow);
}
