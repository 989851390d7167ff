#include "app/MainCommands.h"

#include "closet/CleanRestore.h"
#include "closet/KeyFile.h"
#include "core/Error.h"
#include "core/Files.h"
#include "core/ReportError.h"
#include "icons/DesktopIcons.h"
#include "icons/IconPositions.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr const char* kQuickKeyFile = "QuickClean.qvr";

bool AdvancedMode(const AppState& st) { return st.settings.AdvancedMode == 1; }

// ClosetDirectory gets everything up to and including the last backslash,
// ClosetKeyFile the rest.
void SplitKeyFilePath(AppState& st, const std::string& path) {
    const auto cut = path.rfind('\\');
    const size_t rest = cut == std::string::npos ? 0 : cut + 1;
    st.ClosetDirectory = path.substr(0, rest);
    st.ClosetKeyFile = path.substr(rest);
}

// A step whose failure is passed over: the command goes on with its next step.
template <typename Step>
void PassOver(Step&& step) {
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

bool IsPositionFile(const std::string& name) {
    return name.size() >= 3 && UpperCase(name.substr(name.size() - 3)) == "DPF";
}

} // namespace

void UseQuickCloset(AppState& st) {
    st.ClosetKeyFile = kQuickKeyFile;
    st.ClosetDirectory = st.ProgramFolder;
}

CommandOutcome OnCleanClicked(Context& ctx) {
    AppState& st = ctx.st;
    if (!AdvancedMode(st)) {
        UseQuickCloset(st);
        CleanDesktop(ctx);
        return CommandOutcome::Done;
    }
    const auto chosen = ctx.ui.SaveFile({kQuickKeyFile, st.ProgramFolder, "Stowly Files (*.qvr)|*.qvr", ".qvr", 1});
    if (!chosen) return CommandOutcome::Done;
    SplitKeyFilePath(st, *chosen);
    bool exists = false;
    PassOver([&] { exists = FileExists(ctx.os, *chosen); });
    if (exists && ctx.ui.Message("File Exists.  Would you like to over write it?", "", MsgButtons::YesNo,
                                 MsgIcon::None) == Answer::No)
        return CommandOutcome::Done;
    // Overwriting the key file of a closet that still holds items would lose the
    // only record of them: such a clean stops as the quick one does.
    bool empty = true;
    PassOver([&] { empty = ClosetIsEmpty(ctx.os, PlacesOf(st)); });
    if (!empty) {
        ctx.ui.Message(kClosetNotEmpty, "", MsgButtons::Ok, MsgIcon::None);
        return CommandOutcome::Done;
    }
    return CommandOutcome::ShowAdvancedClean;
}

CommandOutcome OnRestoreClicked(Context& ctx) {
    AppState& st = ctx.st;
    if (!AdvancedMode(st)) {
        UseQuickCloset(st);
        RestoreDesktop(ctx);
        return CommandOutcome::Done;
    }
    const auto chosen = ctx.ui.OpenFile(
        {"", st.ProgramFolder, "Stowly Files (*.qvr)|*.qvr|Desktop Position Files (*.dpf)|*.dpf", ".qvr", 1});
    if (!chosen) return CommandOutcome::Done;
    const std::string path = Trim(*chosen);
    if (path.empty()) return CommandOutcome::Done;

    if (IsPositionFile(path)) {
        PassOver([&] { ApplyPositionFile(ctx, path, "Your icon positions have been restored."); });
        return CommandOutcome::Done;
    }

    // The closet is the one beside the chosen key file, as in the quick restore: a
    // closet moved with its key file is found, and another one named in the file
    // is never taken instead.
    SplitKeyFilePath(st, path);
    std::string password;
    try {
        const KeyFileHeader header = ReadKeyFileHeader(ctx.os, path);
        password = header.password;
    } catch (const RuntimeError& e) {
        // A header that cannot be read cannot say whether a password guards the
        // closet: nothing is asked or shown. A key file that went away after it was
        // chosen leaves nothing to restore.
        if (e.number() != err::FileNotFound) ReportError(ctx.ui, e.number(), "RestoreDesktopRemove");
        return CommandOutcome::Done;
    }
    if (!password.empty()) {
        const std::string answer = ctx.ui.Input("Please enter the password:", "", "").value_or("");
        if (UpperCase(answer) != UpperCase(password)) {
            ctx.ui.Message("Invalide Password!", "", MsgButtons::Ok, MsgIcon::Critical);
            return CommandOutcome::Done;
        }
    }
    return CommandOutcome::ShowAdvancedRestore;
}

std::array<FavoriteItem, 4> FavoriteMenuItems(const Settings& settings) {
    std::array<FavoriteItem, 4> items;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& name = settings.FavoriteLocation[i];
        // Done stores an empty name too; it is as free as "Blank".
        items[i] = name.empty() || name == "Blank" ? FavoriteItem{"Blank", false} : FavoriteItem{name, true};
    }
    return items;
}

ExitAction ExitButtonAction(const Settings& settings, bool trayIconShown) {
    if (settings.MinSystemTray != 1) return ExitAction::EndProgram;
    return trayIconShown ? ExitAction::Hide : ExitAction::AddTrayIconAndHide;
}

TrayAction TrayIconAction(bool windowVisible, unsigned mouseMessage) {
    if (windowVisible) return TrayAction::None;
    switch (mouseMessage) {
    case 0x203: return TrayAction::ShowWindow; // WM_LBUTTONDBLCLK
    case 0x204: return TrayAction::PopupMenu;  // WM_RBUTTONDOWN
    default: return TrayAction::None;
    }
}

int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

} // namespace stowly
