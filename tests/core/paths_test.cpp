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

TEST_CASE("same path and inside: letter case and trailing backslashes aside, whole names only") {
    CHECK(SamePath("C:\\Program Files\\Stowly\\", "c:\\program files\\stowly"));
    CHECK_FALSE(SamePath("C:\\Stowly", "C:\\Stowly2"));
    const struct { const char* path; const char* folder; bool inside; } rows[] = {
        {"C:\\Users\\Ann\\Desktop\\", "C:\\Users\\Ann\\Desktop", true},
        {"C:\\USERS\\ANN\\DESKTOP\\TOOLS\\", "c:\\users\\ann\\desktop", true},
        {"C:\\Users\\Ann\\Desktop2\\", "C:\\Users\\Ann\\Desktop", false},
        {"C:\\Users\\Ann\\", "C:\\Users\\Ann\\Desktop", false},
        {"C:\\Tools\\", "", false},
    };
    for (const auto& r : rows) {
        CAPTURE(r.path);
        CHECK(IsSameOrInside(r.path, r.folder) == r.inside);
    }
}
