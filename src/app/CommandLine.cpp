#include "app/CommandLine.h"

#include <algorithm>
#include <string_view>

#include "app/MainCommands.h"
#include "app/Startup.h"
#include "closet/CleanRestore.h"
#include "core/Error.h"
#include "core/OperationLock.h"
#include "core/ReportError.h"
#include "icons/IconPositions.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr const char* kLoaded = "Your icon positions have been restored.";

// Sentences after the first of a final message that only tell something: where a
// synced desktop's items went, that the closet beside a key file naming another was
// used, that a wallpaper which is no picture was left as it is. Every other one
// reports something not done.
struct Note {
    std::string_view start, end; // `end` closes a sentence that names a folder
};
constexpr Note kNotes[] = {
    {" Your desktop is synced, so its items also left the desktop on your other computers: they are in \"", "\"."},
    {" The key file named another closet folder; the one beside it was used.", ""},
    {" The wallpaper was left as it is: it is not a picture file that can be put back (a solid colour or Windows "
     "Spotlight).",
     ""},
};

bool OnlyNotes(std::string_view rest) {
    while (!rest.empty()) {
        const auto note = std::find_if(std::begin(kNotes), std::end(kNotes),
                                       [&](const Note& n) { return rest.starts_with(n.start); });
        if (note == std::end(kNotes)) return false;
        rest.remove_prefix(note->start.size());
        if (note->end.empty()) continue;
        const size_t end = rest.find(note->end);
        if (end == std::string_view::npos) return false;
        rest.remove_prefix(end + note->end.size());
    }
    return true;
}

// Whether the command's last word was `success`, followed by notes at most, with
// no warning, error or declined question on the way.
bool EndedWell(const ConsoleUi& ui, std::string_view success) {
    return !ui.troubled && ui.lastWord.starts_with(success) && OnlyNotes(std::string_view(ui.lastWord).substr(success.size()));
}

bool IsSwitch(const std::string& arg, const char* name) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') && UpperCase(arg.substr(1)) == UpperCase(name);
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return {};
    const std::string& first = args[0];
    for (const auto& [name, command] : {std::pair{"clean", Command::Clean}, {"restore", Command::Restore},
                                        {"?", Command::Usage}})
        if (IsSwitch(first, name)) return {args.size() == 1 ? command : Command::Unreadable, {}};
    for (const auto& [name, command] : {std::pair{"save", Command::Save}, {"load", Command::Load}})
        if (IsSwitch(first, name))
            return args.size() == 2 && !args[1].empty() ? CommandLine{command, args[1]} : CommandLine{Command::Unreadable, {}};
    return {Command::Unreadable, {}};
}

void ConsoleUi::Line(const std::string& text) {
    // Message texts break their lines with CR, LF or both.
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        writeLine_(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

Answer ConsoleUi::Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    const bool question = buttons == MsgButtons::YesNo;
    Line(question ? text + " No" : text);
    lastWord = text;
    troubled = troubled || question || icon == MsgIcon::Exclamation || icon == MsgIcon::Critical || title == "Error";
    busy = busy || text == kOperationRunning;
    return SilentUi::Message(text, title, buttons, icon);
}

std::optional<std::string> ConsoleUi::Input(const std::string& prompt, const std::string&, const std::string&) {
    Line(prompt);
    troubled = true; // nothing can be typed in
    return std::nullopt;
}

void ConsoleUi::FinishProgress(const std::string& message) {
    Line(message);
    lastWord = message;
}

int RunCommandLine(Platform& os, ConsoleUi& ui, AppState& st, const CommandLine& line) {
    if (line.command == Command::Usage) {
        ui.Line(kUsage);
        return kExitDone;
    }
    if (line.command == Command::Unreadable) {
        ui.Line("This command line cannot be read.");
        ui.Line(kUsage);
        return kExitBadCommandLine;
    }
    Context ctx{os, ui, st};
    if (!StartUpChecks(ctx)) return kExitFailed;
    ui.troubled = false; // a setting that could not be read keeps its default, as in the window
    // A record of a stopped run (not that of another copy's running one) is offered
    // to be finished, and the offer declined: nothing more is done until the user
    // settles it in the program's window.
    OfferToFinishInterrupted(ctx);
    if (ui.troubled) return kExitFailed;
    ui.lastWord.clear();
    // A clean or restore while another copy's runs is refused (kOperationRunning):
    // busy. Save and Load move no item and run beside it.
    try {
        switch (line.command) {
        case Command::Clean:
            UseQuickCloset(st);
            CleanDesktop(ctx);
            if (ui.busy) return kExitBusy;
            return EndedWell(ui, kCleanFinished) ? kExitDone : kExitFailed;
        case Command::Restore:
            UseQuickCloset(st);
            RestoreDesktop(ctx);
            if (ui.busy) return kExitBusy;
            // A closet already empty leaves nothing to do.
            return EndedWell(ui, kRestoreFinished) || (!ui.troubled && ui.lastWord.starts_with("No icons to restore."))
                       ? kExitDone
                       : kExitFailed;
        case Command::Save:
            SavePositionFile(ctx, line.file);
            return EndedWell(ui, kPositionsSaved) ? kExitDone : kExitFailed;
        case Command::Load:
            ApplyPositionFile(ctx, line.file, kLoaded);
            return EndedWell(ui, kLoaded) ? kExitDone : kExitFailed;
        default: return kExitBadCommandLine;
        }
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "CommandLine");
        return kExitFailed;
    }
}

} // namespace stowly
