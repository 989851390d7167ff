#pragma once
// frmWait: the progress window of the quick clean and restore. Included only by
// the Windows views.
#include <windows.h>

#include <string>

#include "app/WindowThunk_win.h"
#include "platform/Ui.h"
#include "platform/win32/Handle.h"

namespace stowly {

class Win32Ui;

class ProgressWindow {
public:
    ProgressWindow(HINSTANCE instance, Win32Ui& ui) : instance_(instance), ui_(ui) {}
    ~ProgressWindow() { Close(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Loads a fresh window over `owner` that shows `message`.
    void Show(HWND owner, const std::string& message);
    // The operation has ended with `message`: it shows, then OK.
    void Finish(const std::string& message);
    // The status and count labels, written by the clean.
    void SetLabels(const std::string& status, const std::string& count, bool visible);
    void Close();
    HWND hwnd() const { return hwnd_; }

private:
    friend LRESULT CALLBACK stowly::WindowThunk<ProgressWindow>(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Layout();
    void OnOkClicked();

    HINSTANCE instance_;
    Win32Ui& ui_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    bool done_ = false; // the final message and OK are showing
    HWND messageLabel_ = nullptr, statusLabel_ = nullptr, countLabel_ = nullptr, okButton_ = nullptr;
    GdiObject fontMsg_, fontLabel_, background_;
};

} // namespace stowly
