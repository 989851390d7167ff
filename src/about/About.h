#pragma once
// frmAbout apart from its window (its texts, the hidden pictures, System Info)
// and the Help command.
#include <array>
#include <string>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

// "Version 4.0.0"
std::string AboutVersionLabel();
// The running Windows' name: start-up's where its table has one, otherwise the
// name the version numbers give ("Windows 11"), never empty.
std::string AboutOsName(const std::string& startupName, const OsVersionInfo& version);

// The three pictures that a double-click on the logo reveals, by the keys held
// or pressed before it.
class HiddenPictures {
public:
    static constexpr int kKeyB = 0x42;
    static constexpr int kKeyShift = 0x10;

    // A key went down; shift, ctrl and alt say which shift keys are down now.
    void KeyDown(int keyCode, bool shift, bool ctrl, bool alt);
    void KeyUp();
    void LogoDoubleClicked();
    // Picture 0, 1 or 2.
    bool Shown(int picture) const { return shown_[static_cast<size_t>(picture)]; }

private:
    bool firstArmed_ = false;  // only while Shift+B is down
    bool secondArmed_ = false; // from a Shift key-down until it is used
    std::array<bool, 3> shown_{};
};

// One registry value as text (a number in decimal digits); false, and `value`
// empty, when the key or value cannot be read. A value of a type that is neither
// text nor number counts as found and leaves `value` as it was.
bool GetKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                 std::string& value);
// Starts the System Information program where the registry names it, or says
// that it is unavailable.
void StartSysInfo(Platform& os, Ui& ui);

// The HTML Help viewer of the Windows folder on "stowly.chm" of the program folder,
// both paths in double quotes.
std::string HelpCommandLine(const std::string& windowsFolder, const std::string& programFolder);
// Starts the viewer without waiting for it; a missing help file is the viewer's
// business. Says so when the viewer itself cannot be started.
void RunHelp(Platform& os, Ui& ui, const std::string& programFolder);

} // namespace stowly
