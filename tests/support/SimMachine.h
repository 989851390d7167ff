#pragma once
// A simulated machine for one test: its sandbox, the platform, scripted prompts,
// the program's state and the context that ties them together.
#include <map>

#include "core/AppState.h"
#include "core/Error.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

namespace stowly::test {

// The run-time error number that `f` throws, 0 when it throws nothing.
int ErrorOf(auto&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

using Places = std::map<std::string, std::pair<int32_t, int32_t>>; // icon name -> position

struct SimMachine {
    TestDir dir;
    SimPlatform os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};

    void Put(const std::string& path, const std::string& bytes) { WriteHostFile(os.HostPath(path), bytes); }
    std::string Get(const std::string& path) { return ReadHostFile(os.HostPath(path)); }
    bool Exists(const std::string& path) { return std::filesystem::exists(os.HostPath(path)); }

    // Where the desktop's icons are; `scatter` first moves them where no grid would put them.
    Places IconPlaces(bool scatter = false) {
        Places p;
        for (int i = 0; scatter && i < static_cast<int>(os.Icons().size()); ++i)
            os.SetDesktopItemPosition(i, static_cast<int16_t>(600 - 37 * i), static_cast<int16_t>(13 + 41 * i));
        for (const auto& icon : os.Icons()) p[icon.name] = {icon.x, icon.y};
        return p;
    }
};

} // namespace stowly::test
