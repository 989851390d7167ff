// The real prompts, answered from a second thread as a user would answer them.
#include <doctest/doctest.h>
#include <windows.h>

#include <functional>
#include <thread>

#include "../../tools/guidriver/GuiDriver.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace guidriver;

namespace {

// Runs `prompt` here while `answer` works on the dialog titled `title` from another
// thread; returns what `answer` saw. A dialog that never shows gives "no dialog".
template <class Prompt>
std::wstring Answering(const std::wstring& title, const std::function<std::wstring(HWND)>& answer, Prompt prompt) {
    std::wstring seen = L"no dialog";
    std::thread driver([&] {
        HWND dlg = nullptr;
        const DWORD pid = GetCurrentProcessId();
        if (WaitFor([&] { return (dlg = FindWindowByTitle(pid, title, true)) && ClassName(dlg) == L"#32770"; }, 20000))
            seen = answer(dlg);
    });
    prompt();
    driver.join();
    return seen;
}

} // namespace

TEST_CASE("Input box: prompt, initial text, OK and Cancel") {
    Win32Ui ui;
    std::optional<std::string> got;
    const std::wstring seen = Answering(
        L"Password",
        [](HWND dlg) {
            HWND edit = FindWindowExW(dlg, nullptr, L"Edit", nullptr);
            const std::wstring seen =
                (FindChild(dlg, L"Enter the closet's password:") ? L"prompt " : L"") + Text(edit);
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"p\u00E4ss w\u00F6rd"));
            Click(GetDlgItem(dlg, IDOK));
            return seen;
        },
        [&] { got = ui.Input("Enter the closet's password:", "Password", "abc"); });
    CHECK(seen == L"prompt abc");
    CHECK(got == std::optional<std::string>("p\xC3\xA4ss w\xC3\xB6rd"));

    Answering(
        L"Stowly", [](HWND dlg) { return Click(GetDlgItem(dlg, IDCANCEL)) ? L"" : L"?"; },
        [&] { got = ui.Input("Name:", "", "kept?"); });
    CHECK_FALSE(got.has_value());
}

TEST_CASE("Message box: title, text and the button pressed") {
    Win32Ui ui;
    struct Row {
        MsgButtons buttons;
        int press;
        Answer expected;
    };
    for (const Row& r : {Row{MsgButtons::YesNo, IDYES, Answer::Yes}, Row{MsgButtons::YesNo, IDNO, Answer::No},
                         Row{MsgButtons::OkCancel, IDCANCEL, Answer::Cancel}, Row{MsgButtons::Ok, IDOK, Answer::Ok}}) {
        Answer got{};
        const std::wstring seen = Answering(
            L"Stowly",
            [&](HWND dlg) {
                const std::wstring text = Text(GetDlgItem(dlg, 0xFFFF));
                Click(GetDlgItem(dlg, r.press));
                return text;
            },
            [&] { got = ui.Message("Overwrite \"a.dpf\"?", "", r.buttons, MsgIcon::Question); });
        CHECK(seen == L"Overwrite \"a.dpf\"?");
        CHECK(got == r.expected);
    }
}

TEST_CASE("File dialogs: filter, folder, default extension; Cancel told apart") {
    test::TestDir dir;
    const std::string folder = dir.path().string();
    CloseHandle(CreateFileW(Widen(folder + "\\a.qvr").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    Win32Ui ui;
    FileDialogOptions options;
    options.initialFolder = folder;
    options.filter = "Key files (*.qvr)|*.qvr|All files (*.*)|*.*";
    options.defaultExt = ".qvr";
    options.filterIndex = 2;

    // The file name box is a combo box (cmb13) or an edit (edt1), by dialog style.
    auto type = [](HWND dlg, const wchar_t* name) {
        HWND box = GetDlgItem(dlg, 0x47C);
        if (!box) box = GetDlgItem(dlg, 0x480);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    };
    auto filters = [](HWND dlg) {
        HWND types = GetDlgItem(dlg, 0x470); // cmb1
        std::wstring seen = std::to_wstring(SendMessageW(types, CB_GETCURSEL, 0, 0) + 1);
        const auto count = SendMessageW(types, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t item[256] = {};
            SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            seen += L"|" + std::wstring(item);
        }
        return seen;
    };

    std::optional<std::string> got;
    std::wstring seen = Answering(
        L"Open",
        [&](HWND dlg) {
            const std::wstring s = filters(dlg);
            type(dlg, L"a.qvr");
            Click(GetDlgItem(dlg, IDOK));
            return s;
        },
        [&] { got = ui.OpenFile(options); });
    CHECK(seen == L"2|Key files (*.qvr)|All files (*.*)");
    CHECK(got == std::optional<std::string>(folder + "\\a.qvr"));

    options.filterIndex = 1;
    seen = Answering(
        L"Save As",
        [&](HWND dlg) {
            const std::wstring s = filters(dlg);
            type(dlg, L"new closet");
            Click(GetDlgItem(dlg, IDOK));
            return s;
        },
        [&] { got = ui.SaveFile(options); });
    CHECK(seen == L"1|Key files (*.qvr)|All files (*.*)");
    CHECK(got == std::optional<std::string>(folder + "\\new closet.qvr"));

    Answering(
        L"Open", [](HWND dlg) { return Click(GetDlgItem(dlg, IDCANCEL)) ? L"" : L"?"; },
        [&] { got = ui.OpenFile(options); });
    CHECK_FALSE(got.has_value());
}
