#include <doctest/doctest.h>

#include "platform/Text.h"

using namespace stowly;

TEST_CASE("UpperCase folds letters the same way in every build") {
    for (auto [text, upper] : {std::pair{"my computer", "MY COMPUTER"}, {"r\xC3\xA9sum\xC3\xA9", "R\xC3\x89SUM\xC3\x89"},
                               {"\xD0\xB4\xD0\xBE\xD0\xBA", "\xD0\x94\xD0\x9E\xD0\x9A"}, // док
                               {"\xC3\xBF", "\xC5\xB8"},                                 // ÿ -> Ÿ
                               {"\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC"}, {"bad \xFF byte", "BAD \xFF BYTE"}}) {
        CAPTURE(text);
        CHECK(UpperCase(text) == upper);
    }
}
