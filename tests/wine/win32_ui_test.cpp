// The real prompts, answered from a second thread as a user would answer them.
#include <doctest/doctest.h>
#include <windows.h>

#include <thread>

#include "../../tools/guidriver/GuiDriver.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace guidriver;

namespace {

// Runs `prompt` while `answer` works the dialog titled `title` from another thread.
std::wstring Answering(const std::wstring& title, const std::function<std::wstring(HWND)>& answer,
                       const std::function<void()>& prompt) {
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

std::wstring Cancel(HWND dlg) { return Click(GetDlgItem(dlg, IDCANCEL)) ? L"cancelled" : L"?"; }

} // namespace

TEST_CASE("Input box and message box: the texts shown and the answer given") {
    Win32Ui ui;
    std::optional<std::string> got;
    auto type = [](HWND dlg) {
        HWND edit = FindWindowExW(dlg, nullptr, L"Edit", nullptr);
        const std::wstring seen = (FindChild(dlg, L"Password:") ? L"prompt " : L"") + Text(edit);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"p\u00E4ss w\u00F6rd"));
        Click(GetDlgItem(dlg, IDOK));
        return seen;
    };
    CHECK(Answering(L"Closet", type, [&] { got = ui.Input("Password:", "Closet", "abc"); }) == L"prompt abc");
    CHECK(got == std::optional<std::string>("p\xC3\xA4ss w\xC3\xB6rd"));
    CHECK(Answering(L"Stowly", Cancel, [&] { got = ui.Input("Name:", "", "x"); }) == L"cancelled");
    CHECK_FALSE(got.has_value());
    const std::tuple<MsgButtons, int, Answer> rows[] = {
        {MsgButtons::YesNo, IDYES, Answer::Yes}, {MsgButtons::YesNo, IDNO, Answer::No},
        {MsgButtons::OkCancel, IDCANCEL, Answer::Cancel}, {MsgButtons::Ok, IDOK, Answer::Ok}};
    for (const auto& [buttons, press, expected] : rows) {
        Answer answer{};
        auto pressIt = [press = press](HWND dlg) {
            const std::wstring text = Text(GetDlgItem(dlg, 0xFFFF));
            Click(GetDlgItem(dlg, press));
            return text;
        };
        auto ask = [&, b = buttons] { answer = ui.Message("Overwrite \"a.dpf\"?", "", b, MsgIcon::Question); };
        CHECK(Answering(L"Stowly", pressIt, ask) == L"Overwrite \"a.dpf\"?");
        CHECK(answer == expected);
    }
}

TEST_CASE("File dialogs: filter, folder, default extension; Cancel told apart") {
    test::TestDir dir;
    const std::string folder = dir.path().string();
    CloseHandle(CreateFileW(Widen(folder + "\\a.qvr").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    Win32Ui ui;
    FileDialogOptions options{"", folder, "Key files (*.qvr)|*.qvr|All files (*.*)|*.*", ".qvr", 2};
    // Reads the file types (selected one first), types `name` and presses OK.
    auto pick = [](const wchar_t* name) {
        return [name](HWND dlg) {
            HWND types = GetDlgItem(dlg, 0x470), box = GetDlgItem(dlg, 0x47C); // cmb1; cmb13, or edt1 by style
            wchar_t item[256] = {};
            std::wstring seen = std::to_wstring(SendMessageW(types, CB_GETCURSEL, 0, 0) + 1);
            for (WPARAM i = 0; SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item)) > 0; ++i)
                seen += L"|" + std::wstring(item);
            SendMessageW(box ? box : GetDlgItem(dlg, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
            Click(GetDlgItem(dlg, IDOK));
            return seen;
        };
    };
    std::optional<std::string> got;
    CHECK(Answering(L"Open", pick(L"a.qvr"), [&] { got = ui.OpenFile(options); }) ==
          L"2|Key files (*.qvr)|All files (*.*)");
    CHECK(got == std::optional<std::string>(folder + "\\a.qvr"));
    options.filterIndex = 1;
    CHECK(Answering(L"Save As", pick(L"new closet"), [&] { got = ui.SaveFile(options); }) ==
          L"1|Key files (*.qvr)|All files (*.*)");
    CHECK(got == std::optional<std::string>(folder + "\\new closet.qvr"));
    CHECK(Answering(L"Open", Cancel, [&] { got = ui.OpenFile(options); }) == L"cancelled");
    CHECK_FALSE(got.has_value());
}
