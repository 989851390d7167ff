// Clean plus restore of 5,000 items on the simulated desktop against bare renames. Run with
//   stowly_tests --test-case='*benchmark*clean*' --no-skip -s
// in a Release build without sanitizers (-DCMAKE_BUILD_TYPE=Release -DSTOWLY_SANITIZE=OFF).
#include <doctest/doctest.h>

#include <chrono>

#include "ClosetMachine.h"
#include "closet/CleanRestore.h"

using stowly::test::ClosetMachine;

TEST_CASE("benchmark: clean and restore of 5,000 items against bare renames" * doctest::skip()) {
    ClosetMachine m;
    const auto desk = m.os.HostPath(ClosetMachine::kDesk), closet = m.os.HostPath(ClosetMachine::kCloset);
    for (int i = 0; i < 5000; ++i) m.Put(ClosetMachine::kDesk + std::to_string(i), "x");
    const auto start = std::chrono::steady_clock::now();
    stowly::CleanDesktop(m.ctx);
    stowly::RestoreDesktop(m.ctx);
    const auto middle = std::chrono::steady_clock::now();
    for (int i = 0; i < 5000; ++i) std::filesystem::rename(desk / std::to_string(i), closet / std::to_string(i));
    for (int i = 0; i < 5000; ++i) std::filesystem::rename(closet / std::to_string(i), desk / std::to_string(i));
    const std::chrono::duration<double> program = middle - start, bare = std::chrono::steady_clock::now() - middle;
    CHECK(m.Contents(ClosetMachine::kDesk).size() == 5000);
    MESSAGE("clean + restore: " << program.count() << " s, bare renames: " << bare.count() << " s, ratio " << program / bare);
}
