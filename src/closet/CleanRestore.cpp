#include "closet/CleanRestore.h"

#include <map>

#include "closet/ClosetState.h"
#include "closet/Journal.h"
#include "closet/KeyFile.h"
#include "closet/ShellOps.h"
#include "closet/SyncedCloset.h"
#include "closet/Wallpaper.h"
#include "core/Error.h"
#include "core/Files.h"
#include "core/OperationLock.h"
#include "platform/Paths.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "icons/Layouts.h"
#include "platform/FileText.h"
#include "platform/Text.h"

namespace stowly {

namespace {
// Settles the run that the journal records, after asking (the caller holds the lock).
void FinishStoppedRun(Context& ctx);

constexpr unsigned kPollMs = 75;         // between two looks at the desktop's icon count
constexpr uint64_t kWaitLimitMs = 15000; // without a new icon for this long, the rest are left be
constexpr uint64_t kProgressMs = 50;     // between two updates of the progress labels

struct Item {
    std::string path;
    std::string name;
    bool hidden = false; // never shown by the desktop
};

// The items of a folder. A working copy of a move that did not finish is no item:
// only the journal of that move may settle it, so it is named in `workingCopies`
// and left where it is.
std::vector<Item> ItemsOf(const std::string& folder, const std::vector<DirEntry>& entries,
                          std::vector<std::string>& workingCopies) {
    if (entries.size() > kMaxIcons) throw RuntimeError(err::Overflow);
    std::vector<Item> items;
    items.reserve(entries.size());
    for (auto& e : entries) {
        if (IsWorkingName(e.name)) workingCopies.push_back(folder + "\\" + e.name);
        else items.push_back({folder + "\\" + e.name, e.name, e.hidden});
    }
    return items;
}

// What a clean takes from a desktop folder: every visible entry, files and
// folders, listed before anything moves. A desktop that cannot be listed stops
// the clean: it is not an empty one.
std::vector<Item> DesktopItems(Platform& os, const std::string& folder, std::vector<std::string>& workingCopies) {
    int error = 0;
    std::vector<DirEntry> entries = os.ListAll(folder, &error);
    if (error) throw RuntimeError(err::PathFileAccess);
    std::erase_if(entries, [](const DirEntry& e) { return e.hidden || e.system; });
    return ItemsOf(folder, entries, workingCopies);
}

// What a restore takes back from a closet folder: everything in it but the shell's
// own hidden system files, so that nothing is stranded there.
std::vector<Item> ClosetItems(Platform& os, const std::string& folder, std::vector<std::string>& workingCopies) {
    std::vector<DirEntry> entries = os.ListAll(folder);
    std::erase_if(entries, [](const DirEntry& e) { return e.hidden && e.system; });
    return ItemsOf(folder, entries, workingCopies);
}

// Both desktop folders must be real folders below a root: an empty or damaged
// one would otherwise send a clean to the root of the current drive.
bool DesktopFoldersUsable(const AppState& st) {
    return IsFolderBelowRoot(st.UserDesktopFolder) && IsFolderBelowRoot(st.CommonDesktopFolder);
}

constexpr const char* kNoDesktopFolder = "The desktop folder could not be found. Nothing was moved.";

// A folder the moves go into; a file of that name, or a place that cannot be
// written, stops the operation before anything moves.
void MakeFolder(Platform& os, const std::string& folder) {
    if (!HaveFolder(os, folder)) throw RuntimeError(err::PathFileAccess);
}

// Hourglass, progress window with its opening message, command buttons off.
void Begin(Ui& ui, const std::string& message) {
    ui.SetBusy(true);
    ui.ShowProgress(message);
    ui.LockBigButtons(false);
}

void Finish(Ui& ui, const std::string& message) {
    ui.SetBusy(false);
    ui.FinishProgress(message);
}

void Fail(Ui& ui, const RuntimeError& e, const char* procedure) {
    ReportError(ui, e.number(), procedure);
    ui.FinishProgress("An Error has occured.");
}

// The clean's two labels, kept so that one can change while the other stays.
// Without a progress window (the advanced clean) they are not shown.
struct Labels {
    Ui& ui;
    bool inUse;
    std::string status, count;
    void Show(bool visible) {
        if (inUse) ui.SetProgressLabels(status, count, visible);
    }
};

// Says when the progress labels and window messages are due again: the first time
// it is asked, then a few times a second, however many items go by between.
class Throttle {
public:
    explicit Throttle(Platform& os) : os_(os) {}
    bool Due() {
        const uint64_t now = os_.TickCountMs();
        if (asked_ && now - last_ < kProgressMs) return false;
        asked_ = true;
        last_ = now;
        return true;
    }

private:
    Platform& os_;
    uint64_t last_ = 0;
    bool asked_ = false;
};

// Moves every item into `target` (made beforehand), one at a time; items that
// could not be moved stay where they were. The labels and the window messages are
// seen to a few times a second, not for every item, and always for the first and
// the last, so that the final count is exact.
PassResult CleanPass(Platform& os, Ui& ui, Labels& labels, const std::vector<Item>& items,
                     const std::string& target) {
    PassResult pass;
    Throttle throttle(os);
    for (size_t i = 0; i < items.size(); ++i) {
        if (throttle.Due() || i + 1 == items.size()) {
            labels.status = "Cleaning File: " + items[i].name;
            labels.count = std::to_string(i + 1) + " out of " + std::to_string(items.size());
            labels.Show(true);
            ui.PumpMessages();
        }
        pass.Add(MoveIntoFolder(os, items[i].path, target));
    }
    ui.PumpMessages();
    return pass;
}

// Waits, polling while messages run, until the desktop shows `target` icons. While
// the count still rises the wait goes on; once no new icon has shown for a while it
// gives up, so icons that never show keep where the shell put them.
void WaitForIcons(Platform& os, Ui& ui, long target) {
    if (!os.DesktopViewFound()) return;
    uint64_t since = os.TickCountMs();
    long seen = -1;
    for (long count; (count = CountDesktopIcons(os, ui)) < target;) {
        if (count > seen) {
            seen = count;
            since = os.TickCountMs();
        }
        ui.PumpMessages();
        if (os.TickCountMs() - since >= kWaitLimitMs) return;
        os.SleepMs(kPollMs);
    }
}

// Moves the items back into `destination` and waits until the desktop shows the
// ones it shows: hidden items never appear, so they are not waited for.
PassResult RestorePass(Platform& os, Ui& ui, const std::vector<Item>& items, const std::string& destination) {
    PassResult pass;
    if (items.empty()) return pass;
    if (!HaveFolder(os, destination)) {
        pass.notMoved = static_cast<int>(items.size());
        return pass;
    }
    long shown = CountDesktopIcons(os, ui);
    Throttle throttle(os);
    for (const Item& item : items) {
        if (throttle.Due()) ui.PumpMessages();
        const MoveResult moved = MoveIntoFolder(os, item.path, destination);
        pass.Add(moved);
        shown += moved.error == 0 && moved.leftBehind.empty() && !item.hidden;
    }
    os.NotifyFolderChanged(destination);
    WaitForIcons(os, ui, shown);
    return pass;
}

// A step after every planned item has settled. Its failure becomes a sentence of
// the final message rather than ending the operation, so that the journal goes all
// the same instead of bringing the question back at every start.
template <typename Step>
std::string AfterMoves(const char* failure, Step step) {
    try {
        return step();
    } catch (const RuntimeError& e) {
        return std::string(" ") + failure + " (error " + std::to_string(e.number()) + ").";
    }
}
constexpr const char* kSwapFailed = "The clean wallpaper could not be set";
constexpr const char* kPutBackFailed = "The icon positions and the wallpaper could not all be put back";

// " N shared items stayed on the desktop: ...", or nothing for none.
std::string AdminOnlySentence(int items) {
    return CountSentence(items, "shared item stayed on the desktop: moving it needs administrator rights.",
                         "shared items stayed on the desktop: moving them needs administrator rights.");
}

// The shell shows what moved at once when told which folders changed.
void TellShell(Platform& os, const AppState& st) {
    for (const std::string* folder : {&st.UserDesktopFolder, &st.CommonDesktopFolder}) os.NotifyFolderChanged(*folder);
}

std::string CloudFilesSentence(int items) {
    return CountSentence(items, "item stayed where it was: it holds cloud files, which cannot be copied out of their synced folder.",
                         "items stayed where they were: they hold cloud files, which cannot be copied out of their "
                         "synced folder.");
}

// The journal goes once every planned item has settled. A working copy that could
// not be put into place keeps it, so that the next start finishes that move; the
// final message says where the copy is.
void EndJournal(Platform& os, const std::string& journal, const PassResult& pass, std::string& message) {
    if (pass.leftBehind.empty()) os.RemoveFile(journal);
    message += LeftBehindSentence(pass.leftBehind);
}

Journal PlanOf(Journal::Operation operation, const AppState& st, const std::vector<Item>& user,
               const std::vector<Item>& common) {
    Journal journal{operation,          st.ProgramFolder, st.UserDesktopFolder, st.CommonDesktopFolder,
                    st.ClosetDirectory, st.ClosetKeyFile, {}};
    for (const Item& item : user) journal.moves.push_back({false, item.name});
    for (const Item& item : common) journal.moves.push_back({true, item.name});
    return journal;
}

// Whether a journal was written by this program folder for today's desktops: any
// other (a program folder that moved, a drive letter that now names another disk,
// a crafted file) moves nothing.
bool JournalOfToday(const Journal& journal, const AppState& st) {
    return SamePath(journal.programFolder, st.ProgramFolder) && SamePath(journal.userDesktop, st.UserDesktopFolder) &&
           SamePath(journal.commonDesktop, st.CommonDesktopFolder);
}

// A journal that cannot be used is put aside, once, under a name of its own, and
// the user is told where it is.
void RejectJournal(Platform& os, Ui& ui, const std::string& path, const std::string& programFolder) {
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const std::string kept = FreeDestination(os, folder, "stowly.journal.rejected", false);
    const bool moved = !kept.empty() && os.MoveItem(path, kept) == 0;
    ui.Message("Stowly found a record of an unfinished clean or restore that it cannot use, so nothing was moved. "
               "It is kept as \"" + (moved ? kept : path) + "\".",
               "", MsgButtons::Ok, MsgIcon::Exclamation);
}

// The clean's last step, after every item moved: the wallpaper backup and the
// swap to the clean wallpaper. A backup on disk must always be the one this clean
// made (a restore may copy it back), so an older one is removed. A backup that
// fails is told, and the wallpaper is then left as it is rather than swapped
// without a way back; so is a background recorded as one that could not be put
// back. Returns the sentence the final message adds.
std::string SwapWallpaper(Platform& os, const Settings& settings, const ClosetPlaces& places,
                          const std::string& wallpaper) {
    const std::string& clean = settings.DefaultWindowsBackground;
    const std::optional<WallpaperRecord> record = ReadWallpaperRecord(os, places.keyFile);
    const bool leftAlone = record && record->leftAlone;
    int backup = 0;
    if (!clean.empty() && !leftAlone && !wallpaper.empty() && FileExists(os, wallpaper))
        backup = os.CopyOneFile(wallpaper, places.wallpaperBackup);
    else
        backup = os.RemoveFile(places.wallpaperBackup);
    if (backup != 0) {
        os.RemoveFile(places.wallpaperBackup); // never a half-written one
        return " The wallpaper could not be backed up, so it was left as it is.";
    }
    if (leftAlone && !clean.empty() && FileExists(os, clean))
        return " The wallpaper was left as it is: it is not a picture file that can be put back (a solid colour or "
               "Windows Spotlight).";
    if (leftAlone) return {};
    // The clean picture goes in directly: when the system refuses it, the user's
    // picture stays rather than none.
    if (!clean.empty() && FileExists(os, clean) && !SetWallpaper(os, clean, settings.WallPaperStyle))
        return " The clean wallpaper could not be set.";
    return {};
}

// The key file's one picture, with its style. The shell rewrites its own copy of
// the wallpaper at the swap, so such a picture comes back from a copy of the
// backup in the program folder, and nothing is written into the shell's folder.
bool PutBackPicture(Platform& os, const ClosetPlaces& places, const KeyFileHeader& saved) {
    if (IsShellWallpaperCopy(Trim(saved.wallpaper)) && FileExists(os, places.wallpaperBackup)) {
        const std::string copy = WallpaperCopyPath(places.wallpaperBackup, Trim(saved.wallpaper));
        return os.CopyOneFile(places.wallpaperBackup, copy) == 0 &&
               SetRecordedWallpaper(os, copy, saved.wallpaperStyle);
    }
    if (ReadCurrentWallpaper(os).path == Trim(saved.wallpaper)) return true;
    // The backup goes back only where the picture is missing: whatever is at that
    // path now (an edited picture, another file) is never replaced.
    if (!saved.wallpaper.empty() && !os.Attributes(saved.wallpaper).exists && FileExists(os, places.wallpaperBackup))
        os.CopyOneFile(places.wallpaperBackup, saved.wallpaper);
    return SetRecordedWallpaper(os, saved.wallpaper, saved.wallpaperStyle);
}

// The wallpaper as the clean recorded it beside the key file (each monitor's
// picture, a slideshow), or else the key file's one picture; a background the
// clean left alone stays as it is. The record goes once it is used. Returns the
// sentence the final message adds.
std::string PutBackWallpaper(Platform& os, const ClosetPlaces& places, const KeyFileHeader& saved) {
    const std::optional<WallpaperRecord> record = ReadWallpaperRecord(os, places.keyFile);
    const bool back = (record && (record->leftAlone || os.SetMonitorWallpapers(record->wallpapers))) ||
                      PutBackPicture(os, places, saved);
    ForgetWallpaperRecord(os, places.keyFile);
    return back ? "" : " The wallpaper could not be put back.";
}

// The restore's last steps, after the items are back: the recorded icon positions
// and wallpaper. Returns the sentence the final message adds.
std::string PutBackPositionsAndWallpaper(Platform& os, Ui& ui, const ClosetPlaces& places,
                                         const KeyFileHeader& saved, bool& positionsApplied) {
    std::string extra;
    auto text = os.ReadFile(places.keyFile, nullptr);
    const PositionRecords positions = ReadWholePositionRecords(text ? DecodeFileText(os, *text) : "");
    const std::optional<int> notPlaced = ApplyIconPositions(os, ui, FitToScreen(os, positions.records, saved.screenSize));
    positionsApplied = notPlaced && *notPlaced == 0 && text && !positions.damaged;
    if (!text || positions.damaged) extra += " Some icon positions could not be read from the key file.";
    if (notPlaced) extra += NotPlacedSentence(*notPlaced);

    return extra + PutBackWallpaper(os, places, saved);
}

// The items come back from the closet found beside the key file. A key file that
// names another folder (the program folder moved, or the file is damaged) would
// otherwise send the restore to a closet that is not there; the user is told.
std::string OtherClosetSentence(const KeyFileHeader& saved, const AppState& st) {
    if (SamePath(saved.closetDirectory, st.ClosetDirectory)) return {};
    return " The key file named another closet folder; the one beside it was used.";
}

void RequireDesktopFolders(const AppState& st) {
    if (!DesktopFoldersUsable(st)) throw RuntimeError(err::PathNotFound);
}

} // namespace

bool AllClosetsEmpty(Platform& os, const AppState& st, const ClosetPlaces& places) {
    const std::string synced = NamedSyncedCloset(os, st, places);
    return ClosetIsEmpty(os, places) && (synced.empty() || CheckCloset(os, synced));
}

void TakeSyncedCloset(Platform& os, const AppState& st, ClosetPlaces& places, SyncedFor use) {
    const std::string synced =
        use == SyncedFor::Clean ? SyncedClosetFor(os, st, places) : NamedSyncedCloset(os, st, places);
    // A restore takes the synced closet while it holds anything; a stopped run
    // finishes in the closet it planned, which the note beside the key file names.
    if (synced.empty() || (use == SyncedFor::Restore && CheckCloset(os, synced))) return;
    places.closetFolder = synced;
    places.synced = true;
}

// Both closet folders count: a clean of a desktop whose items were all shared
// must still be restorable, and must not be cleaned over.
bool ClosetIsEmpty(Platform& os, const ClosetPlaces& places) {
    return CheckCloset(os, places.closetFolder) && CheckCloset(os, places.commonClosetFolder);
}

bool RefuseUnusableCloset(Context& ctx, const ClosetPlaces& places) {
    const std::string problem = ClosetPlaceProblem(ctx.st, places);
    if (problem.empty()) return false;
    ctx.ui.Message(problem, "", MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

std::string FoldersWithFiles(Platform& os, const ClosetPlaces& places) {
    std::string folders;
    for (const std::string* folder : {&places.closetFolder, &places.commonClosetFolder})
        if (!CheckCloset(os, *folder)) folders += (folders.empty() ? "\"" : " and \"") + *folder + "\"";
    return folders;
}

NamedCloset OfferClosetNamedByKeyFile(Context& ctx, ClosetPlaces& places, AppState& named) {
    const ClosetPlaces& beside = places;
    if (!CheckCloset(ctx.os, beside.closetFolder)) return NamedCloset::None;
    std::string directory;
    try {
        directory = Trim(ReadKeyFileHeader(ctx.os, beside.keyFile).closetDirectory);
    } catch (const RuntimeError&) {
        return NamedCloset::None; // a key file that cannot be read names nothing
    }
    if (directory.empty() || SamePath(directory, ctx.st.ClosetDirectory)) return NamedCloset::None;
    if (directory.back() != '\\') directory += '\\';
    named = ctx.st;
    named.ClosetDirectory = directory;
    const ClosetPlaces there = PlacesOf(named);
    try {
        if (!ClosetPlaceProblem(named, there).empty() || CheckCloset(ctx.os, there.closetFolder)) return NamedCloset::None;
    } catch (const RuntimeError&) {
        return NamedCloset::None; // nothing is known of a folder that cannot be looked into
    }
    if (ctx.ui.Message("The closet is not beside this key file.  Restore the items from \"" + there.closetFolder + "\"?",
                       "", MsgButtons::YesNo, MsgIcon::Question) == Answer::Yes) {
        places.closetFolder = there.closetFolder; // the key file stays where it is
        return NamedCloset::Use;
    }
    ctx.ui.Message("Nothing was moved.  Your files are in \"" + there.closetFolder + "\".", "", MsgButtons::Ok,
                   MsgIcon::Information);
    return NamedCloset::Declined;
}

std::string NotMovedSentence(int failed) {
    return CountSentence(failed, "item could not be moved.", "items could not be moved.");
}

CleanResult CleanIntoCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& header,
                            const std::vector<IconRecord>& icons, bool progressLabels) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    const AppState& st = ctx.st;
    RequireDesktopFolders(st);
    MakeFolder(os, places.closetFolder);
    MakeFolder(os, places.commonClosetFolder);

    Labels labels{ui, progressLabels, "Cleaning File:", "0 out of " + std::to_string(icons.size())};
    labels.Show(true);
    Throttle throttle(os);
    WriteKeyFile(os, places.keyFile, header, icons, [&] {
        if (progressLabels && throttle.Due()) ui.PumpMessages();
    });
    RecordWallpaper(os, places.keyFile);

    std::vector<std::string> workingCopies;
    const std::vector<Item> user = DesktopItems(os, st.UserDesktopFolder, workingCopies);
    const std::vector<Item> shared = DesktopItems(os, st.CommonDesktopFolder, workingCopies);
    NoteSyncedCloset(os, places);
    const std::string journal = JournalPath(st.ProgramFolder);
    WriteJournal(os, journal, PlanOf(Journal::Operation::Clean, st, user, shared));

    PassResult pass = CleanPass(os, ui, labels, user, places.closetFolder);
    labels.status = "Cleaning File: ";
    labels.Show(true);
    const PassResult sharedPass = CleanPass(os, ui, labels, shared, places.commonClosetFolder);
    pass += sharedPass;
    labels.Show(false);
    TellShell(os, st);
    // The shared desktop lets only administrators delete from it: items refused so
    // are told apart, with the reason; so are cloud files that could not be copied.
    const int needAdmin = sharedPass.denied;
    pass.notMoved -= needAdmin + pass.cloudFiles;

    CleanResult result{pass.notMoved,
                       SyncedSentence(places) + AdminOnlySentence(needAdmin) + CloudFilesSentence(pass.cloudFiles) +
                           AfterMoves(kSwapFailed, [&] { return SwapWallpaper(os, st.settings, places, header.wallpaper); }) +
                           WorkingCopiesSentence(workingCopies)};
    EndJournal(os, journal, pass, result.extra);
    return result;
}

RestoreResult RestoreFromCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& saved) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    const AppState& st = ctx.st;
    RequireDesktopFolders(st);
    RestoreResult result;
    result.extra = OtherClosetSentence(saved, st);
    std::vector<std::string> workingCopies;
    const std::vector<Item> shared = ClosetItems(os, places.commonClosetFolder, workingCopies);
    const std::vector<Item> user = ClosetItems(os, places.closetFolder, workingCopies);
    const std::string journal = JournalPath(st.ProgramFolder);
    WriteJournal(os, journal, PlanOf(Journal::Operation::Restore, st, user, shared));

    PassResult pass = RestorePass(os, ui, shared, st.CommonDesktopFolder);
    pass += RestorePass(os, ui, user, st.UserDesktopFolder);
    result.notMoved = pass.notMoved - pass.cloudFiles;
    result.extra += CloudFilesSentence(pass.cloudFiles) + AfterMoves(kPutBackFailed, [&] {
        return PutBackPositionsAndWallpaper(os, ui, places, saved, result.positionsApplied);
    }) + WorkingCopiesSentence(workingCopies);
    // A synced closet emptied needs its note no more.
    if (places.synced && CheckCloset(os, places.closetFolder)) os.RemoveFile(SyncedNotePath(places));
    EndJournal(os, journal, pass, result.extra);
    return result;
}

void CleanDesktop(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    const OperationLock lock(os);
    if (LockedOut(ui, lock) || !NoStoppedRunLeft(ctx)) return;
    try {
        if (!DesktopFoldersUsable(st)) {
            ui.Message(kNoDesktopFolder, "", MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        ClosetPlaces places = PlacesOf(st);
        if (RefuseUnusableCloset(ctx, places)) return;
        if (!AllClosetsEmpty(os, st, places)) {
            ui.Message(kClosetNotEmpty, "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        TakeSyncedCloset(os, st, places, SyncedFor::Clean);
        Begin(ui, "Please wait cleaning desktop...");
        const WallpaperSetting wallpaper = ReadCurrentWallpaper(os);
        // A desktop whose view does not answer is recorded without icons.
        const std::vector<IconRecord> icons = EnumDesktopIcons(os, ui).value_or(std::vector<IconRecord>{});
        const CleanResult result = CleanIntoCloset(
            ctx, places, {st.ClosetDirectory, wallpaper.path, wallpaper.style, ScreenSizeText(os.Screen()), ""}, icons, true);
        Finish(ui, kCleanFinished + NotMovedSentence(result.notMoved) + result.extra);
    } catch (const RuntimeError& e) {
        Fail(ui, e, "CleanDesktop");
    }
}

void RestoreDesktop(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    const OperationLock lock(os);
    if (LockedOut(ui, lock) || !NoStoppedRunLeft(ctx)) return;
    try {
        ClosetPlaces places = PlacesOf(st);
        if (RefuseUnusableCloset(ctx, places)) return;
        TakeSyncedCloset(os, st, places, SyncedFor::Restore);
        // A key file moved alone may name the closet its items are in.
        AppState named = st;
        const NamedCloset other = OfferClosetNamedByKeyFile(ctx, places, named);
        if (other == NamedCloset::Declined) return;
        Context restoring{os, ui, other == NamedCloset::Use ? named : st};
        const bool empty = ClosetIsEmpty(os, places);
        // A key file that is missing, hidden or out of reach beside a full closet:
        // the items stay, and the user learns where they are.
        if (!FileExists(os, places.keyFile)) {
            if (empty)
                ui.Message("No icons to restore.  Your closet is already empty.", "", MsgButtons::Ok, MsgIcon::None);
            else
                ui.Message("No key file was found for this closet, so nothing was moved. Your files are in " +
                               FoldersWithFiles(os, places) + ".",
                           "", MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        if (empty) {
            ui.Message(kAlreadyEmpty, "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        if (!DesktopFoldersUsable(st)) {
            ui.Message(kNoDesktopFolder, "", MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        // Only the header is needed before the items move: icon lines that are
        // missing or damaged must never keep the files in the closet. A header that
        // cannot be read whole (cut off, a quote left open, a NUL) cannot say what
        // the password is, so nothing moves; the user is told where the files are.
        KeyFileHeader saved;
        try {
            saved = ReadKeyFileHeader(os, places.keyFile);
        } catch (const RuntimeError& e) {
            if (e.number() != err::BadFileFormat && e.number() != err::InputPastEnd) throw;
            ui.Message("The closet key file is damaged, so nothing was moved. Your files are in " +
                           FoldersWithFiles(os, places) + ".",
                       "", MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        if (!saved.password.empty()) {
            std::string answer = ui.Input("Please enter the password:", "", "").value_or("");
            if (UpperCase(answer) != UpperCase(saved.password)) {
                ui.Message("Invalide Password!", "", MsgButtons::Ok, MsgIcon::Critical);
                return;
            }
        }

        Begin(ui, "Please wait restoring desktop...");

        const RestoreResult result = RestoreFromCloset(restoring, places, saved);
        Finish(ui, kRestoreFinished + NotMovedSentence(result.notMoved) + result.extra);
    } catch (const RuntimeError& e) {
        Fail(ui, e, "RestoreDesktop");
    }
}

void OfferToFinishInterrupted(Context& ctx) {
    if (!ctx.os.Attributes(JournalPath(ctx.st.ProgramFolder)).exists) return;
    // A journal while another copy holds the lock is that copy's, and no stopped run.
    const OperationLock lock(ctx.os);
    if (lock.held()) FinishStoppedRun(ctx);
}

bool NoStoppedRunLeft(Context& ctx) {
    const std::string path = JournalPath(ctx.st.ProgramFolder);
    if (!ctx.os.Attributes(path).exists) return true;
    // Finishing takes the stopped run's closet; the command asked for keeps its own.
    const AppState before = ctx.st;
    FinishStoppedRun(ctx);
    ctx.st.ClosetDirectory = before.ClosetDirectory;
    ctx.st.ClosetKeyFile = before.ClosetKeyFile;
    return !ctx.os.Attributes(path).exists;
}

namespace {

void FinishStoppedRun(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    const std::string path = JournalPath(st.ProgramFolder);
    const std::optional<Journal> journal = ReadJournal(os, path);
    AppState planned = st;
    if (journal) {
        planned.ClosetDirectory = journal->closetDirectory;
        planned.ClosetKeyFile = journal->closetKeyFile;
    }
    ClosetPlaces places = PlacesOf(planned);
    if (journal) TakeSyncedCloset(os, planned, places, SyncedFor::StoppedRun);
    if (!journal || !JournalOfToday(*journal, st) || !DesktopFoldersUsable(st) ||
        !ClosetPlaceProblem(planned, places).empty()) {
        RejectJournal(os, ui, path, st.ProgramFolder);
        return;
    }
    const bool clean = journal->operation == Journal::Operation::Clean;
    const std::string question = std::string("Stowly was stopped before it finished ") +
                                 (clean ? "cleaning" : "restoring") +
                                 " your desktop.  Would you like to finish it now?";
    if (ui.Message(question, "", MsgButtons::YesNo, MsgIcon::Question) != Answer::Yes) return;

    const char* procedure = clean ? "CleanDesktop" : "RestoreDesktop";
    try {
        st.ClosetDirectory = planned.ClosetDirectory;
        st.ClosetKeyFile = planned.ClosetKeyFile;
        ui.SetBusy(true);
        // Every planned item is where it was, where it was going, or (across volumes)
        // under a working name beside its destination; each is settled where it is.
        // A desktop or closet folder that cannot be reached (a network desktop still
        // offline) settles nothing: the journal stays for the next start.
        const long iconsBefore = CountDesktopIcons(os, ui);
        PassResult pass;
        std::map<std::string, bool> there; // each folder is looked at once
        std::vector<std::string> unreachable;
        const auto Reached = [&](const std::string& folder) {
            const auto [seen, added] = there.try_emplace(folder, false);
            if (added && !(seen->second = os.Attributes(folder).isFolder)) unreachable.push_back(folder);
            return seen->second;
        };
        int moved = 0;
        for (const PlannedMove& move : journal->moves) {
            const std::string& desktop = move.common ? st.CommonDesktopFolder : st.UserDesktopFolder;
            const std::string& closet = move.common ? places.commonClosetFolder : places.closetFolder;
            const std::string& from = clean ? desktop : closet;
            const std::string& to = clean ? closet : desktop;
            // The folder an item leaves must be there, and so must a desktop it
            // enters: only a closet folder is made afresh.
            if (!Reached(from) || (!clean && !Reached(to))) continue;
            const std::string source = from + "\\" + move.name;
            const bool pending = StillAtSource(os, source);
            const MoveResult result = FinishPlannedMove(os, source, to);
            pass.Add(result);
            if (result.error == 0 && result.leftBehind.empty() && pending) ++moved;
            ui.PumpMessages();
        }
        if (!unreachable.empty()) {
            ui.SetBusy(false);
            ui.Message("Stowly could not reach " + QuotedList(unreachable) + ", so it could not finish " +
                           (clean ? "cleaning" : "restoring") + " your desktop.  It will offer to finish it at its next start.",
                       "", MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        TellShell(os, st);
        const int failed = pass.notMoved;
        std::string message = (clean ? kCleanFinished : kRestoreFinished) + NotMovedSentence(failed);
        if (clean) {
            message += AfterMoves(kSwapFailed, [&] {
                const KeyFileHeader saved = ReadKeyFileHeader(os, places.keyFile);
                return SwapWallpaper(os, st.settings, places, saved.wallpaper);
            });
        } else {
            WaitForIcons(os, ui, iconsBefore + moved);
            message += AfterMoves(kPutBackFailed, [&] {
                const KeyFileHeader saved = ReadKeyFileHeader(os, places.keyFile);
                bool positionsApplied = false;
                return OtherClosetSentence(saved, st) + PutBackPositionsAndWallpaper(os, ui, places, saved, positionsApplied);
            });
        }
        EndJournal(os, path, pass, message);
        ui.SetBusy(false);
        ui.Message(message, "", MsgButtons::Ok, MsgIcon::Information);
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), procedure);
    }
}

} // namespace

} // namespace stowly
