#include "closet/CleanRestore.h"

#include "app/ReportError.h"
#include "closet/ClosetState.h"
#include "closet/KeyFile.h"
#include "closet/ShellOps.h"
#include "icons/DesktopIcons.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/Wallpaper.h"

namespace stowly {

namespace {

constexpr size_t kMaxItems = 32767;     // item counters are signed 16-bit
constexpr unsigned kPollMs = 75;        // between two looks at the desktop's icon count
constexpr uint64_t kWaitLimitMs = 15000; // after this the icons that did not show are left be

struct Item {
    std::string path;
    std::string name;
};

// Every visible entry of `folder`, files and folders, taken before anything moves.
std::vector<Item> ListItems(Platform& os, const std::string& folder) {
    std::vector<DirEntry> entries = os.List(folder + "\\", true);
    if (entries.size() > kMaxItems) throw RuntimeError(err::Overflow);
    std::vector<Item> items;
    items.reserve(entries.size());
    for (auto& e : entries) items.push_back({folder + "\\" + e.name, e.name});
    return items;
}

// Both closet folders count: a clean of a desktop whose items were all shared
// must still be restorable, and must not be cleaned over.
bool ClosetIsEmpty(Context& ctx, const ClosetPlaces& places) {
    return CheckCloset(ctx, places.closetFolder + "\\") && CheckCloset(ctx, places.commonClosetFolder + "\\");
}

std::string NotMovedSentence(int failed) {
    if (failed == 0) return {};
    return " " + std::to_string(failed) + (failed == 1 ? " item" : " items") + " could not be moved.";
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
void Begin(Context& ctx, const std::string& message) {
    ctx.ui.SetBusy(true);
    ctx.st.wait = {message, ""};
    ctx.ui.ShowProgress(ctx.st.wait);
    LockBigButtons(ctx, false);
}

void Finish(Context& ctx, const std::string& message) {
    ctx.ui.SetBusy(false);
    ctx.st.wait.message = message;
    ctx.st.wait.status = "Done";
}

void Fail(Context& ctx, const RuntimeError& e, const char* procedure) {
    ReportError(ctx.ui, e.number(), procedure);
    ctx.st.wait.message = "An Error has occured.";
    ctx.st.wait.status = "Done";
}

// The clean's two labels, kept so that one can change while the other stays.
struct Labels {
    Context& ctx;
    std::string status, count;
    void Show(bool visible) { ctx.ui.SetProgressLabels(status, count, visible); }
};

// Moves every item of `source` into `target`, one at a time. Returns the number of
// items that could not be moved; they stay where they were.
int CleanPass(Context& ctx, Labels& labels, const std::string& source, const std::string& target) {
    std::vector<Item> items = ListItems(ctx.os, source);
    CreateFolderPath(ctx.os, target);
    int failed = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        labels.status = "Cleaning File: " + items[i].name;
        labels.count = std::to_string(i + 1) + " out of " + std::to_string(items.size());
        labels.Show(true);
        ctx.ui.PumpMessages();
        if (PerformShellAction(ctx.os, items[i].path, target) != 0) ++failed;
        ctx.ui.PumpMessages();
    }
    return failed;
}

// Waits, polling while messages run, until the desktop shows `target` icons; gives
// up after a bound, so icons that never show keep where the shell put them.
void WaitForIcons(Context& ctx, long target) {
    if (!ctx.os.DesktopViewFound()) return;
    uint64_t start = ctx.os.TickCountMs();
    while (CountDesktopIcons(ctx) < target) {
        ctx.ui.PumpMessages();
        if (ctx.os.TickCountMs() - start >= kWaitLimitMs) return;
        ctx.os.SleepMs(kPollMs);
    }
}

int RestorePass(Context& ctx, const std::string& source, const std::string& destination) {
    std::vector<Item> items = ListItems(ctx.os, source);
    if (items.empty()) return 0;
    std::vector<std::string> paths{""};
    for (auto& item : items) paths.push_back(item.path);
    long before = CountDesktopIcons(ctx);
    int failed = ShellFileCopy(ctx.os, paths, destination);
    WaitForIcons(ctx, before + static_cast<long>(items.size()) - failed);
    return failed;
}

} // namespace

void CleanDesktop(Context& ctx) {
    Platform& os = ctx.os;
    Ui& ui = ctx.ui;
    AppState& st = ctx.st;
    try {
        ClosetPlaces places = PlacesOf(st);
        if (!ClosetIsEmpty(ctx, places)) {
            ui.Message("Your default closet is not empty please do a restore first.", "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        Begin(ctx, "Please wait cleaning desktop...");

        ReadCurrentWallpaper(ctx);
        EnumDesktopIcons(ctx, nullptr);
        Labels labels{ctx, "Cleaning File:", "0 out of " + std::to_string(st.DesktopIcons.size())};
        labels.Show(true);
        WriteKeyFile(os, places.keyFile,
                     {st.ClosetDirectory, st.CurrentWallpaper, st.CurrentWallpaperStyle, st.ScreenSizeText, ""},
                     st.DesktopIcons, [&] { ui.PumpMessages(); });

        int failed = CleanPass(ctx, labels, st.UserDesktopFolder, places.closetFolder);
        labels.status = "Cleaning File: ";
        labels.Show(true);
        failed += CleanPass(ctx, labels, st.CommonDesktopFolder, places.commonClosetFolder);
        labels.Show(false);

        // A backup on disk must always be the one this clean made: a restore copies
        // it over the recorded picture, so an older one is removed.
        const Settings& settings = st.settings;
        if (!settings.DefaultWindowsBackground.empty() && !st.CurrentWallpaper.empty() &&
            FileExists(os, st.CurrentWallpaper))
            CopyReplacing(os, st.CurrentWallpaper, places.wallpaperBackup);
        else if (int e = os.RemoveFile(places.wallpaperBackup))
            ThrowFileError(e);
        if (!settings.DefaultWindowsBackground.empty() && FileExists(os, settings.DefaultWindowsBackground)) {
            bool tile = false;
            SetWallpaper(ctx, "1", tile, 0);
            SetWallpaper(ctx, settings.DefaultWindowsBackground, tile, settings.WallPaperStyle);
        }
        Finish(ctx, "Your Desktop has been cleaned." + NotMovedSentence(failed));
    } catch (const RuntimeError& e) {
        Fail(ctx, e, "CleanDesktop");
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
        if (ClosetIsEmpty(ctx, places)) {
            ui.Message("No icons to restore. Your closet is already empty.", "", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        KeyFileContent key = ReadKeyFile(os, places.keyFile);
        st.ClosetDirectory = key.header.closetDirectory;
        st.CurrentWallpaperStyle = key.header.wallpaperStyle;
        st.ScreenSizeText = key.header.screenSize;
        st.DesktopIcons = std::move(key.icons);
        const KeyFileHeader& saved = key.header;

        if (!saved.password.empty()) {
            std::string answer = ui.Input("Please enter the password:", "", "").value_or("");
            if (UpperCase(answer) != UpperCase(saved.password)) {
                ui.Message("Invalide Password!", "", MsgButtons::Ok, MsgIcon::Critical);
                return;
            }
        }

        Begin(ctx, "Please wait restoring desktop...");

        int failed = RestorePass(ctx, places.commonClosetFolder, st.CommonDesktopFolder);
        places = PlacesOf(st); // from the closet directory the key file names
        failed += RestorePass(ctx, places.closetFolder, st.UserDesktopFolder);
        RestoreLocations(ctx, places.keyFile);

        ReadCurrentWallpaper(ctx);
        if (st.CurrentWallpaper != Trim(saved.wallpaper)) {
            std::string wallpaper;
            if (!saved.wallpaper.empty()) {
                wallpaper = saved.wallpaper;
                if (FileExists(os, places.wallpaperBackup)) CopyReplacing(os, places.wallpaperBackup, wallpaper);
            }
            bool tile = false;
            SetWallpaper(ctx, "1", tile, 0);
            SetWallpaper(ctx, wallpaper, tile, LeadingNumber(saved.wallpaperStyle));
        }
        Finish(ctx, "Your Icons have been restored." + NotMovedSentence(failed));
    } catch (const RuntimeError& e) {
        Fail(ctx, e, "RestoreDesktop");
    }
}

} // namespace stowly
