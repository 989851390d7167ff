// How RestoreLocations grows with the size of the desktop and of the position
// file: n items on the simulated desktop against n records naming them in
// another order, other letter case and with blanks around. Not a test. Build
// and run a release build (n at most 32767):
//   cmake --preset linux -B build/bench -DCMAKE_BUILD_TYPE=Release -DSTOWLY_SANITIZE=OFF
//   cmake --build build/bench --target restore_bench && build/bench/restore_bench [n ...]
// Times are the best of seven rounds; on a busy machine, counting instructions
// (valgrind --tool=callgrind --toggle-collect='stowly::RestoreLocations*') is steadier.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/Text.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

using namespace stowly;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    double restore = 0, enumerate = 0, read = 0;
};

Figures Measure(int n) {
    test::TestDir dir;
    SimPlatform os(dir.path());
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};

    os.virtualItems.clear();
    for (int i = 0; i < n; ++i) os.virtualItems.push_back("Icon number " + std::to_string(i));
    std::vector<IconRecord> records;
    for (int i = 0; i < n; ++i)
        records.push_back({"  " + UpperCase("icon number " + std::to_string(i)) + " ", i % 2000, i / 2000});
    std::shuffle(records.begin(), records.end(), std::mt19937(7));
    const std::string path = "C:\\bench.dpf";
    WritePositionFile(os, path, " S", records);

    Figures best{1e300, 1e300, 1e300};
    for (int round = 0; round < 7; ++round) {
        auto t0 = Clock::now();
        RestoreLocations(ctx, path);
        auto t1 = Clock::now();
        EnumDesktopIcons(ctx, nullptr);
        auto t2 = Clock::now();
        ReadPositionFile(os, path);
        auto t3 = Clock::now();
        best.restore = std::min(best.restore, Ms(t1 - t0));
        best.enumerate = std::min(best.enumerate, Ms(t2 - t1));
        best.read = std::min(best.read, Ms(t3 - t2));
    }
    if (!ui.shown.empty() || os.positionCalls.size() != 7u * n) {
        std::fprintf(stderr, "unexpected: %zu messages, %zu moves\n", ui.shown.size(), os.positionCalls.size());
        std::exit(1);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {5000, 10000, 20000};
    std::printf("%8s %12s %12s %12s %12s %14s\n", "n", "restore ms", "read ms", "enum ms", "match ms",
                "restore us/n");
    for (int n : sizes) {
        Figures f = Measure(n);
        std::printf("%8d %12.2f %12.2f %12.2f %12.2f %14.3f\n", n, f.restore, f.read, f.enumerate,
                    f.restore - f.read - f.enumerate, 1000 * f.restore / n);
    }
}
