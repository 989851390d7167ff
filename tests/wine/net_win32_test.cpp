// The Win32 platform's network operations on real WinHTTP and the shell.
#include <doctest/doctest.h>

#include "platform/win32/Win32Platform.h"
#include "support/LocalHttpServer.h"

using namespace stowly;
using test::LocalHttpServer;

TEST_CASE("Win32Platform::HttpGet fetches through WinHTTP and reports the status") {
    LocalHttpServer server;
    server.Serve("/products.txt", {200, "Notice\r\nStowly,4.0.1,\r\n"});
    Win32Platform os;
    HttpResult page = os.HttpGet(server.Url("/products.txt"), 2000, 5000);
    CHECK(page.status == 200);
    CHECK(page.body == "Notice\r\nStowly,4.0.1,\r\n");
    HttpResult missing = os.HttpGet(server.Url("/other.txt"), 2000, 5000);
    CHECK(missing.status == 404);
    CHECK(os.HttpGet(test::UnusedLocalUrl("/products.txt"), 2000, 5000).status == 0);
}

TEST_CASE("Win32Platform::OpenUrl opens only web addresses") {
    Win32Platform os;
    for (std::string target : {"C:\\windows\\system32\\notepad.exe", "file:///C:/windows/win.ini",
                               "notepad.exe", "", "javascript:alert(1)"}) {
        CAPTURE(target);
        CHECK_FALSE(os.OpenUrl(target));
    }
}
