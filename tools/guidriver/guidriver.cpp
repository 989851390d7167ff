// guidriver.exe: drives a program's windows from a script.
//   guidriver windows                      visible top-level windows: class and title
//   guidriver controls TITLE               the controls of the window TITLE: class, text, state
//   guidriver click TITLE TEXT             clicks the control TEXT of the window TITLE (posted)
//   guidriver hover TITLE TEXT             moves the mouse pointer over that control
//   guidriver wait TITLE [MS]              waits until a window TITLE is visible
//   guidriver messages                     visible message boxes: title and text
//   guidriver shot PNG                     screenshot of the X screen into the Unix path PNG
// Exit code 0 on success, 1 when a window or control was not found, 2 on bad use.
#include <windows.h>

#include <string>

#include "GuiDriver.h"

namespace {

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::string Narrow(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

HWND Window(const wchar_t* title) { return guidriver::FindWindowByTitle(0, title, true); }

HWND Control(const wchar_t* title, const wchar_t* text) {
    HWND w = Window(title);
    return w ? guidriver::FindChild(w, text) : nullptr;
}

int Run(int argc, wchar_t** argv) {
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"windows") {
        for (HWND h : guidriver::TopWindows(0, [](HWND h) { return IsWindowVisible(h) != FALSE; }))
            Print(guidriver::ClassName(h) + L"\t" + guidriver::Text(h));
        return 0;
    }
    if (verb == L"messages") {
        for (const auto& box : guidriver::MessageBoxes(0)) Print(box.title + L"\t" + box.text);
        return 0;
    }
    if (verb == L"controls" && argc == 3) {
        HWND w = Window(argv[2]);
        if (!w) return 1;
        EnumChildWindows(
            w,
            [](HWND h, LPARAM) -> BOOL {
                Print(guidriver::ClassName(h) + L"\t" + guidriver::Text(h) +
                      (IsWindowVisible(h) ? L"\tvisible" : L"\thidden") +
                      (IsWindowEnabled(h) ? L"\tenabled" : L"\tdisabled"));
                return TRUE;
            },
            0);
        return 0;
    }
    if (verb == L"click" && argc == 4) return guidriver::Click(Control(argv[2], argv[3])) ? 0 : 1;
    if (verb == L"hover" && argc == 4) {
        HWND c = Control(argv[2], argv[3]);
        return c && guidriver::MoveMouseOver(c) ? 0 : 1;
    }
    if (verb == L"wait" && (argc == 3 || argc == 4)) {
        const unsigned ms = argc == 4 ? static_cast<unsigned>(_wtoi(argv[3])) : 10000;
        return guidriver::WaitFor([&] { return Window(argv[2]) != nullptr; }, ms) ? 0 : 1;
    }
    if (verb == L"shot" && argc == 3) return guidriver::Screenshot(Narrow(argv[2])) ? 0 : 1;
    Print(L"usage: guidriver windows | controls TITLE | click TITLE TEXT | hover TITLE TEXT | wait TITLE [MS] | "
          L"messages | shot PNG");
    return 2;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Run(__argc, __wargv); }
