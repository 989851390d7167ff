#include <doctest/doctest.h>

#include "platform/sim/SimPlatform.h"
#include "support/FilesContract.h"
#include "support/TestDir.h"

using namespace stowly;

TEST_CASE("simulated files behave like Windows files") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    REQUIRE(os.CreateFolder("C:\\Work"));
    // The simulation takes a leading dot for the hidden attribute.
    test::CheckFileContract(os, "C:\\Work", [&](const std::string& path) {
        auto host = os.HostPath(path);
        std::string hidden = "." + path.substr(path.rfind('\\') + 1);
        std::filesystem::rename(host, os.HostPath(path.substr(0, path.rfind('\\'))) / hidden);
        return path.substr(0, path.rfind('\\') + 1) + hidden;
    });
}

TEST_CASE("simulated paths resolve without regard to case") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    REQUIRE(os.WriteFile("C:\\Program Files\\Stowly\\stowly.ini", "x") == 0);
    CHECK(os.ReadFile("C:\\PROGRAM FILES\\STOWLY\\STOWLY.INI", nullptr) == std::optional<std::string>("x"));
    CHECK(std::filesystem::equivalent(os.HostPath("c:\\program files\\stowly"), dir.path() / "C" / "Program Files" / "Stowly"));
}

TEST_CASE("simulated moves never replace and honour injected faults") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    REQUIRE(os.WriteFile("C:\\a.txt", "a") == 0);
    REQUIRE(os.WriteFile("C:\\b.txt", "b") == 0);
    CHECK(os.MoveItem("C:\\a.txt", "C:\\b.txt") == 183);
    CHECK(os.ReadFile("C:\\b.txt", nullptr) == std::optional<std::string>("b"));
    os.faults.failMoveNumber = 1;
    CHECK(os.MoveItem("C:\\a.txt", "C:\\c.txt") != 0);
    CHECK(os.Attributes("C:\\a.txt").exists);
    CHECK(os.MoveItem("C:\\a.txt", "C:\\c.txt") == 0);
    CHECK_FALSE(os.Attributes("C:\\a.txt").exists);
    os.faults.locked.insert("c:\\C.TXT");
    CHECK(os.MoveItem("C:\\c.txt", "C:\\d.txt") == 32);
    CHECK(os.WriteFile("C:\\c.txt", "z") == 32);
    os.faults.diskFull = true;
    CHECK(os.WriteFile("C:\\e.txt", "z") == 112);
    CHECK_FALSE(os.Attributes("C:\\e.txt").exists);
}

TEST_CASE("a simulated path that climbs out of its drive stops the test instead of reaching the host") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    CHECK(os.HostPath("C:\\Temp\\..\\Temp\\.\\a.txt") == os.HostPath("C:\\Temp\\a.txt"));
    REQUIRE(os.WriteFile("C:\\Temp\\..\\inside.txt", "x") == 0);
    CHECK(std::filesystem::exists(dir.path() / "C" / "inside.txt"));
    for (const char* path : {"C:\\..\\outside.txt", "C:\\Temp\\..\\..\\outside.txt", "..\\outside.txt", "C:/Temp/../../../x",
                             ".\\x"}) {
        CAPTURE(path);
        CHECK_THROWS_AS(os.HostPath(path), SandboxEscape);
        CHECK_THROWS_AS(os.WriteFile(path, "x"), SandboxEscape);
    }
    CHECK_FALSE(std::filesystem::exists(dir.path() / "outside.txt"));
    CHECK_FALSE(std::filesystem::exists(dir.path().parent_path() / "outside.txt"));
}
