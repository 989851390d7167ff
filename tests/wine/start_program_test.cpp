// The built program, started as a user would start it.
#include <doctest/doctest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "../../tools/guidriver/GuiDriver.h"
#include "support/TestDir.h"

namespace fs = std::filesystem;
using namespace guidriver;

namespace {

const std::wstring kMainTitle = L"Stowly\u2122 - Version: 4.0.0";

fs::path BuiltProgram() {
    const char* build = std::getenv("STOWLY_BUILD_DIR");
    REQUIRE(build);
    std::string dos = std::string("Z:") + build + "/stowly.exe";
    for (char& c : dos)
        if (c == '/') c = '\\';
    return dos;
}

// A copy of the program in `folder`, which is made first.
fs::path CopyProgram(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(BuiltProgram(), folder / "stowly.exe", fs::copy_options::overwrite_existing);
    return folder / "stowly.exe";
}

// A started program; ended by force if a test leaves it running.
class Started {
public:
    explicit Started(const fs::path& exe) {
        STARTUPINFOW si{sizeof si};
        std::wstring cmd = L"\"" + exe.wstring() + L"\"";
        REQUIRE(CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               exe.parent_path().c_str(), &si, &pi_));
    }
    ~Started() {
        if (!Ended(0)) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    DWORD pid() const { return pi_.dwProcessId; }
    bool Ended(unsigned waitMs) const { return WaitForSingleObject(pi_.hProcess, waitMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
};

bool AnyVisibleWindow(DWORD pid) {
    return !TopWindows(pid, [](HWND h) { return IsWindowVisible(h) != FALSE; }).empty();
}

HWND Splash(DWORD pid) {
    const auto found = TopWindows(pid, [](HWND h) { return IsWindowVisible(h) && ClassName(h) == L"StowlySplash"; });
    return found.empty() ? nullptr : found.front();
}

} // namespace

TEST_CASE("Started from a folder inside a desktop folder, the program says so and ends") {
    stowly::test::TestDir dir;
    Started program(CopyProgram(dir.path() / "Desktop" / "Tools"));

    std::vector<MessageBoxInfo> boxes;
    REQUIRE(WaitFor([&] { return !(boxes = MessageBoxes(program.pid())).empty(); }, 20000));
    CHECK(boxes[0].title == L"Stowly");
    CHECK(boxes[0].text == L"Sorry, but you cannot run this program from the desktop.  Please reinstall.");
    CHECK_FALSE(Splash(program.pid()));

    REQUIRE(Click(GetDlgItem(boxes[0].hwnd, IDOK)));
    REQUIRE(program.Ended(10000));
    CHECK(program.ExitCode() == 0);
}

TEST_CASE("The splash shows for three seconds, then the main window; a second copy ends at once") {
    stowly::test::TestDir dir;
    const fs::path exe = CopyProgram(dir.path() / "Program");
    Started program(exe);

    HWND splash = nullptr;
    REQUIRE(WaitFor([&] { return (splash = Splash(program.pid())) != nullptr; }, 20000));
    const ULONGLONG shownAt = GetTickCount64();
    CHECK(FindChild(splash, L"Stowly\u2122"));
    CHECK(FindChild(splash, L"Version: 4.0.0"));
    RECT client{};
    GetClientRect(splash, &client);
    const UINT dpi = GetDpiForWindow(splash);
    CHECK(client.right == MulDiv(6825, static_cast<int>(dpi), 1440));
    CHECK(client.bottom == MulDiv(4350, static_cast<int>(dpi), 1440));

    {
        Started second(exe);
        bool showedWindow = false;
        const bool ended = WaitFor(
            [&] {
                showedWindow = showedWindow || AnyVisibleWindow(second.pid());
                return second.Ended(0);
            },
            10000);
        CHECK(ended);
        CHECK_FALSE(showedWindow);
        CHECK(second.ExitCode() == 0);
    }

    REQUIRE(WaitFor([&] { return !IsWindow(splash) || !IsWindowVisible(splash); }, 15000));
    const ULONGLONG splashMs = GetTickCount64() - shownAt;
    MESSAGE("splash visible for about " << splashMs << " ms");
    CHECK(splashMs >= 2500);

    HWND main = nullptr;
    REQUIRE(WaitFor([&] { return (main = FindWindowByTitle(program.pid(), kMainTitle, true)) != nullptr; }, 15000));
    CHECK_FALSE(Splash(program.pid()));

    PostMessageW(main, WM_CLOSE, 0, 0);
    CHECK(program.Ended(10000));
}
