#pragma once
// A modal dialog whose controls are laid out in twips: the dialog manager gives it
// Tab, the arrow keys in option groups, Enter for the default button and Escape
// for Cancel; places and fonts come from twips at the window's DPI and follow it
// when the window moves to a screen of another DPI.
#include <windows.h>

#include <span>
#include <string>

#include "platform/win32/Handle.h"

namespace stowly {

struct TwipsRect {
    int left, top, width, height;
};

enum class DialogFont { Normal, Bold, Title };

// One control. Tab order follows the table; WS_CHILD and WS_VISIBLE are added
// unless `hidden`.
struct DialogControl {
    int id;
    const wchar_t* cls; // WC_BUTTONW, WC_STATICW, WC_EDITW
    const wchar_t* text;
    DWORD style;
    TwipsRect place;
    DialogFont font = DialogFont::Normal;
    DWORD exStyle = 0;
    bool hidden = false;
};

class TwipsDialog {
public:
    virtual ~TwipsDialog() = default;
    TwipsDialog(const TwipsDialog&) = delete;
    TwipsDialog& operator=(const TwipsDialog&) = delete;

protected:
    // `size` is the client area, or the whole window with `outerSize`.
    TwipsDialog(std::span<const DialogControl> controls, SIZE sizeTwips, bool outerSize)
        : controls_(controls), size_(sizeTwips), outerSize_(outerSize) {}

    // Shows the dialog over `owner` until End; returns End's code.
    INT_PTR RunModal(HWND owner, const std::wstring& title);
    void End(INT_PTR code) { EndDialog(hwnd_, code); }

    // The controls exist; fill them. Runs before the dialog shows.
    virtual void OnInit() {}
    // The controls have their places and fonts for dpi(); pictures follow here.
    virtual void OnLayout() {}
    virtual void OnCommand(int id, int code) = 0;
    // Any other message; true when handled, with the dialog procedure's result.
    virtual bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int Px(int twips) const;
    RECT PlaceOf(const TwipsRect& r) const;
    UINT dpi() const { return dpi_; }

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    // Fonts, control places and the window's size for `dpi`.
    void Layout(UINT dpi);
    HFONT Font(DialogFont font) const;

    std::span<const DialogControl> controls_;
    std::wstring title_;
    SIZE size_;
    bool outerSize_;
    UINT dpi_ = 96;
    GdiObject normalFont_, boldFont_, titleFont_;
};

} // namespace stowly
