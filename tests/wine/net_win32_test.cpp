// Opening addresses through the shell. (HTTP is the host client's, tested in both worlds.)
#include <doctest/doctest.h>

#include "platform/win32/Win32Platform.h"

using namespace stowly;

TEST_CASE("Win32Platform::OpenUrl opens only web addresses") {
    Win32Platform os;
    for (std::string target : {"C:\\windows\\system32\\notepad.exe", "file:///C:/windows/win.ini",
                               "notepad.exe", "", "javascript:alert(1)"}) {
        CAPTURE(target);
        CHECK_FALSE(os.OpenUrl(target));
    }
}
