#include <doctest/doctest.h>
#include <windows.h>

#include <cstdlib>

#include "app/Startup.h"
#include "platform/Text.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

using namespace stowly;

namespace {

std::string Env(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n && n < 32768 ? Narrow(std::wstring_view(buf, n)) : std::string();
}

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

TEST_CASE("The two desktop folders are the prefix's own, without trailing backslash") {
    Win32Platform os;
    const std::string user = os.SpecialFolder(kUserDesktopCsidl);
    const std::string common = os.SpecialFolder(kCommonDesktopCsidl);
    const std::string profile = Env(L"USERPROFILE");
    REQUIRE_FALSE(profile.empty());

    CHECK(EqualsNoCase(user, profile + "\\Desktop"));
    CHECK(EqualsNoCase(common, "C:\\users\\Public\\Desktop"));
    for (const std::string& folder : {user, common}) {
        CAPTURE(folder);
        REQUIRE_FALSE(folder.empty());
        CHECK(folder.back() != '\\');
        const DWORD a = GetFileAttributesW(Widen(folder).c_str());
        REQUIRE(a != INVALID_FILE_ATTRIBUTES);
        CHECK((a & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }

    // A plain folder of the prefix: what lands in it does not show up in the
    // Desktop of the home folder Wine was started with.
    const std::string home = Env(L"HOME");
    if (!home.empty()) {
        std::string homeDesktop = "Z:" + home + "/Desktop/";
        for (char& c : homeDesktop)
            if (c == '/') c = '\\';
        const std::string marker = "stowly-special-folder-probe.txt";
        REQUIRE(os.WriteFile(user + "\\" + marker, "probe") == 0);
        CHECK_FALSE(Exists(homeDesktop + marker));
        CHECK(os.RemoveFile(user + "\\" + marker) == 0);
    }

    CHECK(os.SpecialFolder(0x7FFF).empty()); // an identifier the shell does not know
}
