// Registry values through the real registry, under HKCU and HKLM.
#include <doctest/doctest.h>
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "settings/Registry.h"

using namespace stowly;

namespace {

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct TestKey {
    HKEY root;
    const char* path;
    ~TestKey() { RegDeleteTreeW(root, Widen(path).c_str()); }
};

} // namespace

TEST_CASE("Registry round trips under HKCU and HKLM") {
    struct Case {
        RegRoot root;
        HKEY hkey;
        const char* key;
    };
    const Case cases[] = {
        {RegRoot::CurrentUser, HKEY_CURRENT_USER, "Software\\StowlyTest"},
        {RegRoot::LocalMachine, HKEY_LOCAL_MACHINE, "SOFTWARE\\StowlyTest"},
    };
    Win32Platform os;
    for (const auto& c : cases) {
        CAPTURE(c.key);
        TestKey cleanup{c.hkey, c.key};
        // The key must exist: SetRegKeyValue never creates one.
        SetRegKeyValue(os, c.root, c.key, "Text", std::string("2"), kRegSz);
        CHECK_FALSE(KeyExists(c.hkey, c.key));
        REQUIRE(os.RegWrite(c.root, c.key, "Seed", std::string("s"), true) == 0);

        SetRegKeyValue(os, c.root, c.key, "Text", std::string("2"), kRegSz);
        CHECK(QueryRegKeyValue(os, c.root, c.key, "text") == RegData(std::string("2\0", 2)));
        SetRegKeyValue(os, c.root, c.key, "Path", std::string("C:\\Program Files\\Stowly\\stowly.exe"), kRegSz);
        CHECK(QueryRegKeyValue(os, c.root, c.key, "Path") ==
              RegData(std::string("C:\\Program Files\\Stowly\\stowly.exe") + '\0'));
        SetRegKeyValue(os, c.root, c.key, "Number", int32_t{-7}, kRegDword);
        CHECK(QueryRegKeyValue(os, c.root, c.key, "Number") == RegData(int32_t{-7}));

        CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, c.root, c.key, "Missing")));
        RegData kept = std::string("kept");
        CHECK(ReadRegValue({os, c.root, c.key}, "Missing", kept) == ERROR_FILE_NOT_FOUND);
        CHECK(kept == RegData(std::string("kept")));

        DeleteRegValue(os, c.root, c.key, "Missing");
        DeleteRegValue(os, c.root, c.key, "Text");
        CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, c.root, c.key, "Text")));
        CHECK(QueryRegKeyValue(os, c.root, c.key, "Number") == RegData(int32_t{-7}));

        const std::string missingKey = std::string(c.key) + "\\Missing";
        SetRegKeyValue(os, c.root, missingKey, "Text", std::string("x"), kRegSz);
        CHECK_FALSE(KeyExists(c.hkey, missingKey.c_str()));
        CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, c.root, missingKey, "Text")));
    }
}

TEST_CASE("ReadRegValue gives -1 for a type it does not handle") {
    Win32Platform os;
    TestKey cleanup{HKEY_CURRENT_USER, "Software\\StowlyTest"};
    REQUIRE(os.RegWrite(RegRoot::CurrentUser, cleanup.path, "Seed", std::string("s"), true) == 0);
    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\StowlyTest", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS);
    const BYTE bytes[] = {1, 2, 3};
    RegSetValueExW(key, L"Binary", 0, REG_BINARY, bytes, sizeof bytes);
    RegCloseKey(key);
    RegData value = int32_t{5};
    CHECK(ReadRegValue({os, RegRoot::CurrentUser, cleanup.path}, "Binary", value) == -1);
    CHECK(value == RegData(int32_t{5}));
}
