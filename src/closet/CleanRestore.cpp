#include "closet/CleanRestore.h"

#include "closet/ClosetState.h"
#include "closet/KeyFile.h"
#include "closet/ShellOps.h"
#include "closet/Wallpaper.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr unsigned kPollMs = 75;        // between two looks at the desktop's icon count
constexpr uint64_t kWaitLimitMs = 15000; // after this the icons that did not show are left be

struct Item {
    std::string path;
    std::string name;
};

// Every visible entry of `folder`, files and folders, taken before anything moves.
std::vector<Item> ListItems(Platform& os, const std::string& folder) {
    std::vector<DirEntry> entries = os.List(folder + "\\", true);
    if (entries.size() > kMaxIcons) throw RuntimeError(err::Overflow);
    std::vector<Item> items;
    items.reserve(entries.size());
    for (auto& e : entries) items.push_back({folder + "\\" + e.name, e.name});
    return items;
}

// Windows file errors as the program's run-time error numbers.
void ThrowFileError(int windowsError) {
    if (windowsError == winerr::FileNotFound) throw RuntimeError(err::FileNotFound);
    if (windowsError == winerr::PathNotFound) throw RuntimeError(err::PathNotFound);
    throw RuntimeError(err::PathFileAccess);
}

void CopyReplacing(Platform& os, const std::string& from, const std::string& to) {
    if (int e = os.CopyOneFile(from, to)) ThrowFileError(e);
}

// The number at the start of a style text ("2", " 1x"); 0 when there is none.
int16_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 32768) throw RuntimeError(err::Overflow);
    }
    if (negative) value = -value;
    if (value > 32767) throw RuntimeError(err::Overflow);
    return static_cast<int16_t>(value);
}

// Hourglass, progress window with its opening message, command buttons off.
void Begin(Ui& ui, const std::string& message) {
    ui.SetBusy(true);
    ui.ShowProgress(message);
    LockBigButtons(ui, false);
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

// Moves every item of `source` into `target`, one at a time. Returns the number of
// items that could not be moved; they stay where they were.
int CleanPass(Platform& os, Ui& ui, Labels& labels, const std::string& source, const std::string& target) {
    std::vector<Item> items = ListItems(os, source);
    CreateFolderPath(os, target);
    int failed = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        labels.status = "Cleaning File: " + items[i].name;
        labels.count = std::to_string(i + 1) + " out of " + std::to_string(items.size());
        labels.Show(true);
        ui.PumpMessages();
        if (PerformShellAction(os, items[i].path, target) != 0) ++failed;
        ui.PumpMessages();
    }
    return failed;
}

// Waits, polling while messages run, until the desktop shows `target` icons; gives
// up after a bound, so icons that never show keep where the shell put them.
void WaitForIcons(Platform& os, Ui& ui, long target) {
    if (!os.DesktopViewFound()) return;
    uint64_t start = os.TickCountMs();
    while (CountDesktopIcons(os, ui) < target) {
        ui.PumpMessages();
        if (os.TickCountMs() - start >= kWaitLimitMs) return;
        os.SleepMs(kPollMs);
    }
}

int RestorePass(Platform& os, Ui& ui, const std::string& source, const std::string& destination) {
    std::vector<Item> items = ListItems(os, source);
    if (items.empty()) return 0;
    std::vector<std::string> paths;
    paths.reserve(items.size());
    for (auto& item : items) paths.push_back(item.path);
    long before = CountDesktopIcons(os, ui);
    int failed = ShellFileCopy(os, paths, destination);
    WaitForIcons(os, ui, before + static_cast<long>(items.size()) - failed);
    return failed;
}

} // namespace

bool ClosetIsEmpty(Platform& os, const ClosetPlaces& places) {
    return CheckCloset(os, places.closetFolder + "\\") && CheckCloset(os, places.commonClosetFolder + "\\");
}

std::string NotMovedSentence(int failed) {
    if (failed == 0) return {};
    return " " + std::to_string(failed) + (failed == 1 ? " item" : " items") + " could not be moved.";
}

int CleanIntoCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& header,
                    const std::vector<IconRecord>& icons, bool progressLabels) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    Labels labels{ui, progressLabels, "Cleaning File:", "0 out of " + std::to_string(icons.size())};
    labels.Show(true);
    WriteKeyFile(os, places.keyFile, header, icons, [&] {
        if (progressLabels) ui.PumpMessages();
    });

    int failed = CleanPass(os, ui, labels, ctx.st.UserDesktopFolder, places.closetFolder);
    labels.status = "Cleaning File: ";
    labels.Show(true);
    failed += CleanPass(os, ui, labels, ctx.st.CommonDesktopFolder, places.commonClosetFolder);
    labels.Show(false);

    // A backup on disk must always be the one this clean made: a restore copies
    // it over the recorded picture, so an older one is removed.
    const Settings& settings = ctx.st.settings;
    const std::string& wallpaper = header.wallpaper;
    if (!settings.DefaultWindowsBackground.empty() && !wallpaper.empty() && FileExists(os, wallpaper))
        CopyReplacing(os, wallpaper, places.wallpaperBackup);
    else if (int e = os.RemoveFile(places.wallpaperBackup))
        ThrowFileError(e);
    if (!settings.DefaultWindowsBackground.empty() && FileExists(os, settings.DefaultWindowsBackground)) {
        SetWallpaper(os, "1", 0);
        SetWallpaper(os, settings.DefaultWindowsBackground, settings.WallPaperStyle);
    }
    return failed;
}

RestoreResult RestoreFromCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& saved) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    RestoreResult result;
    result.notMoved = RestorePass(os, ui, places.commonClosetFolder, ctx.st.CommonDesktopFolder);
    result.notMoved += RestorePass(os, ui, places.closetFolder, ctx.st.UserDesktopFolder);
    result.positionsApplied = RestoreLocations(os, ui, places.keyFile);

    if (ReadCurrentWallpaper(os).path != Trim(saved.wallpaper)) {
        std::string wallpaper;
        if (!saved.wallpaper.empty()) {
            wallpaper = saved.wallpaper;
            if (FileExists(os, places.wallpaperBackup)) CopyReplacing(os, places.wallpaperBackup, wallpaper);
        }
        SetWallpaper(os, "1", 0);
        SetWallpaper(os, wallpaper, LeadingNumber(saved.wallpaperStyle));
    }
    return result;
}

void CleanDesktop(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    try {
        ClosetPlaces places = PlacesOf(st);
        if (!ClosetIsEmpty(os, places)) {
            ui.Message(kClosetNotEmpty, "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        Begin(ui, "Please wait cleaning desktop...");

        const WallpaperSetting wallpaper = ReadCurrentWallpaper(os);
        // A desktop whose view does not answer is recorded without icons.
        const std::vector<IconRecord> icons = EnumDesktopIcons(os, ui).value_or(std::vector<IconRecord>{});
        const int failed = CleanIntoCloset(
            ctx, places, {st.ClosetDirectory, wallpaper.path, wallpaper.style, st.ScreenSizeText, ""}, icons, true);
        Finish(ui, "Your Desktop has been cleaned." + NotMovedSentence(failed));
    } catch (const RuntimeError& e) {
        Fail(ui, e, "CleanDesktop");
    }
}

void RestoreDesktop(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    try {
        ClosetPlaces places = PlacesOf(st);
        if (!FileExists(os, places.keyFile)) {
            ui.Message("No icons to restore.  Your closet is already empty.", "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        if (ClosetIsEmpty(os, places)) {
            ui.Message("No icons to restore. Your closet is already empty.", "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        // The icon lines are read here too: a key file that cannot be read whole
        // stops the restore before anything moves.
        const KeyFileContent key = ReadKeyFile(os, places.keyFile);
        const KeyFileHeader& saved = key.header;
        st.ClosetDirectory = saved.closetDirectory;
        st.ScreenSizeText = saved.screenSize;

        if (!saved.password.empty()) {
            std::string answer = ui.Input("Please enter the password:", "", "").value_or("");
            if (UpperCase(answer) != UpperCase(saved.password)) {
                ui.Message("Invalide Password!", "", MsgButtons::Ok, MsgIcon::Critical);
                return;
            }
        }

        Begin(ui, "Please wait restoring desktop...");

        // From the closet directory the key file names.
        const RestoreResult result = RestoreFromCloset(ctx, PlacesOf(st), saved);
        Finish(ui, "Your Icons have been restored." + NotMovedSentence(result.notMoved));
    } catch (const RuntimeError& e) {
        Fail(ui, e, "RestoreDesktop");
    }
}

} // namespace stowly
