#pragma once
// Every prompt the program shows, behind a small interface, so that operations
// run unchanged in tests with a scripted UI (src/platform/sim/ScriptedUi.h).

#include <optional>
#include <string>

namespace stowly {

// The title of message boxes that have none of their own.
inline constexpr const char* kAppTitle = "Stowly";

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Yes, No };

struct FileDialogOptions {
    std::string fileName;
    std::string initialFolder;
    std::string filter;     // "Name|pattern|Name|pattern"
    std::string defaultExt; // ".qvr"
    int filterIndex = 1;    // 1 = first filter
};

class Ui {
public:
    virtual ~Ui() = default;

    // A message box. An empty title shows the application title "Stowly".
    virtual Answer Message(const std::string& text, const std::string& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                             const std::string& initial) = 0;
    // File dialogs; nullopt when cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogOptions& options) = 0;
    // The hourglass pointer for the whole screen, or the normal arrow.
    virtual void SetBusy(bool busy) = 0;
    // Lets pending window messages run.
    virtual void PumpMessages() = 0;

    // The progress window (frmWait): shown modeless with its opening message.
    virtual void ShowProgress(const std::string& message) = 0;
    // Ends the progress window's wait: it shows `message` and its OK button, which
    // closes it. The window may notice only on its next look (once a second).
    virtual void FinishProgress(const std::string& message) = 0;
    // The clean's two progress labels (status and count) and whether they show.
    virtual void SetProgressLabels(const std::string& status, const std::string& count, bool visible) = 0;
    // Enables or disables the main window's seven command buttons (LockBigButtons).
    virtual void LockBigButtons(bool enabled) = 0;
};

// Prompts with no window to show them in: nothing is shown, every question is
// answered No (Ok where it has no No), and input boxes and file dialogs are cancelled.
class SilentUi : public Ui {
public:
    Answer Message(const std::string&, const std::string&, MsgButtons buttons, MsgIcon) override {
        return buttons == MsgButtons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> OpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialogOptions&) override { return std::nullopt; }
    void SetBusy(bool) override {}
    void PumpMessages() override {}
    void ShowProgress(const std::string&) override {}
    void FinishProgress(const std::string&) override {}
    void SetProgressLabels(const std::string&, const std::string&, bool) override {}
    void LockBigButtons(bool) override {}
};

} // namespace stowly
