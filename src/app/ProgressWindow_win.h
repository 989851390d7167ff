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

    // Loads a fresh window over `owner` that shows state.message and watches
    // state.status once a second; the state outlives the window.
    void Show(HWND owner, const WaitState& state);
    // lblStatus and lblCount, written by the clean.
    void SetLabels(const std::string& status, const std::string& count, bool visible);
    void Close();
    HWND hwnd() const { return hwnd_; }

private:
    friend LRESULT CALLBACK stowly::WindowThunk<ProgressWindow>(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Layout();
    void Timer1_Timer();
    void cmdOK_Click();

    HINSTANCE instance_;
    Win32Ui& ui_;
    HWND hwnd_ = nullptr;
    const WaitState* state_ = nullptr;
    UINT dpi_ = 96;
    bool done_ = false; // "Done" was seen
    HWND lblMSG_ = nullptr, lblStatus_ = nullptr, lblCount_ = nullptr, cmdOK_ = nullptr;
    GdiObject fontMsg_, fontLabel_, background_;
};

} // namespace stowly
