// Same-or-inside comparisons are checked through start-up's desktop rule (startup_test).
#include <doctest/doctest.h>

#include <string>

#include "core/Paths.h"

using namespace stowly;

TEST_CASE("a folder below a root: absolute, not a root, no step up, no NUL") {
    const std::pair<std::string, bool> rows[] = {
        {"C:\\Users\\Ann\\Desktop", true},   {"c:\\x\\", true},        {"\\\\server\\share\\Desk", true},
        {"", false},                         {"C:", false},             {"C:\\", false},
        {"C:Desk", false},                   {"Desktop", false},        {"\\Users\\Ann", false},
        {"\\\\server\\share", false},        {"\\\\server\\share\\", false}, {"C:\\Users\\..\\..", false},
        {"C:\\a\\..\\b", false},             {std::string("C:\\a\0b", 6), false}, {"\\\\?\\C:\\Users", false},
        {"C:/Users/Ann", false},
    };
    for (const auto& [path, ok] : rows) {
        CAPTURE(path);
        CHECK(IsFolderBelowRoot(path) == ok);
    }
}
