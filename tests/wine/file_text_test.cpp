#include <doctest/doctest.h>
#include <windows.h>

#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;

TEST_CASE("position files take the system's code page, or UTF-8 with a mark when a name does not fit") {
    test::TestDir dir;
    Win32Platform os;
    const std::string path = dir.path().string() + "\\layout.dpf";
    const std::string cafe = "Caf\xC3\xA9 \xE2\x82\xAC";             // Café €
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC.txt";      // 日本.txt
    const bool cp1252 = GetACP() == 1252;
    if (!cp1252) MESSAGE("code page " << GetACP() << ": only the round trips are checked");

    WritePositionFile(os, path, " S", {{cafe, 1, 2}});
    if (cp1252) CHECK(*os.ReadFile(path, nullptr) == "\r\n\r\n\r\n S\r\n\r\nCaf\xE9 \x80,1,2\r\n");
    CHECK(ReadPositionFile(os, path).at(0).Name == cafe);

    WritePositionFile(os, path, " S", {{japanese, -3, 4}, {cafe, 5, 6}});
    if (cp1252) CHECK(os.ReadFile(path, nullptr)->starts_with(kUtf8Bom));
    auto back = ReadPositionFile(os, path);
    REQUIRE(back.size() == 2);
    CHECK(back[0].Name == japanese);
    CHECK(back[1].Name == cafe);
    CHECK(back[0].X == -3);
}
