#include "closet/ShellOps.h"

#include <string_view>

#include "core/Files.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr int kSharingRetries = 4;
constexpr unsigned kSharingPauseMs = 50;
// A file just written is opened at once by a virus scanner or the search indexer,
// so a rename or delete of a fresh copy can fail for a moment too; each step of a
// move across volumes gets about a second.
constexpr int kPassingRetries = 10;
constexpr unsigned kPassingPauseMs = 100;
constexpr int kMaxNumber = 9999;

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The working names of an item copied across volumes, beside its destination.
constexpr std::string_view kCopying = ".stowly-copying", kCopied = ".stowly-copied";
struct WorkingNames {
    std::string copying, copied;
};
WorkingNames WorkingNamesOf(const std::string& destFolder, const std::string& name) {
    const std::string base = destFolder + "\\" + name;
    return {base + std::string(kCopying), base + std::string(kCopied)};
}

// Runs a step of a move across volumes again while it fails in a way that may pass.
template <typename Step>
int Retried(Platform& os, Step step) {
    int result = step();
    for (int retry = 0; retry < kPassingRetries && (result == winerr::Sharing || result == winerr::AccessDenied);
         ++retry) {
        os.SleepMs(kPassingPauseMs);
        result = step();
    }
    return result;
}

int CopyTree(Platform& os, const std::string& from, const std::string& to) {
    const FileAttributes a = os.Attributes(from);
    if (!a.exists) return winerr::FileNotFound;
    if (a.isLink) return os.CopyLink(from, to);
    if (!a.isFolder) return os.CopyOneFile(from, to);
    if (!os.CreateFolder(to)) return winerr::AccessDenied;
    for (const DirEntry& e : os.ListAll(from))
        if (int result = CopyTree(os, from + "\\" + e.name, to + "\\" + e.name)) return result;
    return 0;
}

// Whether every entry under `a` is under `b` too, of the same kind, size and time
// of the last change (a copied file keeps its source's; a copied link is new).
bool Covers(Platform& os, const std::string& a, const std::string& b) {
    const FileAttributes x = os.Attributes(a), y = os.Attributes(b);
    if (!x.exists || !y.exists || x.isFolder != y.isFolder || x.isLink != y.isLink || x.size != y.size ||
        (!x.isLink && x.lastWrite != y.lastWrite))
        return false;
    if (!x.isFolder || x.isLink) return true;
    for (const DirEntry& e : os.ListAll(a))
        if (!Covers(os, a + "\\" + e.name, b + "\\" + e.name)) return false;
    return true;
}

// Whether every entry under `a` has a namesake under `b`, whatever it holds.
bool NamesKept(Platform& os, const std::string& a, const std::string& b) {
    const FileAttributes x = os.Attributes(a);
    if (!os.Attributes(b).exists) return false;
    if (!x.isFolder || x.isLink) return true;
    for (const DirEntry& e : os.ListAll(a))
        if (!NamesKept(os, a + "\\" + e.name, b + "\\" + e.name)) return false;
    return true;
}

// Whether the copy holds exactly what the source holds.
bool SameTree(Platform& os, const std::string& a, const std::string& b) { return Covers(os, a, b) && Covers(os, b, a); }

// Renames a whole copy into `destFolder` under the item's name, or a free one.
int PlaceCopy(Platform& os, const std::string& copied, const std::string& destFolder, const std::string& name) {
    int result = Retried(os, [&] { return os.MoveItem(copied, destFolder + "\\" + name); });
    for (int attempt = 0; attempt < 3 && result == winerr::AlreadyExists; ++attempt) {
        std::string to = FreeDestination(os, destFolder, name, os.Attributes(copied).isFolder);
        if (to.empty()) break;
        result = Retried(os, [&] { return os.MoveItem(copied, to); });
    }
    return result;
}

MoveResult MoveAcrossVolumes(Platform& os, const std::string& from, const std::string& to) {
    const std::string destFolder = ParentOf(to), name = NameOf(from);
    const WorkingNames work = WorkingNamesOf(destFolder, name);
    // Something under a working name is never ours to replace: FinishPlannedMove
    // deals with what a stopped run left.
    if (os.Attributes(work.copying).exists || os.Attributes(work.copied).exists) return {winerr::AlreadyExists};
    int result = CopyTree(os, from, work.copying);
    if (result == 0 && !SameTree(os, from, work.copying)) result = winerr::AccessDenied;
    if (result == 0) result = Retried(os, [&] { return os.MoveItem(work.copying, work.copied); });
    if (result != 0) {
        if (Retried(os, [&] { return RemoveTree(os, work.copying); }) != 0) return {result, work.copying};
        return {result};
    }
    // From here the copy is the item: whatever of the source cannot be deleted
    // stays where it was, and the move counts as failed, but the copy goes into place.
    const int removed = Retried(os, [&] { return RemoveTree(os, from); });
    if (PlaceCopy(os, work.copied, destFolder, NameOf(to)) != 0) return {removed, work.copied};
    return {removed};
}

// One move: a rename, tried again while another program holds the item for a
// moment, or a copy when the destination is on another volume.
MoveResult MoveOne(Platform& os, const std::string& from, const std::string& to) {
    int result = os.MoveItem(from, to);
    for (int retry = 0; retry < kSharingRetries && result == winerr::Sharing; ++retry) {
        os.SleepMs(kSharingPauseMs);
        result = os.MoveItem(from, to);
    }
    if (result == winerr::NotSameDevice) return MoveAcrossVolumes(os, from, to);
    return {result};
}

} // namespace

int RemoveTree(Platform& os, const std::string& path) {
    const FileAttributes a = os.Attributes(path);
    if (!a.exists) return 0;
    if (a.isLink) return a.isFolder ? os.RemoveFolder(path) : os.RemoveFile(path);
    if (!a.isFolder) return os.RemoveFile(path);
    int first = 0;
    for (const DirEntry& e : os.ListAll(path))
        if (int result = RemoveTree(os, path + "\\" + e.name); result && !first) first = result;
    if (int result = os.RemoveFolder(path); result && !first) first = result;
    return first;
}

MoveResult FinishPlannedMove(Platform& os, const std::string& source, const std::string& destFolder) {
    const WorkingNames work = WorkingNamesOf(destFolder, NameOf(source));
    // A whole copy stands for its source only while what is left of the source is
    // still what was copied. A source the user changed or added to since the stop
    // (the answer may come weeks later) is moved again and the copy goes; when the
    // stopped delete also took entries of it, the copy, which holds those, goes into
    // place and the source follows under a free name beside it.
    if (os.Attributes(work.copied).exists && os.Attributes(source).exists && !Covers(os, source, work.copied)) {
        if (!NamesKept(os, work.copied, source)) {
            if (PlaceCopy(os, work.copied, destFolder, NameOf(source)) != 0) return {winerr::AccessDenied, work.copied};
            return MoveIntoFolder(os, source, destFolder); // under a free name beside the copy
        }
        if (Retried(os, [&] { return RemoveTree(os, work.copied); }) != 0) return {winerr::AccessDenied, work.copied};
    }
    if (os.Attributes(work.copied).exists) {
        Retried(os, [&] { return RemoveTree(os, source); });
        const int placed = PlaceCopy(os, work.copied, destFolder, NameOf(source));
        return placed == 0 ? MoveResult{} : MoveResult{0, work.copied};
    }
    if (Retried(os, [&] { return RemoveTree(os, work.copying); }) != 0) return {winerr::AccessDenied, work.copying};
    if (!os.Attributes(source).exists) return {};
    if (!HaveFolder(os, destFolder)) return {winerr::PathNotFound};
    return MoveIntoFolder(os, source, destFolder);
}

std::string FreeDestination(Platform& os, const std::string& folder, const std::string& name, bool isFolder) {
    std::string first = folder + "\\" + name;
    if (!os.Attributes(first).exists) return first;
    size_t dot = isFolder ? std::string::npos : name.find_last_of('.');
    if (dot == 0) dot = std::string::npos; // ".profile" is all name
    std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot);
    for (int n = 2; n <= kMaxNumber; ++n) {
        std::string candidate = folder + "\\" + stem + " (" + std::to_string(n) + ")" + ext;
        if (!os.Attributes(candidate).exists) return candidate;
    }
    return {};
}

MoveResult MoveIntoFolder(Platform& os, const std::string& source, const std::string& destFolder) {
    // The move itself refuses a taken name; only then is a free one looked for
    // (again if the name found is taken before the move).
    const std::string name = NameOf(source);
    MoveResult result = MoveOne(os, source, destFolder + "\\" + name);
    for (int attempt = 0; attempt < 3 && result.error == winerr::AlreadyExists && result.leftBehind.empty(); ++attempt) {
        std::string to = FreeDestination(os, destFolder, name, os.Attributes(source).isFolder);
        if (to.empty()) break;
        result = MoveOne(os, source, to);
    }
    return result;
}

int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder) {
    if (!HaveFolder(os, destFolder)) return winerr::PathNotFound;
    return MoveIntoFolder(os, source, destFolder).error;
}

PassResult ShellFileCopy(Platform& os, const std::vector<std::string>& paths, const std::string& destFolder,
                         const std::function<void()>& beforeEach) {
    PassResult pass;
    if (paths.empty()) return pass;
    if (!HaveFolder(os, destFolder)) {
        pass.notMoved = static_cast<int>(paths.size());
        return pass;
    }
    for (const auto& path : paths) {
        if (beforeEach) beforeEach();
        pass.Add(MoveIntoFolder(os, path, destFolder));
    }
    return pass;
}

std::string QuotedList(const std::vector<std::string>& paths) {
    constexpr size_t kNamed = 5;
    std::string list;
    for (size_t i = 0; i < paths.size() && i < kNamed; ++i) list += (i ? ", \"" : "\"") + paths[i] + "\"";
    if (paths.size() > kNamed) list += " and " + std::to_string(paths.size() - kNamed) + " more";
    return list;
}

bool IsWorkingName(const std::string& name) {
    for (std::string_view end : {kCopying, kCopied})
        if (name.size() > end.size() && EqualsNoCase(std::string_view(name).substr(name.size() - end.size()), end))
            return true;
    return false;
}

std::string WorkingCopiesSentence(const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    if (paths.size() == 1)
        return " " + QuotedList(paths) + " is a working copy of a move that did not finish, so it was left where it is.";
    return " " + std::to_string(paths.size()) + " working copies of moves that did not finish were left where they are: " +
           QuotedList(paths) + ".";
}

std::string LeftBehindSentence(const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    const std::string list = QuotedList(paths);
    return paths.size() == 1 ? " One item is still under a working name: " + list +
                                   ". Stowly will offer to finish moving it at its next start."
                             : " " + std::to_string(paths.size()) + " items are still under working names: " + list +
                                   ". Stowly will offer to finish moving them at its next start.";
}

} // namespace stowly
