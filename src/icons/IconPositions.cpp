#include "icons/IconPositions.h"

#include "core/Error.h"
#include "core/Files.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "icons/Layouts.h"
#include "platform/Text.h"
#include "settings/Settings.h"

namespace stowly {

namespace {

constexpr const char* kNoDesktop = "The desktop's icons could not be reached.  No icon was moved.";
constexpr size_t kExtensionLength = 4; // ".dpf"
constexpr const char* kFreeSlot = "Blank";

} // namespace

void ApplyPositionFile(Context& ctx, const std::string& path, const char* restored) {
    ctx.ui.SetBusy(true);
    const std::optional<int> notPlaced = RestoreLocations(ctx.os, ctx.ui, path);
    ctx.ui.SetBusy(false);
    if (notPlaced)
        ctx.ui.Message(restored + NotPlacedSentence(*notPlaced), "", MsgButtons::Ok,
                       *notPlaced ? MsgIcon::Exclamation : MsgIcon::Information);
    else if (!GetDesktopHwnd(ctx.os)) // nothing else would tell the user
        ctx.ui.Message(kNoDesktop, "", MsgButtons::Ok, MsgIcon::Exclamation);
}

FileDialogOptions PositionFileDialog(const std::string& programFolder) {
    return {"", programFolder, "All Files (*.*)|*.*|Desktop Position Files (*.dpf)|*.dpf", ".dpf", 2};
}

FavoriteSlots FavoritesOf(const Settings& settings) {
    FavoriteSlots slots;
    for (size_t i = 0; i < slots.size(); ++i) slots[i] = {settings.FavoriteLocation[i], settings.FavoritePath[i]};
    return slots;
}

void SavePositions(Context& ctx) {
    Ui& ui = ctx.ui;
    try {
        const auto path = ui.SaveFile(PositionFileDialog(ctx.st.ProgramFolder));
        if (!path) return;
        if (FileExists(ctx.os, *path) &&
            ui.Message("Icon Postion File Already Exists.  Do you want to overwrite it?", "", MsgButtons::YesNo,
                       MsgIcon::Question) != Answer::Yes)
            return;
        SavePositionFile(ctx, *path);
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "SavePositions");
    }
}

void SavePositionFile(Context& ctx, const std::string& path) {
    Ui& ui = ctx.ui;
    // The table of some earlier moment would be a wrong file: nothing is written.
    const auto icons = EnumDesktopIcons(ctx.os, ui);
    if (!icons) {
        ui.Message("The desktop's icons could not be read.  Nothing was saved.", "", MsgButtons::Ok,
                   MsgIcon::Exclamation);
        return;
    }
    WritePositionFile(ctx.os, path, ScreenSizeText(ctx.os.Screen()), *icons);
    ui.Message(kPositionsSaved, "", MsgButtons::Ok, MsgIcon::Information);
}

void LoadPositions(Context& ctx) {
    const auto chosen = ctx.ui.OpenFile(PositionFileDialog(ctx.st.ProgramFolder));
    if (!chosen) return;
    const std::string path = Trim(*chosen);
    if (!path.empty()) ApplyPositionFile(ctx, path);
}

std::optional<FavoriteSlot> BrowseFavorite(Context& ctx) {
    const auto chosen = ctx.ui.OpenFile(PositionFileDialog(ctx.st.ProgramFolder));
    if (!chosen) return std::nullopt;
    const std::string full = Trim(*chosen);
    const size_t cut = full.rfind('\\');
    const size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    const std::string fileName = full.substr(nameStart);
    // The last four characters are the extension, whatever they are; a name with
    // nothing before them would pair an empty or old name with a new folder.
    if (Utf8Length(fileName) <= kExtensionLength) return std::nullopt;
    return FavoriteSlot{Utf8Left(fileName, Utf8Length(fileName) - kExtensionLength), full.substr(0, nameStart)};
}

void StoreFavorites(Context& ctx, const FavoriteSlots& slots) {
    Settings& settings = ctx.st.settings;
    for (size_t i = 0; i < slots.size(); ++i) {
        settings.FavoriteLocation[i] = slots[i].name;
        settings.FavoritePath[i] = slots[i].folder;
    }
    WriteINI(ctx.os, ctx.st.ProgramFolder, settings);
}

void LoadFav(Context& ctx, int index) {
    const Settings& settings = ctx.st.settings;
    if (index < 0 || index >= static_cast<int>(settings.FavoriteLocation.size())) return;
    const std::string& name = settings.FavoriteLocation[index];
    if (name.empty() || name == kFreeSlot) return; // a free slot names no file
    try {
        const std::string path = settings.FavoritePath[index] + name + ".dpf";
        if (FileExists(ctx.os, path)) ApplyPositionFile(ctx, path);
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "LoadFav" + std::to_string(index));
    }
}

} // namespace stowly
