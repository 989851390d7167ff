#pragma once
// The command line: "stowly.exe /clean", "/restore", "/save FILE", "/load FILE",
// "/?". A copy run with a command shows no window and asks nothing: it does the
// command through a console UI and ends with an exit code that says how it went.
#include <functional>
#include <string>
#include <vector>

#include "core/AppState.h"

namespace stowly {

enum class Command { None, Clean, Restore, Save, Load, Usage, Unreadable };

struct CommandLine {
    Command command = Command::None; // None: no arguments, the windows start
    std::string file;                // the file of Save and Load
};

// The arguments after the program's name. Switches start with "/" or "-", in any
// case; Save and Load take exactly one file, the others nothing.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

inline constexpr const char* kUsage =
    "Usage: stowly.exe [/clean | /restore | /save FILE | /load FILE | /?]\n"
    "  /clean        Move every desktop item into the quick closet.\n"
    "  /restore      Bring the quick closet back to the desktop.\n"
    "  /save FILE    Save the desktop's icon positions to a position file.\n"
    "  /load FILE    Put the icons where a position file says.\n"
    "Exit codes: 0 done, 1 failed or done in part, 2 bad command line, 3 busy.";

enum ExitCode { kExitDone = 0, kExitFailed = 1, kExitBadCommandLine = 2, kExitBusy = 3 };

// Prompts without windows: each message becomes lines of text, every question is
// answered No, input boxes and file dialogs are cancelled. It remembers what the
// exit code is decided from.
class ConsoleUi : public SilentUi {
public:
    explicit ConsoleUi(std::function<void(const std::string&)> writeLine) : writeLine_(std::move(writeLine)) {}

    void Line(const std::string& text);

    Answer Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override;
    std::optional<std::string> Input(const std::string& prompt, const std::string&, const std::string&) override;
    void ShowProgress(const std::string& message) override { Line(message); }
    void FinishProgress(const std::string& message) override;

    std::string lastWord;  // the last message or final progress message
    bool troubled = false; // a warning or an error was shown, or a question declined
    bool busy = false;     // another copy's clean, restore or recovery was running

private:
    std::function<void(const std::string&)> writeLine_;
};

// Runs `line` (not None) after the start-up checks and returns its exit code.
int RunCommandLine(Platform& os, ConsoleUi& ui, AppState& st, const CommandLine& line);

} // namespace stowly
