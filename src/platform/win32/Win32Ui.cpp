#include "platform/win32/Win32Ui.h"

#include <commdlg.h>

#include <algorithm>

#include "platform/win32/WinText.h"

namespace stowly {

namespace {

std::wstring TitleOrApp(const std::string& title) { return Widen(title.empty() ? kAppTitle : title); }

// The program's active window owns its prompts, so they stay in front of it and
// disable it while they are up.
HWND Owner() { return GetActiveWindow(); }

// An in-memory dialog template: DLGTEMPLATE, then its items, each DWORD aligned.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short cx, short cy) {
        Dword(style | DS_SETFONT);
        Dword(0);           // extended style
        countAt_ = words_.size();
        words_.push_back(0); // item count, filled in by Item
        Shorts({0, 0, cx, cy});
        words_.push_back(0); // no menu
        words_.push_back(0); // standard dialog class
        words_.push_back(0); // empty title; set at WM_INITDIALOG
        words_.push_back(8); // point size
        Text(L"MS Shell Dlg");
    }
    // classAtom: 0x80 button, 0x81 edit, 0x82 static.
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text) {
        if (words_.size() % 2) words_.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Shorts({x, y, cx, cy});
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        Text(text);
        words_.push_back(0); // no creation data
        ++words_[countAt_];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD d) {
        words_.push_back(LOWORD(d));
        words_.push_back(HIWORD(d));
    }
    void Shorts(std::initializer_list<short> values) {
        for (short v : values) words_.push_back(static_cast<WORD>(v));
    }
    void Text(const wchar_t* s) {
        while (*s) words_.push_back(static_cast<WORD>(*s++));
        words_.push_back(0);
    }
    std::vector<WORD> words_; // new[] alignment is enough for DWORD alignment
    size_t countAt_ = 0;
};

constexpr WORD kInputPrompt = 100;
constexpr WORD kInputEdit = 101;

struct InputState {
    std::wstring prompt, title, text;
};

INT_PTR CALLBACK InputDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputState*>(lp);
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            SetWindowTextW(dlg, state->title.c_str());
            SetDlgItemTextW(dlg, kInputPrompt, state->prompt.c_str());
            SetDlgItemTextW(dlg, kInputEdit, state->text.c_str());
            HWND edit = GetDlgItem(dlg, kInputEdit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            return FALSE; // focus set here
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
                HWND edit = GetDlgItem(dlg, kInputEdit);
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                state->text = std::move(text);
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            break;
        }
    } catch (...) {
        EndDialog(dlg, IDCANCEL);
    }
    return FALSE;
}

// "Name|*.a|Other|*.b" as the dialog wants it: NUL-separated, two NULs at the end.
std::wstring DialogFilter(const std::string& filter) {
    std::wstring w = Widen(filter);
    std::replace(w.begin(), w.end(), L'|', L'\0');
    w.push_back(L'\0');
    w.push_back(L'\0');
    return w;
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save) {
    const std::wstring filter = DialogFilter(options.filter);
    const std::wstring folder = Widen(options.initialFolder);
    std::wstring ext = Widen(options.defaultExt);
    if (!ext.empty() && ext.front() == L'.') ext.erase(0, 1);

    std::wstring file = Widen(options.fileName);
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = options.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(options.filterIndex, 1));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    // Overwriting is asked about by the callers themselves, in their own words.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (save ? 0 : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok) return std::nullopt;
    return Narrow(file.c_str());
}

} // namespace

Answer Win32Ui::Message(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    UINT style = 0;
    switch (buttons) {
    case MsgButtons::Ok: style |= MB_OK; break;
    case MsgButtons::OkCancel: style |= MB_OKCANCEL; break;
    case MsgButtons::YesNo: style |= MB_YESNO; break;
    }
    switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Critical: style |= MB_ICONHAND; break;
    case MsgIcon::Question: style |= MB_ICONQUESTION; break;
    case MsgIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MsgIcon::Information: style |= MB_ICONASTERISK; break;
    }
    HWND owner = Owner();
    // Without a window of its own (at start-up) the box must still come to the front.
    if (!owner) style |= MB_SETFOREGROUND | MB_TASKMODAL;
    switch (MessageBoxW(owner, Widen(text).c_str(), TitleOrApp(title).c_str(), style)) {
    case IDOK: return Answer::Ok;
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    default: return buttons == MsgButtons::YesNo ? Answer::No : Answer::Cancel;
    }
}

std::optional<std::string> Win32Ui::Input(const std::string& prompt, const std::string& title,
                                          const std::string& initial) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 250, 92);
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 180, 60, kInputPrompt, 0x82, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 7, 50, 14, IDOK, 0x80, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 193, 25, 50, 14, IDCANCEL, 0x80, L"Cancel");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 72, 236, 13, kInputEdit, 0x81, L"");

    InputState state{Widen(prompt), TitleOrApp(title), Widen(initial)};
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), Owner(), InputDialogProc,
                                              reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return std::nullopt;
    return Narrow(state.text);
}

std::optional<std::string> Win32Ui::OpenFile(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> Win32Ui::SaveFile(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

void Win32Ui::SetBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32Ui::AddModeless(HWND hwnd) {
    if (std::find(modeless_.begin(), modeless_.end(), hwnd) == modeless_.end()) modeless_.push_back(hwnd);
}

void Win32Ui::RemoveModeless(HWND hwnd) { std::erase(modeless_, hwnd); }

void Win32Ui::Dispatch(MSG& msg) {
    for (HWND h : modeless_)
        if (IsWindow(h) && IsDialogMessageW(h, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    // A window's class cursor replaces the hourglass on every mouse move.
    if (busy_ && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32Ui::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

bool Win32Ui::PumpFor(unsigned ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            Dispatch(msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

int Win32Ui::RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void Win32Ui::ShowProgress(const std::string& message) {
    if (onShowProgress) onShowProgress(message);
}

void Win32Ui::FinishProgress(const std::string& message) {
    if (onFinishProgress) onFinishProgress(message);
}

void Win32Ui::SetProgressLabels(const std::string& status, const std::string& count, bool visible) {
    if (onProgressLabels) onProgressLabels(status, count, visible);
}

void Win32Ui::LockBigButtons(bool enabled) {
    if (onLockBigButtons) onLockBigButtons(enabled);
}

} // namespace stowly
