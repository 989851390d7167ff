// The program's entry: start-up checks, the splash, then the main window.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/MainWindow.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Ui.h"

using namespace stowly;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        // The file dialogs and the shell need a single-threaded apartment.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);

        int exitCode = 0;
        {
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
