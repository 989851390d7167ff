#include "platform/sim/ScriptedUi.h"

namespace stowly {

std::vector<std::string> ScriptedUi::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& s : shown)
        if (s.kind == "message") texts.push_back(s.text);
    return texts;
}

Answer ScriptedUi::Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    shown.push_back({"message", text, title.empty() ? kAppTitle : title, buttons, icon, {}});
    if (!replies.empty()) {
        Reply r = replies.front();
        replies.pop_front();
        return r.answer;
    }
    return buttons == MsgButtons::YesNo ? Answer::No : Answer::Ok;
}

std::optional<std::string> ScriptedUi::TextReply() {
    if (replies.empty()) return std::nullopt;
    Reply r = replies.front();
    replies.pop_front();
    if (r.cancelled) return std::nullopt;
    return r.text;
}

std::optional<std::string> ScriptedUi::Input(const std::string& prompt, const std::string& title, const std::string&) {
    shown.push_back({"input", prompt, title.empty() ? kAppTitle : title, MsgButtons::OkCancel, MsgIcon::None, {}});
    return TextReply();
}

std::optional<std::string> ScriptedUi::OpenFile(const FileDialogOptions& options) {
    shown.push_back({"open", options.filter, {}, MsgButtons::OkCancel, MsgIcon::None, options});
    return TextReply();
}

std::optional<std::string> ScriptedUi::SaveFile(const FileDialogOptions& options) {
    shown.push_back({"save", options.filter, {}, MsgButtons::OkCancel, MsgIcon::None, options});
    return TextReply();
}

void ScriptedUi::ShowProgress(const std::string& message) {
    ++progressShown;
    progressMessage = message;
    progressDone = false;
}

void ScriptedUi::FinishProgress(const std::string& message) {
    progressMessage = message;
    progressDone = true;
}

void ScriptedUi::SetProgressLabels(const std::string& status, const std::string& count, bool visible) {
    statusLabels.push_back(status);
    countLabels.push_back(count);
    labelsVisible = visible;
}

void ScriptedUi::LockBigButtons(bool enabled) {
    buttonsEnabled = enabled;
}

} // namespace stowly
