// The about box's texts and hidden pictures, System Info and Help on the
// simulated machine.
#include <doctest/doctest.h>

#include "about/About.h"
#include "support/SimMachine.h"

using namespace stowly;

namespace {

constexpr const char* kMsinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

} // namespace

TEST_CASE("About names the running Windows: start-up's name first, then by version and build") {
    const struct { const char* startup; OsVersionInfo version; const char* shown; } rows[] = {
        {"Windows 2000", {true, 2, 5, 1, 2600}, "Windows 2000"}, {"", {true, 2, 6, 1, 7601}, "Windows 7"},
        {"", {true, 2, 6, 3, 9600}, "Windows 8.1"},             {"", {true, 2, 10, 0, 21999}, "Windows 10"},
        {"", {true, 2, 10, 0, 22000}, "Windows 11"},            {"", {true, 2, 11, 0, 30000}, "Windows 11.0 (build 30000)"},
    };
    for (const auto& r : rows) CHECK(AboutOsName(r.startup, r.version) == r.shown);
}

TEST_CASE("The logo's double-click shows the hidden pictures by the keys pressed before it") {
    struct Key { int code; bool shift, ctrl; }; // a key pressed; code 0: every key released
    const Key shiftDown{HiddenPictures::kKeyShift, true, false}, shiftBDown{HiddenPictures::kKeyB, true, false}, up{0, false, false};
    const Key ctrlShiftB{HiddenPictures::kKeyB, true, true}, plainB{HiddenPictures::kKeyB, false, false};
    const struct { const char* what; std::vector<std::vector<Key>> keysBeforeEachClick; std::array<bool, 3> shown; } rows[] = {
        {"no keys, once: the third", {{}}, {false, false, true}},
        {"no keys, twice: the third shown and hidden again", {{}, {}}, {false, false, false}},
        {"Shift+B held: the first", {{shiftDown, shiftBDown}}, {true, false, false}},
        {"Shift pressed and released: the second", {{shiftDown, up}}, {false, true, false}},
        {"Shift+B released before the click: the third", {{shiftDown, shiftBDown, up, up}}, {false, false, true}},
        {"first shown, then Shift: the second replaces it", {{shiftDown, shiftBDown}, {shiftDown, up}}, {false, true, false}},
        {"the second is used up by its click", {{shiftDown, up}, {}}, {false, false, true}},
        {"Ctrl or no Shift arms nothing", {{ctrlShiftB, plainB}}, {false, false, true}},
    };
    for (const auto& r : rows) {
        CAPTURE(r.what);
        HiddenPictures p;
        for (const auto& keys : r.keysBeforeEachClick) {
            for (const Key& k : keys) k.code ? p.KeyDown(k.code, k.shift, k.ctrl, false) : p.KeyUp();
            p.LogoDoubleClicked();
        }
        CHECK(std::array<bool, 3>{p.Shown(0), p.Shown(1), p.Shown(2)} == r.shown);
    }
}

TEST_CASE("System Info starts the program the registry names, quoted, or says it is unavailable") {
    const std::string folder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo", exe = folder + "\\MSINFO32.EXE";
    const RegData tools = std::string("C:\\Tools\\msinfo32.exe"), quoted = std::string("\"C:\\T\\m.exe\""), location = folder;
    const struct { const char* what; std::optional<RegData> path, location; bool exeExists, starts; std::vector<std::string> started; } rows[] = {
        {"neither value", {}, {}, true, true, {}},
        {"PATH, run as named without looking for the file", tools, {}, false, true, {"\"C:\\Tools\\msinfo32.exe\""}},
        {"PATH already quoted", quoted, {}, false, true, {"\"C:\\T\\m.exe\""}},
        {"PATH that cannot start", tools, {}, false, false, {}},
        {"the tools location with MSINFO32.EXE in it", {}, location, true, true, {"\"" + exe + "\""}},
        {"the tools location without it", {}, location, false, true, {}},
    };
    for (const auto& r : rows) {
        CAPTURE(r.what);
        test::SimMachine m;
        if (r.path) m.os.RegWrite(RegRoot::LocalMachine, kMsinfo, "PATH", *r.path, true);
        if (r.location) m.os.RegWrite(RegRoot::LocalMachine, kLocation, "MSINFO", *r.location, true);
        if (r.exeExists) test::WriteHostFile(m.os.HostPath(exe), "MZ");
        m.os.programsStart = r.starts;
        StartSysInfo(m.os, m.ui);
        CHECK(m.os.startedPrograms == r.started);
        CHECK(m.ui.MessageTexts() == (r.started.empty() ? std::vector<std::string>{kUnavailable} : std::vector<std::string>{}));
    }
}

TEST_CASE("GetKeyValue reads text without its NUL and numbers as digits") {
    test::SimMachine m;
    m.os.RegWrite(RegRoot::CurrentUser, "Software\\T", "text", std::string("abc"), true);
    m.os.RegWrite(RegRoot::CurrentUser, "Software\\T", "number", int32_t{-42}, true);
    m.os.RegWrite(RegRoot::CurrentUser, "Software\\T", "long", std::string(1024, 'x'), true);
    // A text of 1024 bytes leaves no room for its NUL.
    for (auto [name, found, got] : {std::tuple{"text", true, "abc"}, {"number", true, "-42"}, {"long", false, ""},
                                    {"missing", false, ""}}) {
        CAPTURE(name);
        std::string value = "before";
        CHECK(GetKeyValue(m.os, RegRoot::CurrentUser, "Software\\T", name, value) == found);
        CHECK(value == got);
    }
}

TEST_CASE("Help starts the viewer of the Windows folder on the quoted help file and does not wait") {
    test::SimMachine m;
    m.os.windowsFolder = "D:\\WINNT";
    RunHelp(m.os, m.ui, "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(m.os.startedPrograms ==
          std::vector<std::string>{"\"D:\\WINNT\\hh.exe\" \"C:\\PROGRAM FILES\\STOWLY\\stowly.chm\""});
    CHECK(m.ui.shown.empty());
    m.os.programsStart = false;
    RunHelp(m.os, m.ui, "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{"The help viewer could not be started."});
}
