// The command line on the simulated desktop: each switch read, its command run
// without a window or a question, and the exit code that tells how it went.
#include <doctest/doctest.h>

#include "app/CommandLine.h"
#include "closet/ClosetMachine.h"
#include "closet/CleanRestore.h"
#include "core/OperationLock.h"
#include "icons/IconPositions.h"

using namespace stowly;
using M = test::ClosetMachine;

namespace {
const std::string kNotes = std::string(M::kDesk) + "notes.txt", kLayout = "C:\\Work.dpf";
void Desk(M& m) { m.Put(kNotes, "n"); }
void Cleaned(M& m) { Desk(m), CleanDesktop(m.ctx); }
// A position file, and the icons elsewhere (IconPlaces(true) puts notes.txt at 563,54).
void Layout(M& m) {
    Desk(m), m.Put(kLayout, "\r\n\r\n\r\n 1024 * 768   32 bit\r\n\r\nRecycle Bin,10,20\r\nnotes.txt,110,20\r\n");
    m.IconPlaces(true);
}
} // namespace

TEST_CASE("command line: the switches, the commands run without a window, and their exit codes") {
    struct Row { std::vector<std::string> args; Command command; int exit; void (*setup)(M&); std::string last; bool (*after)(M&); };
    const std::string usageEnd = "Exit codes: 0 done, 1 failed or done in part, 2 bad command line, 3 busy.";
    const Row rows[] = {
        {{"-CLEAN"}, Command::Clean, 0, Desk, kCleanFinished, [](M& m) { return !m.Exists(kNotes); }},
        {{"/clean"}, Command::Clean, 0, [](M& m) { m.os.syncRoots = {"C:\\Users\\Sim"}, Desk(m); }, kCleanFinished +
         std::string(" Your desktop is synced, so its items also left the desktop on your other computers: they are in "
                     "\"C:\\Users\\Sim\\Stowly Closet\\QuickClean\".")},
        {{"/clean"}, Command::Clean, 1, [](M& m) { Cleaned(m), Desk(m); }, kClosetNotEmpty},
        {{"/clean"}, Command::Clean, 1, [](M& m) { Desk(m), m.os.faults.locked.insert(kNotes); },
         kCleanFinished + std::string(" 1 item could not be moved.")},
        {{"/clean"}, Command::Clean, 3, [](M& m) { Desk(m), m.os.anotherCopyOperating = true; }, kOperationRunning,
         [](M& m) { return m.Exists(kNotes); }},
        {{"/save", kLayout}, Command::Save, 1, [](M& m) { Desk(m), m.StoppedAt(6, &CleanDesktop); },
         "Stowly was stopped before it finished cleaning your desktop.  Would you like to finish it now? No",
         [](M& m) { return m.Exists(kNotes) && !m.Exists(kLayout); }},
        {{"/Restore"}, Command::Restore, 0, Cleaned, kRestoreFinished, [](M& m) { return m.Get(kNotes) == "n"; }},
        {{"/restore"}, Command::Restore, 0, nullptr, "No icons to restore.  Your closet is already empty."},
        {{"/save", kLayout}, Command::Save, 0, [](M& m) { Layout(m), m.os.anotherCopyOperating = true; }, kPositionsSaved,
         [](M& m) { return m.Get(kLayout).ends_with("\r\nnotes.txt,563,54\r\n"); }},
        {{"-LOAD", kLayout}, Command::Load, 0, Layout, "Your icon positions have been restored.",
         [](M& m) { return m.IconPlaces() == test::Places{{"Recycle Bin", {10, 20}}, {"notes.txt", {110, 20}}}; }},
        {{"/load", kLayout}, Command::Load, 1, [](M& m) { Layout(m), m.os.arranging = true; },
         "Your icon positions have been restored. 2 icons are not where they were."},
        {{"/load", "C:\\Gone.dpf"}, Command::Load, 1, Desk, "Error Number:10553 from module RestoreLocations"},
        {{"/?"}, Command::Usage, 0, nullptr, usageEnd}, {{"/bogus"}, Command::Unreadable, 2, nullptr, usageEnd},
        {{"/save"}, Command::Unreadable, 2}, {{"/clean", "now"}, Command::Unreadable, 2}, {{"clean"}, Command::Unreadable, 2},
    };
    CHECK(ParseCommandLine({}).command == Command::None); // the windows start
    for (const Row& r : rows) {
        CAPTURE(r.args[0] + " " + r.last);
        const CommandLine line = ParseCommandLine(r.args);
        CHECK((line.command == r.command && line.file == (r.exit != 2 && r.args.size() == 2 ? r.args[1] : "")));
        M m;
        if (r.setup) r.setup(m);
        std::vector<std::string> lines;
        ConsoleUi ui([&](const std::string& text) { lines.push_back(text); });
        CHECK(RunCommandLine(m.os, ui, m.st, line) == r.exit);
        CHECK((r.last.empty() || lines.back() == r.last));
        if (r.after) CHECK(r.after(m));
    }
}
