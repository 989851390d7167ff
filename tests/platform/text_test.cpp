#include <doctest/doctest.h>

#include "platform/Text.h"

using namespace stowly;

TEST_CASE("UpperCase folds letters the same way in every build") {
    CHECK(UpperCase("my computer") == "MY COMPUTER");
    CHECK(UpperCase("r\xC3\xA9sum\xC3\xA9") == "R\xC3\x89SUM\xC3\x89");       // résumé
    CHECK(UpperCase("\xD0\xB4\xD0\xBE\xD0\xBA") == "\xD0\x94\xD0\x9E\xD0\x9A"); // док
    CHECK(UpperCase("\xC3\xBF") == "\xC5\xB8");                                   // ÿ -> Ÿ
    CHECK(UpperCase("\xE6\x97\xA5\xE6\x9C\xAC") == "\xE6\x97\xA5\xE6\x9C\xAC");   // unchanged
    CHECK(UpperCase("bad \xFF byte") == "BAD \xFF BYTE");
}

TEST_CASE("Trim removes blanks only") {
    CHECK(Trim("  a b  ") == "a b");
    CHECK(Trim("\ta\t") == "\ta\t");
    CHECK(StrNumber(1) == " 1");
    CHECK(StrNumber(-3) == "-3");
    CHECK(StrNumber(0) == " 0");
}

TEST_CASE("Utf8Left and Utf8Length count characters, not bytes") {
    CHECK(Utf8Length("a\xC3\xA9z") == 3);
    CHECK(Utf8Left("a\xC3\xA9z", 2) == "a\xC3\xA9");
    CHECK(IsValidUtf8("a\xC3\xA9"));
    CHECK_FALSE(IsValidUtf8("a\xC3"));
}
