// Quick cleans and restores in random sequences on the simulated machine, with the
// program folder on the desktops' volume (C:) or on another one (D:): runs stopped
// at any change of the disk and finished (or not) at the next start, the user's
// edits between them, and failures that pass after a few tries.
//
// Every file the user made has content of its own. After each run that was not
// stopped and left no journal, and at the end once every offer to finish is
// answered Yes: no working copy is anywhere, and the newest content of every file
// is there exactly once, on its own side (a desktop or that desktop's closet
// folder), under its own path with at most a " (n)" added to each name. A content
// the user replaced or deleted while a stopped run was pending may come back from
// that run's copy, once at most; any other content found is one nobody made.
//
// The input, one byte at a time (missing bytes read 0): the program folder (even
// C:, odd D:), then operations:
//   0 place name action   the user writes (action even) or deletes a file or folder
//   1 call error times leaf ending   a failure that passes, for the next run
//   2 answer what stop    a start: the offer to finish answered Yes (odd) or No,
//                         then nothing, a clean or a restore; stopped at change `stop`
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>

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

// The names the user works with: the first seven are files, the rest folders.
const char* const kNames[] = {"a.txt", "A.TXT", "b", ".hidden", "F\\a.txt", "F\\c.txt", "f\\G\\a.txt", "F", "f\\G"};
constexpr int kFiles = 7;
// Where the failures are: an item's name, alone or as a working copy's.
const char* const kLeaves[] = {"a.txt", "b", ".hidden", "F", "c.txt", "G"};
const char* const kEndings[] = {"", ".stowly-copying", ".stowly-copied", ".stowly-moving"};
const char* const kCalls[] = {"MoveItem", "RemoveFile", "RemoveFolder", "CopyOneFile"};

struct Input {
    const uint8_t* data;
    size_t size;
    int Next(int range) { return size ? (--size, *data++ % range) : 0; }
};

// `name` is `expected`, or `expected` with one " (n)" put in, in any case.
bool SameName(const std::string& name, const std::string& expected) {
    if (EqualsNoCase(name, expected)) return true;
    for (size_t open = name.find(" ("); open != std::string::npos; open = name.find(" (", open + 1)) {
        const size_t close = name.find(')', open);
        if (close == std::string::npos || close == open + 2 ||
            name.find_first_not_of("0123456789", open + 2) != close)
            continue;
        if (EqualsNoCase(name.substr(0, open) + name.substr(close + 1), expected)) return true;
    }
    return false;
}

bool SamePathNames(const fs::path& path, const fs::path& expected) {
    auto a = path.begin(), b = expected.begin();
    for (; a != path.end() && b != expected.end(); ++a, ++b)
        if (!SameName(a->string(), b->string())) return false;
    return a == path.end() && b == expected.end();
}

struct Machine {
    SimPlatform os;
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    std::string folder;
    std::map<std::string, std::pair<bool, fs::path>> live; // content -> shared desktop's, path below its place
    std::set<std::string> stale;                           // replaced or deleted while a run was pending
    int made = 0, clock = 0; // contents made, times given

    Machine(const fs::path& root, bool otherVolume)
        : os(root), folder(otherVolume ? "D:\\STOWLY\\" : "C:\\PROGRAM FILES\\STOWLY\\") {
        fs::create_directories(root / "D");
        os.desktopRunning = false; // no icons to wait for
    }
    // The user's desktop, its closet folder, the shared desktop, its closet folder.
    std::string Place(int i) const {
        const std::string places[] = {os.userDesktop, folder + "QuickClean", os.commonDesktop, folder + "AllUsers"};
        return places[i];
    }
    bool Pending() { return fs::exists(os.HostPath(JournalPath(folder))); }

    // A time of the user's own for every change, so that an edit is never taken for
    // the copy it replaced, and the platform sees each folder the user changed as changed.
    void Touch(const fs::path& path) {
        fs::last_write_time(path, fs::file_time_type() + std::chrono::seconds(1000000000 + ++clock));
    }
    void Forget(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::string content(std::istreambuf_iterator<char>(in), {});
        if (live.erase(content) && Pending()) stale.insert(content);
    }
    void Edit(int place, int name, bool remove) {
        const fs::path base = os.HostPath(Place(place)), path = os.HostPath(Place(place) + "\\" + kNames[name]);
        if (remove) {
            if (fs::is_directory(path))
                for (const auto& e : fs::recursive_directory_iterator(path))
                    if (e.is_regular_file()) Forget(e.path());
            if (fs::is_regular_file(path)) Forget(path);
            if (!fs::remove_all(path)) return;
        } else {
            if (name >= kFiles || fs::is_directory(path)) return;
            if (fs::is_regular_file(path)) Forget(path);
            fs::create_directories(path.parent_path());
            ++made;
            const std::string content = "file " + std::to_string(made) + std::string(made % 7, '+'); // sizes differ too
            std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
            Touch(path);
            live[content] = {place >= 2, fs::relative(path, base)};
        }
        for (fs::path p = path.parent_path(); p != base.parent_path(); p = p.parent_path()) Touch(p);
        Touch(base.parent_path());
    }

    // A start of the program; true when it ran to its end.
    bool Start(bool yes, int what, int stopAt) {
        st = {};
        st.ProgramFolder = st.ClosetDirectory = folder;
        st.UserDesktopFolder = os.userDesktop;
        st.CommonDesktopFolder = os.commonDesktop;
        st.ScreenSizeText = "1024x768x32";
        st.ClosetKeyFile = "QuickClean.qvr";
        ui = {};
        ui.Push(yes ? Answer::Yes : Answer::No);
        os.faults.stopAtChange = stopAt;
        bool stopped = false;
        try {
            OfferToFinishInterrupted(ctx);
            ui.replies.clear();
            if (what == 1) CleanDesktop(ctx);
            if (what == 2) RestoreDesktop(ctx);
        } catch (const SimPlatform::Stopped&) {
            stopped = true;
        }
        os.faults = {};
        return !stopped;
    }

    void Check() {
        for (const auto& e : fs::recursive_directory_iterator(os.Root()))
            Require(!IsWorkingName(e.path().filename().string()), "no working copy is left by a run that was not stopped");
        std::map<std::string, int> seen;
        for (int place = 0; place < 4; ++place) {
            const fs::path base = os.HostPath(Place(place));
            if (!fs::is_directory(base)) continue;
            for (const auto& e : fs::recursive_directory_iterator(base)) {
                if (!e.is_regular_file()) continue;
                std::ifstream in(e.path(), std::ios::binary);
                const std::string content(std::istreambuf_iterator<char>(in), {});
                ++seen[content];
                const auto it = live.find(content);
                if (it == live.end()) {
                    Require(stale.count(content), "no content comes back that the user replaced or deleted");
                    continue;
                }
                Require(it->second.first == (place >= 2), "a file stays with its own desktop or closet folder");
                Require(SamePathNames(fs::relative(e.path(), base), it->second.second), "a file keeps its names");
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
    Machine m(root, in.Next(2));
    const bool trace = getenv("TRACE");
    for (int op = 0; op < 24 && in.size; ++op) {
        if (trace) { system(("find " + root.string() + " | sed 's|" + root.string() + "||' >&2").c_str()); }
        switch (in.Next(3)) {
        case 0: {
            const int place = in.Next(4), name = in.Next(std::size(kNames));
            const int rm = in.Next(2);
            if (trace) fprintf(stderr, "EDIT %s %s %s\n", m.Place(place).c_str(), kNames[name], rm ? "delete" : "write");
            m.Edit(place, name, rm);
            break;
        }
        case 1: {
            const int call = in.Next(4), error = in.Next(2) ? winerr::Sharing : winerr::AccessDenied, times = 1 + in.Next(3);
            const int leaf = in.Next(std::size(kLeaves));
            m.os.faults.passing.push_back(
                {kCalls[call], std::string("\\") + kLeaves[leaf] + kEndings[in.Next(std::size(kEndings))], times, error});
            if (trace) fprintf(stderr, "FAULT %s %s x%d err %d\n", kCalls[call], m.os.faults.passing.back().pathEnd.c_str(), times, error);
            break;
        }
        default: {
            const bool yes = in.Next(2);
            const int what = in.Next(3);
            const int stop = in.Next(40);
            const bool pend = m.Pending();
            const bool ok = m.Start(yes, what, stop);
            if (trace) { fprintf(stderr, "START pending=%d %s %s stop=%d -> %s\n", pend, yes ? "Yes" : "No", what == 1 ? "clean" : what == 2 ? "restore" : "-", stop, ok ? "ran" : "STOPPED"); for (auto& t : m.ui.MessageTexts()) fprintf(stderr, "   msg: %s\n", t.c_str()); fprintf(stderr, "   progress: %s\n", m.ui.progressMessage.c_str()); }
            if (ok && !m.Pending()) m.Check();
        }
        }
    }
    for (int start = 0; start < 3 && m.Pending(); ++start) m.Start(true, 0, 0);
    Require(!m.Pending(), "a Yes with nothing in the way finishes a stopped run");
    m.Check();
    return 0;
}
