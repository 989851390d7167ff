#pragma once
// A simulated machine for one test: its sandbox, the platform, scripted prompts,
// the program's state and the context that ties them together.
#include "core/AppState.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

namespace stowly::test {

struct SimMachine {
    TestDir dir;
    SimPlatform os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
};

} // namespace stowly::test
