// The program's entry: start-up checks, the splash, then the main window; or, with
// a command on the command line, that command alone, without a window.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/CommandLine.h"
#include "app/Console_win.h"
#include "app/MainWindow.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Ui.h"
#include "platform/win32/WinText.h"

using namespace stowly;

namespace {

// The arguments after the program's name, as Windows splits them.
CommandLine ReadCommandLine() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; argv && i < count; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    CommandLine line = ParseCommandLine(args);
    // A file named from the current folder is looked for there.
    if (!line.file.empty()) {
        std::wstring full(32768, L'\0');
        const DWORD n = GetFullPathNameW(Widen(line.file).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n > 0 && n < full.size()) line.file = Narrow(full.substr(0, n));
    }
    return line;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        // The file dialogs and the shell need a single-threaded apartment.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);

        int exitCode = 0;
        if (const CommandLine line = ReadCommandLine(); line.command != Command::None) {
            Win32Platform os;
            ConsoleUi ui(ConsoleLineWriter());
            AppState st;
            exitCode = RunCommandLine(os, ui, st, line);
        } else {
            Win32Platform os;
            Win32Ui ui;
            AppState st;
            Context ctx{os, ui, st};
            if (StartUp(ctx)) {
                try {
                    ShowSplash(ui);
                    ui.SetBusy(false);
                    exitCode = RunMainWindow(ctx, ui);
                } catch (const RuntimeError& e) {
                    ReportError(ui, e.number(), "Main");
                }
            }
        }
        if (SUCCEEDED(com)) CoUninitialize();
        return exitCode;
    } catch (...) {
        return 1; // nothing may escape to the C runtime
    }
}
