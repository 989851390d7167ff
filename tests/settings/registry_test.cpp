#include <doctest/doctest.h>

#include "platform/Errors.h"
#include "platform/sim/SimPlatform.h"
#include "settings/Registry.h"
#include "support/TestDir.h"

using namespace stowly;
using stowly::test::TestDir;

namespace {
const RegRoot kCU = RegRoot::CurrentUser;
const RegRoot kLM = RegRoot::LocalMachine;
const char* const kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kDesk = "Control Panel\\Desktop";
} // namespace

TEST_CASE("Registry values round trip: text with its NUL, numbers, missing and deleted values") {
    TestDir dir;
    SimPlatform os(dir.path());

    SetRegKeyValue(os, kLM, kRun, "Stowly", std::string("C:\\PROGRAM FILES\\STOWLY\\STOWLY.EXE"), kRegSz);
    CHECK(QueryRegKeyValue(os, kLM, kRun, "stowly") == RegData(std::string("C:\\PROGRAM FILES\\STOWLY\\STOWLY.EXE\0", 35)));

    SetRegKeyValue(os, kCU, kDesk, "WallpaperStyle", std::string("2"), kRegSz);
    RegData style = QueryRegKeyValue(os, kCU, "control panel\\desktop", "WallpaperStyle");
    REQUIRE(std::holds_alternative<std::string>(style));
    CHECK(std::get<std::string>(style) == std::string("2\0", 2));

    SetRegKeyValue(os, kCU, kDesk, "Number", int32_t{-5}, kRegDword);
    CHECK(QueryRegKeyValue(os, kCU, kDesk, "Number") == RegData(int32_t{-5}));
    SetRegKeyValue(os, kCU, kDesk, "FromText", std::string(" 12 "), kRegDword);
    CHECK(QueryRegKeyValue(os, kCU, kDesk, "FromText") == RegData(int32_t{12}));
    SetRegKeyValue(os, kCU, kDesk, "FromNumber", int32_t{7}, kRegSz);
    CHECK(QueryRegKeyValue(os, kCU, kDesk, "FromNumber") == RegData(std::string("7\0", 2)));

    CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, kCU, kDesk, "Missing")));
    CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, kCU, "No\\Such\\Key", "Missing")));

    DeleteRegValue(os, kLM, kRun, "Stowly");
    CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, kLM, kRun, "Stowly")));
    DeleteRegValue(os, kCU, kDesk, "Missing");
    DeleteRegValue(os, kCU, "No\\Such\\Key", "Missing");
    CHECK(QueryRegKeyValue(os, kCU, kDesk, "Number") == RegData(int32_t{-5}));
    CHECK_FALSE(os.RegKeyExists(kCU, "No\\Such\\Key"));
}

TEST_CASE("SetRegKeyValue never creates a key, and other types write nothing") {
    TestDir dir;
    SimPlatform os(dir.path());
    SetRegKeyValue(os, kCU, "Software\\Missing", "Value", std::string("x"), kRegSz);
    CHECK_FALSE(os.RegKeyExists(kCU, "Software\\Missing"));

    OpenRegKey desk{os, kCU, kDesk};
    CHECK(WriteRegValue(desk, "Binary", 3, std::string("x")) == 0);
    CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, kCU, kDesk, "Binary")));
    CHECK(WriteRegValue({os, kCU, "Software\\Missing"}, "Value", kRegSz, std::string("x")) == 2);
}

TEST_CASE("ReadRegValue leaves the value alone when it cannot read; bad numbers are run-time errors") {
    TestDir dir;
    SimPlatform os(dir.path());
    OpenRegKey desk{os, kCU, kDesk};
    RegData value = std::string("kept");
    CHECK(ReadRegValue(desk, "Missing", value) == 2);
    CHECK(value == RegData(std::string("kept")));

    for (const char* text : {"abc", "1.5", ""}) {
        CAPTURE(text);
        try {
            WriteRegValue(desk, "Number", kRegDword, std::string(text));
            FAIL("no error");
        } catch (const RuntimeError& e) {
            CHECK(e.number() == 13);
        }
    }
    CHECK_THROWS_AS(WriteRegValue(desk, "Number", kRegDword, std::string("4294967296")), RuntimeError);
    CHECK(std::holds_alternative<std::monostate>(QueryRegKeyValue(os, kCU, kDesk, "Number")));
}
