// Registry values through the real registry, under HKCU and HKLM.
#include <doctest/doctest.h>
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "settings/Registry.h"

using namespace stowly;

namespace {

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == 0;
}

bool Missing(const RegData& value) { return std::holds_alternative<std::monostate>(value); }

} // namespace

TEST_CASE("Registry round trips under HKCU and HKLM") {
    const struct { RegRoot root; HKEY hkey; const char* key; } cases[] = {
        {RegRoot::CurrentUser, HKEY_CURRENT_USER, "Software\\StowlyTest"},
        {RegRoot::LocalMachine, HKEY_LOCAL_MACHINE, "SOFTWARE\\StowlyTest"},
    };
    Win32Platform os;
    for (const auto& c : cases) {
        CAPTURE(c.key);
        struct Cleanup { HKEY root; std::wstring path; ~Cleanup() { RegDeleteTreeW(root, path.c_str()); } };
        Cleanup cleanup{c.hkey, Widen(c.key)};
        REQUIRE(os.RegWrite(c.root, c.key, "Seed", std::string("s"), true) == 0);

        const std::string path = "C:\\Program Files\\Stowly\\stowly.exe";
        SetRegKeyValue(os, c.root, c.key, "Text", path, kRegSz);
        CHECK(QueryRegKeyValue(os, c.root, c.key, "text") == RegData(path + '\0'));
        SetRegKeyValue(os, c.root, c.key, "Number", std::string(" -7 "), kRegDword);
        CHECK(QueryRegKeyValue(os, c.root, c.key, "Number") == RegData(int32_t{-7}));

        RegData kept = std::string("kept");
        CHECK(ReadRegValue({os, c.root, c.key}, "Missing", kept) == ERROR_FILE_NOT_FOUND);
        CHECK(kept == RegData(std::string("kept")));

        DeleteRegValue(os, c.root, c.key, "Missing");
        DeleteRegValue(os, c.root, c.key, "Text");
        CHECK(Missing(QueryRegKeyValue(os, c.root, c.key, "Text")));
        CHECK(QueryRegKeyValue(os, c.root, c.key, "Number") == RegData(int32_t{-7}));

        // SetRegKeyValue never creates a key.
        const std::string missingKey = std::string(c.key) + "\\Missing";
        SetRegKeyValue(os, c.root, missingKey, "Text", std::string("x"), kRegSz);
        CHECK_FALSE(KeyExists(c.hkey, missingKey));
        CHECK(Missing(QueryRegKeyValue(os, c.root, missingKey, "Text")));
    }
}
