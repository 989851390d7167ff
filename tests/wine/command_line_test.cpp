// The real stowly.exe run with each switch on the stand-in desktop: it does the
// command without a window and ends with the exit code that tells how it went.
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

// Runs `exe` with `arguments` to its end; its exit code, -1 when it showed a window.
int Run(const fs::path& exe, const std::wstring& arguments) {
    Program program;
    REQUIRE(program.Start(exe, arguments));
    bool showed = false;
    REQUIRE(WaitFor([&] { return (showed |= !TopWindows(program.pid(), IsWindowVisible).empty()), program.WaitEnd(0); },
                    60000));
    return showed ? -1 : static_cast<int>(program.ExitCode());
}

} // namespace

TEST_CASE("the command line: /save, /load, /clean, /restore without a window; a bad switch; beside the open program") {
    EmptyDesktops desktops;
    for (const auto& [path, text] : {std::pair{desktops.user() / L"notes.txt", "n"},
                                     {desktops.user() / L"Folder\\a.txt", "a"}, {desktops.common() / L"Shared.lnk", "s"}})
        test::WriteHostFile(path, text);
    const Tree user = Contents(desktops.user()), common = Contents(desktops.common());
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(WaitFor([&] { return Icons(os).size() == 4; })); // the Recycle Bin too
    const IconPlaces laidOut = Arrange(os, 1);
    InstalledCopy copy(kProgramFolder);

    CHECK(Run(copy.exe, L"/save layout.dpf") == 0); // from the current folder, the program's
    const std::string layout = Narrow((kProgramFolder / L"layout.dpf").wstring());
    CHECK(os.ReadFile(layout, nullptr).value_or("").find("notes.txt") != std::string::npos);
    REQUIRE(Arrange(os, 4) != laidOut);
    CHECK(Run(copy.exe, L"-LOAD \"" + Widen(layout) + L"\"") == 0);
    CHECK(Icons(os) == laidOut);

    CHECK(Run(copy.exe, L"/clean") == 0);
    CHECK((fs::is_empty(desktops.user()) && fs::is_empty(desktops.common())));
    CHECK(Run(copy.exe, L"/Restore") == 0);
    CHECK((Contents(desktops.user()) == user && Contents(desktops.common()) == common));
    CHECK(Run(copy.exe, L"/tidy") == 2);

    REQUIRE(os.ClaimOperationLock()); // another copy cleaning
    CHECK((Run(copy.exe, L"/clean") == 3 && Run(copy.exe, L"/restore") == 3));
    os.ReleaseOperationLock();
    Program open;
    REQUIRE((open.Start(copy.exe) && WaitMainWindow(open) && os.WriteFile(layout, "old") == 0));
    CHECK(Run(copy.exe, L"/save layout.dpf") == 0); // replaced
    CHECK(os.ReadFile(layout, nullptr).value_or("").find("notes.txt") != std::string::npos);
    open.Stop(WaitMainWindow(open));
}
