#include "settings/Preferences.h"

#include <cmath>

#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/Text.h"
#include "settings/BmpFile.h"
#include "settings/Settings.h"

namespace stowly {

namespace {

constexpr int kInvalidPropertyValue = 380; // a check box shows 0, 1 or 2
constexpr int kNoSuchControl = 340;        // the style options are 0 to 2

// A number setting as a check box takes it: rounded to a 16-bit whole number
// (halves to the even one), which must be a state the box has.
int CheckState(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -32768 && rounded <= 32767)) throw RuntimeError(err::Overflow);
    if (rounded < 0 || rounded > 2) throw RuntimeError(kInvalidPropertyValue);
    return static_cast<int>(rounded);
}

bool EndsWithBmp(const std::string& path) {
    return path.size() >= 3 && UpperCase(path.substr(path.size() - 3)) == "BMP";
}

} // namespace

PreferencesForm LoadPreferences(Ui& ui, const Settings& s) {
    PreferencesForm form;
    try {
        form.minimizeToTray = CheckState(s.MinSystemTray);
        form.runOnStartUp = CheckState(s.RunOnStartUP);
        form.wallpaper = s.DefaultWindowsBackground;
        if (s.WallPaperStyle < 0 || s.WallPaperStyle > 2) throw RuntimeError(kNoSuchControl);
        form.wallpaperStyle = s.WallPaperStyle;
        form.advancedMode = CheckState(s.AdvancedMode);
        form.keepLayouts = CheckState(s.KeepLayouts);
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "PreferenceLoad");
    }
    return form;
}

std::optional<std::string> BrowseForWallpaper(Ui& ui, const std::string& programFolder) {
    FileDialogOptions options;
    options.initialFolder = programFolder;
    options.filter = "All Files (*.*)|*.*|Background Files (*.jpg;*.gif;*.bmp;*.jpeg)|*.jpg;*.gif;*.bmp;*.jpeg";
    options.defaultExt = ".bmp";
    options.filterIndex = 2;
    auto chosen = ui.OpenFile(options);
    if (!chosen || Trim(*chosen).empty()) return std::nullopt;
    return chosen;
}

std::string ConvertWallpaper(Platform& os, const std::string& programFolder, const std::string& wallpaper) {
    const std::string path = Trim(wallpaper);
    if (path.empty() || EndsWithBmp(path)) return wallpaper;
    const FileAttributes found = os.Attributes(path);
    if (!found.exists || found.isFolder) return wallpaper; // kept as typed
    int error = 0;
    auto image = os.DecodePicture(path, &error);
    if (!image) throw RuntimeError(error ? error : Platform::kInvalidPicture);
    const std::string bmp = programFolder + kConvertedWallpaper;
    // Written beside the old file and swapped in whole.
    if (int e = os.WriteFile(bmp, BmpFileBytes(*image))) throw RuntimeError(FileErrorNumber(e));
    return bmp;
}

std::string StartupCommand(const std::string& programFolder) {
    return "\"" + programFolder + "stowly.exe\"";
}

int SetRunOnStartup(Platform& os, const std::string& programFolder, bool enable) {
    if (enable) return os.RegWrite(RegRoot::CurrentUser, kRunKey, kRunValue, StartupCommand(programFolder), true);
    // An entry an earlier version left for every user goes too where the user may
    // write there; elsewhere Windows refuses, which is no concern of this user's.
    os.RegDelete(RegRoot::LocalMachine, kRunKey, kRunValue);
    const int e = os.RegDelete(RegRoot::CurrentUser, kRunKey, kRunValue);
    return e == winerr::FileNotFound || e == winerr::PathNotFound ? 0 : e;
}

bool PreferencesDone(Context& ctx, const PreferencesForm& form) {
    try {
        Settings next = ctx.st.settings;
        next.MinSystemTray = form.minimizeToTray;
        next.RunOnStartUP = form.runOnStartUp;
        next.DefaultWindowsBackground = form.wallpaper;
        next.AdvancedMode = form.advancedMode;
        next.KeepLayouts = form.keepLayouts;
        if (form.wallpaperStyle >= 0 && form.wallpaperStyle <= 2)
            next.WallPaperStyle = static_cast<int16_t>(form.wallpaperStyle);
        next.DefaultWindowsBackground = ConvertWallpaper(ctx.os, ctx.st.ProgramFolder, next.DefaultWindowsBackground);
        if (int e = SetRunOnStartup(ctx.os, ctx.st.ProgramFolder, next.RunOnStartUP == 1))
            throw RuntimeError(FileErrorNumber(e));
        ctx.st.settings = next;
        WriteINI(ctx.os, ctx.st.ProgramFolder, next);
        return true;
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "PreferenceDone");
        return false;
    }
}

} // namespace stowly
