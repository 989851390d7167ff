// Quick cleans and restores in random sequences on the simulated machine, with the
// program folder on the desktops' volume (C:) or on another one (D:): runs stopped
// at any change of the disk and finished (or not) at the next start, the user's
// edits between them, and failures that pass after a few tries.
//
// Every file the user writes has a content of its own. After each run that was not
// stopped and left no journal, and at the end once every offer to finish has been
// answered Yes: no working copy is anywhere, no journal was put aside, and the
// newest content of every file is there exactly once, on its own side (a desktop or
// that desktop's closet folder) and under its own path, its names with or without
// " (n)" put in. A content the user replaced or deleted while a stopped run was
// pending may come back from that run's copy, once at most; any other content found
// is one nobody made. Moves within one volume are renames, so after a stop with the
// program folder on C: every content is there exactly once too, whatever its name.
//
// The input, a byte for each choice (missing bytes read 0): the program folder (even
// C:, odd D:), then operations:
//   0 place name action         the user writes (even) or deletes (odd) a file or folder
//   1 call error times leaf end  a failure that passes, for the next start
//   2 answers what stop          a start: the offer to finish a stopped run answered Yes
//                                (bit 0 set) or No, then nothing, a clean or a restore
//                                (which offers it again: bit 1), with the program
//                                stopped at change `stop` (0: never)
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "FuzzSupport.h"
#include "closet/CleanRestore.h"
#include "closet/Journal.h"
#include "closet/ShellOps.h"
#include "platform/Text.h"
#include "platform/sim/ScriptedUi.h"

using namespace stowly;
using fuzz::Require;
namespace fs = std::filesystem;

namespace {

// The names the user works with: the first ten are files, the rest folders. A
// source renamed aside by a stopped move is the user's still, and may be changed.
const char* const kNames[] = {"a.txt", "A.TXT", "b", ".hidden", "F\\a.txt", "F\\c.txt", "f\\G\\a.txt",
                              "a.txt.stowly-moving", "F.stowly-moving\\a.txt", "F.stowly-moving\\c.txt", "F", "f\\G"};
constexpr int kFiles = 10;
// Where failures happen: at an item's name, alone or as a working copy's.
const char* const kLeaves[] = {"a.txt", "b", ".hidden", "F", "c.txt", "G"};
const char* const kEnds[] = {"", ".stowly-copying", ".stowly-copied", ".stowly-moving"};
const char* const kCalls[] = {"MoveItem", "RemoveFile", "RemoveFolder", "CopyOneFile"};

struct Input {
    const uint8_t* data;
    size_t size;
    int Next(int range) { return size ? (--size, *data++ % range) : 0; }
};

// The files at or below `path`; none when nothing is there.
std::vector<fs::path> Files(const fs::path& path) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) files.push_back(path);
    for (const auto& e : fs::recursive_directory_iterator(path, ec))
        if (e.is_regular_file()) files.push_back(e.path());
    return files;
}

std::string Content(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// `name` is `expected` in any case, with or without " (n)" put in (a name taken at
// each move adds one).
bool SameName(std::string name, const std::string& expected) {
    for (size_t open = name.find(" ("); open != std::string::npos; open = name.find(" (", open)) {
        const size_t close = name.find(')', open);
        if (close != std::string::npos && close > open + 2 && name.find_first_not_of("0123456789", open + 2) == close)
            name.erase(open, close + 1 - open);
        else
            ++open;
    }
    return EqualsNoCase(name, expected);
}

bool SameNames(const fs::path& path, const fs::path& expected) {
    return std::equal(path.begin(), path.end(), expected.begin(), expected.end(),
                      [](const fs::path& a, const fs::path& b) { return SameName(a.string(), b.string()); });
}

struct Machine {
    SimPlatform os;
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    const std::string folder;
    std::string syncedCloset; // the user's closet inside the desktop's sync root, when it is synced
    std::map<std::string, std::pair<bool, fs::path>> live; // content -> a shared desktop's?, path below its place
    std::set<std::string> stale;                           // replaced or deleted while a run was pending
    int made = 0, clock = 0;                               // contents made, times given

    // Volume 0: the program on the desktops' volume; 1: on another; 2: on the same,
    // the user's desktop kept by a sync client.
    Machine(const fs::path& root, int volume)
        : os(root), folder(volume == 1 ? "D:\\STOWLY\\" : "C:\\PROGRAM FILES\\STOWLY\\") {
        fs::create_directories(root / "D");
        os.desktopRunning = false; // no icons to wait for
        if (volume == 2) {
            const std::string syncRoot = os.userDesktop.substr(0, os.userDesktop.rfind('\\'));
            os.syncRoots = {syncRoot};
            syncedCloset = syncRoot + "\\Stowly Closet\\QuickClean";
        }
    }
    // The user's desktop, its closet folder, the shared desktop, its closet folder.
    std::string Place(int i) const {
        const std::string closet = syncedCloset.empty() ? folder + "QuickClean" : syncedCloset;
        return std::array{os.userDesktop, closet, os.commonDesktop, folder + "AllUsers"}[i];
    }
    bool Pending() { return fs::exists(os.HostPath(JournalPath(folder))); }

    // A time of the user's own for every change: an edit is never taken for the
    // copy it replaced, and the platform sees every folder the user changed as changed.
    void Touch(const fs::path& path) {
        fs::last_write_time(path, fs::file_time_type() + std::chrono::seconds(1000000000 + ++clock));
    }
    void Forget(const fs::path& file) {
        const std::string content = Content(file);
        if (live.erase(content) && Pending()) stale.insert(content);
    }
    void Edit(int place, int name, bool remove) {
        const fs::path base = os.HostPath(Place(place)), path = os.HostPath(Place(place) + "\\" + kNames[name]);
        if (remove) {
            for (const fs::path& file : Files(path)) Forget(file);
            if (!fs::remove_all(path)) return;
        } else {
            const fs::path relative = fs::relative(path, base);
            if (name >= kFiles || fs::is_directory(path)) return;
            if (!fs::exists(path) && IsWorkingName(relative.begin()->string())) return; // never made by the user
            if (fs::is_regular_file(path)) Forget(path);
            fs::create_directories(path.parent_path());
            ++made;
            const std::string content = "file " + std::to_string(made) + std::string(made % 7, '+'); // sizes differ too
            std::ofstream(path, std::ios::binary) << content;
            Touch(path);
            fs::path own; // the names without a working name's ending
            for (const fs::path& part : relative) own /= IsWorkingName(part.string()) ? part.stem() : part;
            live[content] = {place >= 2, own};
        }
        for (fs::path p = path.parent_path(); p != base.parent_path().parent_path(); p = p.parent_path()) Touch(p);
    }

    // A start of the program; false when it was stopped. `answers`: bit 0 at the
    // start, bit 1 when the clean or restore offers to finish the stopped run first.
    bool Start(int answers, int what, int stopAt) {
        st = {.ProgramFolder = folder, .UserDesktopFolder = os.userDesktop, .CommonDesktopFolder = os.commonDesktop,
              .ClosetDirectory = folder, .ClosetKeyFile = "QuickClean.qvr"};
        ui = {};
        ui.Push(answers & 1 ? Answer::Yes : Answer::No);
        os.faults.stopAtChange = stopAt;
        bool stopped = false;
        try {
            OfferToFinishInterrupted(ctx);
            ui.replies.clear();
            ui.Push(answers & 2 ? Answer::Yes : Answer::No);
            if (what == 1) CleanDesktop(ctx);
            if (what == 2) RestoreDesktop(ctx);
        } catch (const SimPlatform::Stopped&) {
            stopped = true;
        }
        os.faults = {};
        return !stopped;
    }

    // `settled`: after a run that was not stopped; else after a stop on one volume.
    void Check(bool settled) {
        for (const auto& e : fs::recursive_directory_iterator(os.Root())) {
            const std::string name = e.path().filename().string();
            Require(!settled || !IsWorkingName(name), "no working copy is left by a run that was not stopped");
            Require(!name.ends_with(".rejected"), "the program can use every journal it wrote");
        }
        std::map<std::string, int> seen;
        for (int place = 0; place < 4; ++place) {
            const fs::path base = os.HostPath(Place(place));
            for (const fs::path& file : Files(base)) {
                const std::string content = Content(file);
                ++seen[content];
                const auto it = live.find(content);
                Require(it != live.end() || stale.count(content), "no content comes back that the user replaced or deleted");
                if (it == live.end()) continue;
                Require(it->second.first == (place >= 2), "a file stays with its own desktop or closet folder");
                Require(!settled || SameNames(fs::relative(file, base), it->second.second), "a file keeps its names");
            }
        }
        for (const auto& [content, where] : live) Require(seen[content] == 1, "every file is there exactly once");
        for (const auto& content : stale) Require(seen[content] <= 1, "an older content comes back once at most");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const fs::path root = fuzz::Sandbox() / "machine";
    fs::remove_all(root);
    Machine m(root, in.Next(3));
    for (int op = 0; op < 24 && in.size; ++op) {
        switch (in.Next(3)) {
        case 0: {
            const int place = in.Next(4), name = in.Next(std::size(kNames));
            m.Edit(place, name, in.Next(2));
            break;
        }
        case 1: {
            const char* call = kCalls[in.Next(4)];
            const int error = in.Next(2) ? winerr::Sharing : winerr::AccessDenied, times = 1 + in.Next(3);
            const std::string leaf = kLeaves[in.Next(std::size(kLeaves))], end = "\\" + leaf + kEnds[in.Next(std::size(kEnds))];
            // One at a time for a call and path end, so that no failure outlasts the program's tries.
            std::erase_if(m.os.faults.passing, [&](const auto& f) { return f.call == call && f.pathEnd == end; });
            m.os.faults.passing.push_back({call, end, times, error});
            break;
        }
        default: {
            const int answers = in.Next(4), what = in.Next(3);
            if (m.Start(answers, what, in.Next(40))) {
                if (!m.Pending()) m.Check(true);
            } else if (m.folder[0] == 'C') {
                m.Check(false);
            }
        }
        }
    }
    for (int start = 0; start < 3 && m.Pending(); ++start) m.Start(1, 0, 0);
    Require(!m.Pending(), "a Yes with nothing in the way finishes a stopped run");
    m.Check(true);
    return 0;
}
