// Clean plus restore of n items (5,000 unless given) on the simulated desktop against
// bare renames of the same files. Release build without sanitizers:
//   cmake --preset linux -B build/bench -DCMAKE_BUILD_TYPE=Release -DSTOWLY_SANITIZE=OFF
//   cmake --build build/bench --target closet_bench && build/bench/closet_bench [n]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "closet/ClosetMachine.h"
#include "closet/CleanRestore.h"

using stowly::test::ClosetMachine;

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
    ClosetMachine m;
    const auto desk = m.os.HostPath(ClosetMachine::kDesk), closet = m.os.HostPath(ClosetMachine::kCloset);
    for (int i = 0; i < n; ++i) m.Put(ClosetMachine::kDesk + std::to_string(i), "x");
    const auto start = std::chrono::steady_clock::now();
    stowly::CleanDesktop(m.ctx);
    stowly::RestoreDesktop(m.ctx);
    const auto middle = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) std::filesystem::rename(desk / std::to_string(i), closet / std::to_string(i));
    for (int i = 0; i < n; ++i) std::filesystem::rename(closet / std::to_string(i), desk / std::to_string(i));
    const std::chrono::duration<double> program = middle - start, bare = std::chrono::steady_clock::now() - middle;
    if (m.Contents(ClosetMachine::kDesk).size() != static_cast<size_t>(n)) {
        std::printf("not every item came back\n");
        return 1;
    }
    std::printf("clean + restore of %d items: %.3f s, bare renames: %.3f s, ratio %.2f\n", n, program.count(),
                bare.count(), program / bare);
}
