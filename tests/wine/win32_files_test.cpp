#include <doctest/doctest.h>
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "support/FilesContract.h"
#include "support/TestDir.h"

using namespace stowly;

TEST_CASE("Win32 files follow the program's listing and file rules") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string();
    test::CheckFileContract(os, root, [](const std::string& path) {
        REQUIRE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
        return path;
    });
}

TEST_CASE("Win32 listing leaves out system entries too") {
    test::TestDir dir;
    Win32Platform os;
    const std::string root = dir.path().string() + "\\";
    REQUIRE(os.WriteFile(root + "desktop.ini", "[.ShellClassInfo]") == 0);
    REQUIRE(SetFileAttributesW(Widen(root + "desktop.ini").c_str(), FILE_ATTRIBUTE_SYSTEM));
    REQUIRE(os.WriteFile(root + "plain.txt", "p") == 0);
    CHECK(test::Names(os.List(root, true)) == std::vector<std::string>{"plain.txt"});
    const auto all = os.ListAll(dir.path().string());
    REQUIRE(all.size() == 2);
    for (const auto& e : all) CHECK(e.system == (e.name == "desktop.ini"));
}

TEST_CASE("Long paths get the extended-length prefix, network paths its UNC form; short ones stay") {
    const std::wstring longName(260, L'n');
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"C:\\short\\a.txt", L"C:\\short\\a.txt"},
        {L"\\\\server\\share\\a.txt", L"\\\\server\\share\\a.txt"},
        {L"C:\\" + longName, L"\\\\?\\C:\\" + longName},
        {L"\\\\server\\share\\" + longName, L"\\\\?\\UNC\\server\\share\\" + longName},
        {L"\\\\?\\C:\\" + longName, L"\\\\?\\C:\\" + longName},
        {L"relative\\" + longName, L"relative\\" + longName},
    };
    for (const auto& [path, extended] : rows) {
        CAPTURE(Narrow(path.substr(0, 24)));
        CHECK(ExtendedPath(path) == extended);
    }
}

TEST_CASE("Win32 single instance: the second claim in the prefix fails") {
    Win32Platform first, second;
    CHECK(first.ClaimSingleInstance());
    CHECK_FALSE(second.ClaimSingleInstance());
}
