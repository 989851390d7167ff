#include "closet/ShellOps.h"

#include <string_view>

#include "core/Files.h"
#include "platform/Text.h"

namespace stowly {

namespace {

// How long a step that fails in a way that may pass is tried again. An item held
// open by another program for a moment: a sharing violation, a few short tries. A
// file just written is opened at once by a virus scanner or the search indexer, so
// a rename or delete of a fresh copy can fail for a moment too, with access denied:
// each step of a move across volumes gets about a second.
struct Patience {
    int retries;
    unsigned pauseMs;
    bool deniedToo;
};
constexpr Patience kHeldOpen{4, 50, false}, kFreshCopy{10, 100, true};
constexpr int kMaxNumber = 9999;

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The working names of an item moved across volumes: its source renamed aside
// while it is copied, and the copy beside its destination while it is made and
// once it is whole.
constexpr std::string_view kMoving = ".stowly-moving", kCopying = ".stowly-copying", kCopied = ".stowly-copied";
struct WorkingNames {
    std::string copying, copied;
};
WorkingNames WorkingNamesOf(const std::string& destFolder, const std::string& name) {
    const std::string base = destFolder + "\\" + name;
    return {base + std::string(kCopying), base + std::string(kCopied)};
}
std::string MovingName(const std::string& source) { return source + std::string(kMoving); }

bool Exists(Platform& os, const std::string& path) { return os.Attributes(path).exists; }

// Runs a step again while it fails in a way that may pass.
template <typename Step>
int Retried(Platform& os, Step step, Patience patience = kFreshCopy) {
    int result = step();
    for (int retry = 0; retry < patience.retries &&
                        (result == winerr::Sharing || (patience.deniedToo && result == winerr::AccessDenied));
         ++retry) {
        os.SleepMs(patience.pauseMs);
        result = step();
    }
    return result;
}

// Whether a move failed only because its destination name is taken.
bool NameTaken(int result) { return result == winerr::AlreadyExists; }
bool NameTaken(const MoveResult& result) { return result.error == winerr::AlreadyExists && result.leftBehind.empty(); }

// Tries `move` of the item at `from` to `folder\name` and, while that name is
// taken, to a free form of it (again when the free name is taken before the move).
// Nothing is ever replaced.
template <typename Move>
auto IntoFreeName(Platform& os, const std::string& from, const std::string& folder, const std::string& name, Move move) {
    auto result = move(folder + "\\" + name);
    for (int attempt = 0; attempt < 3 && NameTaken(result); ++attempt) {
        const std::string to = FreeDestination(os, folder, name, os.Attributes(from).isFolder);
        if (to.empty()) break;
        result = move(to);
    }
    return result;
}

// Copies a tree and writes each file and folder of the copy to the disk itself,
// so that the copy is there, whole, before anything of the source goes. A copied
// folder takes its source's attributes once its entries are in.
int CopyTree(Platform& os, const std::string& from, const std::string& to) {
    const FileAttributes a = os.Attributes(from);
    if (!a.exists) return winerr::FileNotFound;
    if (a.isLink) return os.CopyLink(from, to);
    if (!a.isFolder) {
        const int copied = os.CopyOneFile(from, to);
        return copied ? copied : os.FlushItem(to);
    }
    if (!os.CreateFolder(to)) return winerr::AccessDenied;
    int listed = 0;
    for (const DirEntry& e : os.ListAll(from, &listed))
        if (int result = CopyTree(os, from + "\\" + e.name, to + "\\" + e.name)) return result;
    if (listed) return listed;
    if (int flushed = os.FlushItem(to)) return flushed;
    return a.hidden || a.system || a.readOnly ? os.SetAttributes(to, a) : 0;
}

// Whether two entries are alike: the same kind, size and time of the last change
// (a copied file keeps its source's; a copied link is a new one).
bool SameEntry(const FileAttributes& x, const FileAttributes& y) {
    return x.exists && y.exists && x.isFolder == y.isFolder && x.isLink == y.isLink && x.size == y.size &&
           (x.isLink || x.lastWrite == y.lastWrite);
}

// Whether every entry under `a` is under `b` too, alike.
bool Covers(Platform& os, const std::string& a, const std::string& b) {
    const FileAttributes x = os.Attributes(a);
    if (!SameEntry(x, os.Attributes(b))) return false;
    if (!x.isFolder || x.isLink) return true;
    int listed = 0;
    for (const DirEntry& e : os.ListAll(a, &listed))
        if (!Covers(os, a + "\\" + e.name, b + "\\" + e.name)) return false;
    return listed == 0;
}

// Whether every entry under `a` has a namesake under `b`, whatever it holds.
bool NamesKept(Platform& os, const std::string& a, const std::string& b) {
    const FileAttributes x = os.Attributes(a);
    if (!Exists(os, b)) return false;
    if (!x.isFolder || x.isLink) return true;
    for (const DirEntry& e : os.ListAll(a))
        if (!NamesKept(os, a + "\\" + e.name, b + "\\" + e.name)) return false;
    return true;
}

// Whether the copy holds exactly what the source holds.
bool SameTree(Platform& os, const std::string& a, const std::string& b) { return Covers(os, a, b) && Covers(os, b, a); }

// Deletes the tree at `path`, or with `copy` only the entries that `copy` holds
// alike: whatever changed or arrived since the copy was checked stays. Each delete
// is tried again while it fails in a way that may pass. A read-only folder (the
// shell marks customised folders so) loses the mark to go, and keeps it when it
// stays. 0 when all went, else the first failure.
int RemoveExactly(Platform& os, const std::string& path, const std::string* copy) {
    const FileAttributes a = os.Attributes(path);
    if (!a.exists) return 0;
    if (copy && !SameEntry(a, os.Attributes(*copy))) return winerr::InvalidData;
    if (a.isLink) return Retried(os, [&] { return a.isFolder ? os.RemoveFolder(path) : os.RemoveFile(path); });
    if (!a.isFolder) return Retried(os, [&] { return os.RemoveFile(path); });
    FileAttributes writable = a;
    writable.readOnly = false;
    if (a.readOnly) os.SetAttributes(path, writable);
    int first = 0, listed = 0;
    for (const DirEntry& e : os.ListAll(path, &listed)) {
        const std::string entryCopy = copy ? *copy + "\\" + e.name : std::string();
        if (int result = RemoveExactly(os, path + "\\" + e.name, copy ? &entryCopy : nullptr); result && !first)
            first = result;
    }
    if (!first) first = listed ? listed : Retried(os, [&] { return os.RemoveFolder(path); });
    if (first && a.readOnly) os.SetAttributes(path, a);
    return first;
}

// Renames `from` into `folder` under `name`, or a free form of it when that is
// taken; each rename is tried again while it fails in a way that may pass.
int RenameInto(Platform& os, const std::string& from, const std::string& folder, const std::string& name) {
    return IntoFreeName(os, from, folder, name,
                        [&](const std::string& to) { return Retried(os, [&] { return os.MoveItem(from, to); }); });
}

// Gives a source renamed aside its own name back (or a free form of it, when
// something new took the name meanwhile). Returns the working name it keeps when
// it cannot be renamed, else "".
std::string PutBack(Platform& os, const std::string& moving, const std::string& source) {
    if (!Exists(os, moving) || RenameInto(os, moving, ParentOf(source), NameOf(source)) == 0) return {};
    return moving;
}

// Whether a tree holds a sync client's cloud file (links are not followed).
bool HoldsCloudFile(Platform& os, const std::string& path) {
    const FileAttributes a = os.Attributes(path);
    if (a.cloudFile) return true;
    if (!a.isFolder || a.isLink) return false;
    for (const DirEntry& e : os.ListAll(path))
        if (HoldsCloudFile(os, path + "\\" + e.name)) return true;
    return false;
}

// The move of `source` across volumes to `to`. The source is first renamed aside
// (name + ".stowly-moving"), which holds it still: nothing can change it under
// its own name, and the rename fails while anything in it is open elsewhere (it
// is then left as it was). The copy is made beside its destination under a working
// name (name + ".stowly-copying"), written to the disk, checked against the
// source, marked whole by a rename written through (name + ".stowly-copied"); then
// exactly what was checked of the source is deleted and the copy renamed into
// place. With `heldAside` the source is under its working name already (a stopped
// run renamed it). A stop at any step leaves the item whole in one place, or in
// two where FinishPlannedMove knows which to keep.
MoveResult MoveAcrossVolumes(Platform& os, const std::string& source, const std::string& to, bool heldAside) {
    const std::string destFolder = ParentOf(to), name = NameOf(source), moving = MovingName(source);
    const WorkingNames work = WorkingNamesOf(destFolder, name);
    // Something under a working name is never ours to replace: FinishPlannedMove
    // deals with what a stopped run left.
    if (Exists(os, work.copying) || Exists(os, work.copied) || (!heldAside && Exists(os, moving)))
        return {winerr::AlreadyExists};
    // Cloud files move only by rename, within their sync root.
    if (HoldsCloudFile(os, heldAside ? moving : source)) return {winerr::NotSupported};
    if (!heldAside)
        if (int held = Retried(os, [&] { return os.MoveItem(source, moving); })) return {held};
    int result = CopyTree(os, moving, work.copying);
    if (result == 0 && !SameTree(os, moving, work.copying)) result = winerr::InvalidData;
    if (result == 0) result = Retried(os, [&] { return os.MoveItem(work.copying, work.copied, true); });
    if (result != 0) {
        const std::string kept = PutBack(os, moving, source);
        if (RemoveExactly(os, work.copying, nullptr) != 0) return {result, work.copying};
        return {result, kept};
    }
    // From here the copy is the item. Whatever of the source could not be deleted,
    // or changed since the check, gets its name back and counts as not moved; once
    // part of the source went, the copy, which holds that part, goes into place.
    const int removed = RemoveExactly(os, moving, &work.copied);
    // When nothing of the source went (a file open elsewhere, one saved since the
    // check), the copy goes instead and the item stays whole where it was.
    if (removed != 0 && NamesKept(os, work.copied, moving) && RemoveTree(os, work.copied) == 0)
        return {removed, PutBack(os, moving, source)};
    if (RenameInto(os, work.copied, destFolder, NameOf(to)) != 0) return {removed, work.copied};
    return {removed, PutBack(os, moving, source)};
}

// One move: a rename, tried again while another program holds the item for a
// moment, or a copy when the destination is on another volume. `held` is the
// source itself, or its name renamed aside by a stopped run.
MoveResult MoveOne(Platform& os, const std::string& source, const std::string& held, const std::string& to) {
    const int result = Retried(os, [&] { return os.MoveItem(held, to); }, kHeldOpen);
    if (result == winerr::NotSameDevice) return MoveAcrossVolumes(os, source, to, held != source);
    return {result};
}

// Moves `held` (see MoveOne) into `destFolder` under the source's name. The move
// itself refuses a taken name; only then is a free one looked for.
MoveResult MoveAs(Platform& os, const std::string& source, const std::string& held, const std::string& destFolder) {
    MoveResult result = IntoFreeName(os, held, destFolder, NameOf(source),
                                     [&](const std::string& to) { return MoveOne(os, source, held, to); });
    // A source a stopped run had renamed aside gets its own name back when it stays.
    if (result.error && result.leftBehind.empty() && held != source) result.leftBehind = PutBack(os, held, source);
    return result;
}

} // namespace

int RemoveTree(Platform& os, const std::string& path) { return RemoveExactly(os, path, nullptr); }

bool StillAtSource(Platform& os, const std::string& source) {
    return Exists(os, source) || Exists(os, MovingName(source));
}

MoveResult FinishPlannedMove(Platform& os, const std::string& source, const std::string& destFolder) {
    const std::string name = NameOf(source), moving = MovingName(source);
    const WorkingNames work = WorkingNamesOf(destFolder, name);
    // What is left of the source: under its own name, or renamed aside.
    const std::string held = Exists(os, moving) ? moving : source;
    // A whole copy stands for its source only while what is left of the source is
    // still what was copied. A source the user changed or added to since the stop
    // (the answer may come weeks later) is moved again and the copy goes; when the
    // stopped delete also took entries of it, the copy, which holds those, goes into
    // place and the source follows under a free name beside it. So does an item
    // under the source's own name beside a whole copy: the source was renamed aside
    // before it was copied, so that item is a new one, made after the source went.
    if (Exists(os, work.copied) && Exists(os, held) && !Covers(os, held, work.copied)) {
        if (held == source || !NamesKept(os, work.copied, held)) {
            if (RenameInto(os, work.copied, destFolder, name) != 0) return {winerr::AccessDenied, work.copied};
            return MoveAs(os, source, held, destFolder); // under a free name beside the copy
        }
        if (RemoveTree(os, work.copied) != 0) return {winerr::AccessDenied, work.copied};
    }
    if (Exists(os, work.copied)) {
        const int removed = RemoveExactly(os, held, &work.copied);
        if (RenameInto(os, work.copied, destFolder, name) != 0) return {0, work.copied};
        return {removed, PutBack(os, moving, source)};
    }
    if (RemoveTree(os, work.copying) != 0) return {winerr::AccessDenied, work.copying};
    if (!Exists(os, held)) return {};
    if (!HaveFolder(os, destFolder)) return {winerr::PathNotFound, PutBack(os, moving, source)};
    return MoveAs(os, source, held, destFolder);
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
    return MoveAs(os, source, source, destFolder);
}

int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder) {
    if (!HaveFolder(os, destFolder)) return winerr::PathNotFound;
    return MoveIntoFolder(os, source, destFolder).error;
}

std::string QuotedList(const std::vector<std::string>& paths) {
    constexpr size_t kNamed = 5;
    std::string list;
    for (size_t i = 0; i < paths.size() && i < kNamed; ++i) list += (i ? ", \"" : "\"") + paths[i] + "\"";
    if (paths.size() > kNamed) list += " and " + std::to_string(paths.size() - kNamed) + " more";
    return list;
}

bool IsWorkingName(const std::string& name) {
    for (std::string_view end : {kMoving, kCopying, kCopied})
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
