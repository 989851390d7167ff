#include "closet/AdvancedCloset.h"

#include "closet/CleanRestore.h"
#include "closet/Wallpaper.h"
#include "icons/Layouts.h"
#include "core/Error.h"
#include "core/OperationLock.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr const char* kRestored = "Your Icons have been restored.";

} // namespace

std::string PasswordProblem(const std::string& password) {
    // A double quote ends a quoted value early and a line break ends the line, so
    // the key file would hand back another password than the one typed.
    if (password.find_first_of("\"\r\n") == std::string::npos) return {};
    return "A password cannot hold a double quote (\") or a line break.  Please type another one.";
}

CleanDialog LoadCleanDialog(Context& ctx) {
    const AppState& st = ctx.st;
    CleanDialog dialog;
    dialog.fields.closetDirectory = st.ClosetDirectory;
    dialog.fields.keyFile = st.ClosetKeyFile;
    dialog.fields.screenSize = ScreenSizeText(ctx.os.Screen());
    try {
        // A desktop whose view does not answer is recorded without icons, as in the quick clean.
        dialog.icons = EnumDesktopIcons(ctx.os, ctx.ui).value_or(std::vector<IconRecord>{});
        dialog.fields.icons = IconListingText(dialog.icons);
        const WallpaperSetting wallpaper = ReadCurrentWallpaper(ctx.os);
        dialog.header = {st.ClosetDirectory, wallpaper.path, wallpaper.style, dialog.fields.screenSize, ""};
        dialog.fields.wallpaper = wallpaper.path;
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "CleanDesktopLoad");
    }
    return dialog;
}

DialogEnd RunAdvancedClean(Context& ctx, const CleanDialog& dialog, const std::string& password) {
    Ui& ui = ctx.ui;
    if (const std::string problem = PasswordProblem(password); !problem.empty()) {
        ui.Message(problem, "", MsgButtons::Ok, MsgIcon::Exclamation);
        return DialogEnd::StayOpen;
    }
    const OperationLock lock(ctx.os);
    if (LockedOut(ui, lock) || !NoStoppedRunLeft(ctx)) return DialogEnd::StayOpen;
    try {
        ClosetPlaces places = PlacesOf(ctx.st);
        if (RefuseUnusableCloset(ctx, places)) return DialogEnd::StayOpen;
        // Cleaning over a full closet would replace the only record of its items.
        if (!AllClosetsEmpty(ctx.os, ctx.st, places)) {
            ui.Message(kClosetNotEmpty, "", MsgButtons::Ok, MsgIcon::None);
            return DialogEnd::Close;
        }
        TakeSyncedCloset(ctx.os, ctx.st, places, SyncedFor::Clean);
        KeyFileHeader header = dialog.header;
        header.password = password;
        ui.SetBusy(true);
        const CleanResult result = CleanIntoCloset(ctx, places, header, dialog.icons, false);
        ui.SetBusy(false);
        ui.Message("Your Desktop has been cleaned." + NotMovedSentence(result.notMoved) + result.extra, "",
                   MsgButtons::Ok, MsgIcon::Information);
        return DialogEnd::Close;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "CleanDesktopRemove");
        return DialogEnd::StayOpen;
    }
}

RestoreDialog LoadRestoreDialog(Context& ctx) {
    AppState& st = ctx.st;
    RestoreDialog dialog;
    dialog.fields.closetDirectory = st.ClosetDirectory;
    dialog.fields.keyFile = st.ClosetKeyFile;
    try {
        dialog.key = ReadKeyFile(ctx.os, PlacesOf(st).keyFile);
        const KeyFileHeader& header = dialog.key.header;
        st.ClosetPassword = header.password;
        // The folder shown is the one the restore takes: the key file's own.
        dialog.fields = {st.ClosetDirectory,  st.ClosetKeyFile, header.wallpaper,
                         header.screenSize,   header.password,  IconListingText(dialog.key.icons)};
        dialog.loaded = true;
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "RestoreDesktopRemove");
    }
    return dialog;
}

DialogEnd RunAdvancedRestore(Context& ctx, const RestoreDialog& dialog, const std::string& password) {
    Ui& ui = ctx.ui;
    // Without its key file a closet's positions, wallpaper and password are unknown.
    if (!dialog.loaded) return DialogEnd::StayOpen;
    const OperationLock lock(ctx.os);
    if (LockedOut(ui, lock) || !NoStoppedRunLeft(ctx)) return DialogEnd::StayOpen;
    try {
        ClosetPlaces places = PlacesOf(ctx.st);
        if (RefuseUnusableCloset(ctx, places)) return DialogEnd::StayOpen;
        TakeSyncedCloset(ctx.os, ctx.st, places, SyncedFor::Restore);
        // A key file moved alone may name the closet its items are in.
        AppState named = ctx.st;
        const NamedCloset other = OfferClosetNamedByKeyFile(ctx, places, named);
        if (other == NamedCloset::Declined) return DialogEnd::Close;
        Context restoring{ctx.os, ui, other == NamedCloset::Use ? named : ctx.st};
        if (ClosetIsEmpty(ctx.os, places)) {
            ui.Message(kAlreadyEmpty, "", MsgButtons::Ok, MsgIcon::None);
            return DialogEnd::Close;
        }
        const KeyFileHeader& saved = dialog.key.header;
        const std::string typed = UpperCase(Trim(password));
        if (typed != UpperCase(Trim(saved.password))) {
            if (const std::string problem = PasswordProblem(typed); !problem.empty()) {
                ui.Message(problem, "", MsgButtons::Ok, MsgIcon::Exclamation);
                return DialogEnd::StayOpen;
            }
            if (ui.Message("Your password changed.  Would you like to save the new password?", "",
                           MsgButtons::YesNo, MsgIcon::None) == Answer::Yes) {
                KeyFileHeader header = saved;
                header.password = typed;
                WriteKeyFile(ctx.os, places.keyFile, header, dialog.key.icons);
            }
        }
        ui.SetBusy(true);
        const RestoreResult result = RestoreFromCloset(restoring, places, saved);
        ui.SetBusy(false);
        // No success message when the positions could not be applied: what went
        // wrong is told alone, and the dialog stays; the items that moved stay moved.
        if (!result.positionsApplied) {
            const std::string told = Trim(NotMovedSentence(result.notMoved) + result.extra);
            ui.Message(told.empty() ? "The desktop's icons could not be reached.  No icon was moved." : told, "",
                       MsgButtons::Ok, MsgIcon::Exclamation);
            return DialogEnd::StayOpen;
        }
        ui.Message(kRestored + NotMovedSentence(result.notMoved) + result.extra, "", MsgButtons::Ok,
                   MsgIcon::Information);
        return DialogEnd::Close;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "RestoreDesktop");
        return DialogEnd::StayOpen;
    }
}

} // namespace stowly
