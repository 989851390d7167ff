// RestoreLocations against n simulated items and n records naming them shuffled, upper-cased
// and padded; best of seven rounds. Release build (n at most 32767):
//   cmake --preset linux -B build/bench -DCMAKE_BUILD_TYPE=Release -DSTOWLY_SANITIZE=OFF
//   cmake --build build/bench --target restore_bench && build/bench/restore_bench [n ...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/Text.h"
#include "support/SimMachine.h"

using namespace stowly;

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {5000, 10000, 20000};
    std::printf("%8s %12s %14s\n", "n", "restore ms", "restore us/n");
    for (int n : sizes) {
        test::SimMachine m;
        m.os.virtualItems.clear();
        std::vector<IconRecord> records;
        for (int i = 0; i < n; ++i) {
            m.os.virtualItems.push_back("Icon number " + std::to_string(i));
            records.push_back({"  " + UpperCase("icon number " + std::to_string(i)) + " ", i % 2000, i / 2000});
        }
        std::shuffle(records.begin(), records.end(), std::mt19937(7));
        WritePositionFile(m.os, "C:\\bench.dpf", " S", records);
        double best = 1e300;
        for (int round = 0; round < 7; ++round) {
            auto start = std::chrono::steady_clock::now();
            RestoreLocations(m.os, m.ui, "C:\\bench.dpf");
            best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        if (!m.ui.shown.empty() || m.os.positionCalls.size() != 7u * n) {
            std::fprintf(stderr, "unexpected: %zu messages, %zu moves\n", m.ui.shown.size(), m.os.positionCalls.size());
            return 1;
        }
        std::printf("%8d %12.2f %14.3f\n", n, best, 1000 * best / n);
    }
}
