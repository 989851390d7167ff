#include "about/About.h"

#include "core/Version.h"
#include "platform/Text.h"

namespace stowly {

namespace {

// A registry read fills at most this many bytes.
constexpr size_t kValueBuffer = 1024;

std::string Quoted(const std::string& path) {
    return !path.empty() && path.front() == '"' ? path : "\"" + path + "\"";
}

} // namespace

std::string AboutVersionLabel() { return "Version " + VersionText(); }

std::string AboutOsName(const std::string& startupName, const OsVersionInfo& v) {
    if (!startupName.empty()) return startupName;
    if (v.platformId == 2 && v.major == 6) {
        switch (v.minor) {
        case 0: return "Windows Vista";
        case 1: return "Windows 7";
        case 2: return "Windows 8";
        case 3: return "Windows 8.1";
        }
    }
    if (v.platformId == 2 && v.major == 10 && v.minor == 0) return v.build >= 22000 ? "Windows 11" : "Windows 10";
    return "Windows " + std::to_string(v.major) + "." + std::to_string(v.minor) + " (build " +
           std::to_string(v.build) + ")";
}

void HiddenPictures::KeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (!shift || ctrl || alt) return;
    firstArmed_ = keyCode == kKeyB;
    secondArmed_ = !firstArmed_;
}

void HiddenPictures::KeyUp() { firstArmed_ = false; }

void HiddenPictures::LogoDoubleClicked() {
    if (firstArmed_) {
        shown_[0] = true;
        firstArmed_ = false;
        return;
    }
    shown_[0] = false;
    if (secondArmed_) {
        shown_[1] = true;
        secondArmed_ = false;
        return;
    }
    shown_[1] = false;
    shown_[2] = !shown_[2];
}

bool GetKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                 std::string& value) {
    RegData read;
    const int r = os.RegRead(root, keyPath, name, read);
    if (r == -1) return true; // a type read as neither text nor number
    const auto* text = std::get_if<std::string>(&read);
    if (r != 0 || (text && text->size() + 1 > kValueBuffer)) {
        value.clear();
        return false;
    }
    if (text)
        value = TrimNull(*text);
    else if (const auto* number = std::get_if<int32_t>(&read))
        value = std::to_string(*number);
    return true;
}

void StartSysInfo(Platform& os, Ui& ui) {
    std::string path;
    bool started = false;
    // The paths are quoted: one with blanks would otherwise start whatever
    // program its first word names.
    if (GetKeyValue(os, RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
        started = os.StartProgram(Quoted(path));
    } else if (GetKeyValue(os, RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                           path)) {
        const std::string exe = path + "\\MSINFO32.EXE";
        const FileAttributes found = os.Attributes(exe);
        started = found.exists && !found.isFolder && os.StartProgram(Quoted(exe));
    }
    if (!started) ui.Message("System Information Is Unavailable At This Time", kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

std::string HelpCommandLine(const std::string& windowsFolder, const std::string& programFolder) {
    return Quoted(windowsFolder + "\\hh.exe") + " " + Quoted(programFolder + "stowly.chm");
}

void RunHelp(Platform& os, Ui& ui, const std::string& programFolder) {
    if (!os.StartProgram(HelpCommandLine(os.WindowsFolder(), programFolder)))
        ui.Message("The help viewer could not be started.", kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace stowly
