#include "app/Console_win.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace stowly {

namespace {

bool Usable(HANDLE h) { return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; }

} // namespace

std::function<void(const std::string&)> ConsoleLineWriter() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    // A windowed program gets no console of its own: the one of the command prompt
    // that started it, if any, is borrowed.
    if (!Usable(out) && AttachConsole(ATTACH_PARENT_PROCESS))
        out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    if (!Usable(out)) return [](const std::string&) {};
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        // A console shows UTF-16 whatever its code page.
        return [out](const std::string& line) {
            const std::wstring text = Widen(line) + L"\r\n";
            DWORD written = 0;
            WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        };
    }
    // A file or a pipe gets UTF-8.
    return [out](const std::string& line) {
        const std::string text = line + "\r\n";
        DWORD written = 0;
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    };
}

} // namespace stowly
