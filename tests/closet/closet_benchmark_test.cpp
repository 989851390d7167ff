// Not run by default; compares a quick clean plus restore of many items on the
// simulated desktop with a bare loop of renames of the same files:
//   stowly_tests --test-case='*benchmark*clean*' --no-skip -s
// (a Release build without sanitizers: -DCMAKE_BUILD_TYPE=Release -DSTOWLY_SANITIZE=OFF)
#include <doctest/doctest.h>

#include <chrono>

#include "closet/CleanRestore.h"
#include "ClosetMachine.h"

using namespace stowly;
using stowly::test::ClosetMachine;
namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST_CASE("benchmark: clean and restore of 5,000 items against bare renames" * doctest::skip()) {
    constexpr int kItems = 5000;
    ClosetMachine m;
    for (int i = 0; i < kItems; ++i) m.Put(ClosetMachine::kDesk + ("item " + std::to_string(i) + ".txt"), "x");

    double program = Seconds([&] {
        CleanDesktop(m.ctx);
        RestoreDesktop(m.ctx);
    });
    REQUIRE(m.st.wait.message == "Your Icons have been restored.");
    REQUIRE(m.Tree(ClosetMachine::kDesk).size() == kItems);

    const fs::path desk = m.os.HostPath(ClosetMachine::kDesk), closet = m.os.HostPath(ClosetMachine::kCloset);
    double bare = Seconds([&] {
        for (int i = 0; i < kItems; ++i) {
            std::string name = "item " + std::to_string(i) + ".txt";
            fs::rename(desk / name, closet / name);
        }
        for (int i = 0; i < kItems; ++i) {
            std::string name = "item " + std::to_string(i) + ".txt";
            fs::rename(closet / name, desk / name);
        }
    });
    MESSAGE("clean + restore: " << program << " s, bare renames: " << bare << " s, ratio " << program / bare);
}
