#pragma once
// A UI for tests: answers prompts from a script, in order, and records every text
// shown so that tests can assert the exact texts.

#include <deque>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace stowly {

class ScriptedUi : public Ui {
public:
    struct Shown {
        std::string kind; // "message", "input", "open", "save"
        std::string text; // message text, input prompt, or the dialog's filter
        std::string title;
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::None;
        FileDialogOptions dialog; // for "open" and "save"
    };
    // One scripted reply: an answer for a message box, or text for an input box or
    // file dialog (cancelled = true for Cancel).
    struct Reply {
        Answer answer = Answer::Ok;
        std::string text;
        bool cancelled = false;
    };

    // Replies are taken in order; with none left, a message box answers Ok (or No for
    // Yes/No) and input boxes and file dialogs are cancelled.
    void Push(Answer a) { replies.push_back({a, {}, false}); }
    void PushText(const std::string& text) { replies.push_back({Answer::Ok, text, false}); }
    void PushCancel() { replies.push_back({Answer::Cancel, {}, true}); }

    // The texts of every message box, in order.
    std::vector<std::string> MessageTexts() const;

    std::deque<Reply> replies;
    std::vector<Shown> shown;
    // Progress window and buttons, as the operation left them.
    int progressShown = 0;
    std::string progressMessage; // the opening message, then the final one
    bool progressDone = false;
    std::vector<std::string> statusLabels; // every status label text set
    std::vector<std::string> countLabels;  // every count label text set
    bool labelsVisible = false;
    bool buttonsEnabled = true;
    bool busy = false;
    int pumps = 0;

    Answer Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override;
    std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;
    void SetBusy(bool b) override { busy = b; }
    void PumpMessages() override { ++pumps; }
    void ShowProgress(const std::string& message) override;
    void FinishProgress(const std::string& message) override;
    void SetProgressLabels(const std::string& status, const std::string& count, bool visible) override;
    void LockBigButtons(bool enabled) override;

private:
    std::optional<std::string> TextReply();
};

} // namespace stowly
