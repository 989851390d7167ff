#pragma once
// The prompts of the Ui interface as real Windows message boxes and dialogs.
// The progress window and the command buttons belong to the main window: it
// plugs them in through the hooks below; until it does, those calls do nothing.

#include <windows.h>

#include <functional>
#include <vector>

#include "platform/Ui.h"

namespace stowly {

class Win32Ui : public Ui {
public:
    Win32Ui() = default;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    Answer Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override;
    std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;
    void SetBusy(bool busy) override;
    void PumpMessages() override;
    void ShowProgress(const std::string& message) override;
    void FinishProgress(const std::string& message) override;
    void SetProgressLabels(const std::string& status, const std::string& count, bool visible) override;
    void LockBigButtons(bool enabled) override;

    std::function<void(const std::string& message)> onShowProgress;
    std::function<void(const std::string& message)> onFinishProgress;
    std::function<void(const std::string& status, const std::string& count, bool visible)> onProgressLabels;
    std::function<void(bool enabled)> onLockBigButtons;

    // Whether the hourglass is up; windows consult it in WM_SETCURSOR.
    bool Busy() const { return busy_; }
    // Modeless windows whose keyboard navigation (Tab, Enter, Esc) the message
    // loops route through IsDialogMessage.
    void AddModeless(HWND hwnd);
    void RemoveModeless(HWND hwnd);

    // Hands pending messages to their windows for `ms` milliseconds, sleeping while
    // none are queued. False when the program was asked to quit meanwhile (the quit
    // message is left in the queue for the outer loop).
    bool PumpFor(unsigned ms);
    // The program's main loop; returns the exit code of WM_QUIT.
    int RunMessageLoop();

private:
    // Routes and dispatches one message.
    void Dispatch(MSG& msg);

    bool busy_ = false;
    std::vector<HWND> modeless_;
};

} // namespace stowly
