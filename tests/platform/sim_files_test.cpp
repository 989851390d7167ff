#include <doctest/doctest.h>

#include "platform/sim/SimPlatform.h"
#include "support/FilesContract.h"
#include "support/TestDir.h"

using namespace stowly;

TEST_CASE("simulated files behave like Windows files, and stay in their sandbox") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    REQUIRE(os.CreateFolder("C:\\Work"));
    // The simulation takes a leading dot for the hidden attribute.
    test::CheckFileContract(os, "C:\\Work", [&](const std::string& path) {
        const size_t slash = path.rfind('\\');
        std::filesystem::rename(os.HostPath(path), os.HostPath(path.substr(0, slash)) / ("." + path.substr(slash + 1)));
        return path.substr(0, slash + 1) + "." + path.substr(slash + 1);
    });
    REQUIRE(os.WriteFile("C:\\b.txt", "b") == 0);
    CHECK((os.MoveItem("C:\\Work\\a.txt", "C:\\B.TXT") == 183 && os.ReadFile("C:\\b.txt", nullptr) == "b")); // never replaces
    for (const char* path : {"C:\\..\\outside.txt", "C:\\Temp\\..\\..\\outside.txt", "..\\outside.txt", "C:/Temp/../../../x"})
        CHECK_THROWS_AS(os.WriteFile(path, "x"), SandboxEscape);
    CHECK_FALSE(std::filesystem::exists(dir.path().parent_path() / "outside.txt"));
}
