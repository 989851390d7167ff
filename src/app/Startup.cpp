#include "app/Startup.h"

#include "about/UpdateCheck.h"
#include "closet/CleanRestore.h"
#include "core/Error.h"
#include "platform/Paths.h"
#include "core/ReportError.h"
#include "platform/Text.h"
#include "settings/Settings.h"

namespace stowly {

std::string OSNameFor(const OsVersionInfo& version, const std::string& previous) {
    // A record that could not be filled reads as zeros: platform 0, "Failed".
    const uint32_t platform = version.ok ? version.platformId : 0;
    if (platform == 1) {
        switch (version.minor) {
        case 0: return "Windows 95";
        case 10: return "Windows 98";
        case 90: return "Windows ME";
        default: return previous;
        }
    }
    if (platform == 2) {
        switch (version.major) {
        case 3: return "Windows NT 3.51";
        case 4: return "Windows NT 4.0";
        case 5: return "Windows 2000"; // XP and Server 2003 too
        default: return previous;
        }
    }
    return "Failed";
}

std::string GetAppPath(Platform& os) { return UpperCase(os.ExecutablePath()); }

std::string ProgramFolderOf(const std::string& appPath) {
    const std::string upper = UpperCase(appPath);
    const size_t slash = upper.rfind('\\');
    return slash == std::string::npos ? std::string() : upper.substr(0, slash + 1);
}

bool IsInDesktopFolder(const std::string& programFolder, const std::string& userDesktop,
                       const std::string& commonDesktop) {
    return IsSameOrInside(programFolder, userDesktop) || IsSameOrInside(programFolder, commonDesktop);
}

bool StartUp(Context& ctx) {
    if (!ctx.os.ClaimSingleInstance()) return false;
    if (!StartUpChecks(ctx)) return false;
    try {
        OfferToFinishInterrupted(ctx);
        CheckForUpdates(ctx.os, ctx.ui);
        return true;
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "Main");
        return false;
    }
}

bool StartUpChecks(Context& ctx) {
    AppState& st = ctx.st;
    try {
        st.OSName = OSNameFor(ctx.os.OsVersion(), st.OSName);
        if (st.OSName == "Windows 95" || st.OSName == "Windows 98" || st.OSName == "Windows ME") {
            ctx.ui.Message("Sorry, but " + st.OSName + " is not supported.", kAppTitle, MsgButtons::Ok,
                           MsgIcon::Exclamation);
            return false;
        }

        st.UserDesktopFolder = ctx.os.SpecialFolder(kUserDesktopCsidl);
        st.CommonDesktopFolder = ctx.os.SpecialFolder(kCommonDesktopCsidl);

        st.ProgramFolder = ProgramFolderOf(GetAppPath(ctx.os));
        if (IsInDesktopFolder(st.ProgramFolder, st.UserDesktopFolder, st.CommonDesktopFolder)) {
            ctx.ui.Message("Sorry, but you cannot run this program from the desktop.  Please reinstall.",
                           kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
            return false;
        }

        st.settings = ReadINI(ctx.os, ctx.ui, st.ProgramFolder);
        return true;
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "Main");
        return false;
    }
}

} // namespace stowly
