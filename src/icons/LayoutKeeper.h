#pragma once
// A layout kept for every display configuration ("Keep Icon Layout for Each
// Display"): docking a laptop, a projector or a game that changes the resolution
// makes the shell push icons into free cells, and nothing moves back when the
// display returns. The keeper saves the layout of the display in use whenever the
// user's icons have been still for a moment, and after a display change puts the
// kept layout of the new display back, or, for a display it has not seen, the
// last one's fitted onto it.
//
// Each layout is a position file named after its configuration in "Layouts\" of
// the program folder ("1920x1080@96_0_0.dpf"), so it can be opened from Icon
// Positions too. The keeper shows nothing and asks nothing.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "icons/PositionList.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

class LayoutKeeper {
public:
    // How often the window lets the keeper look, and how long the icons must keep
    // their places before it acts: a save comes within 10 s of the last move.
    static constexpr unsigned kLookMs = 2000;
    static constexpr uint64_t kStillMs = 4000;
    // While the icons are settled, one look in this many reads them (places only):
    // a move is still found within 6 s and saved within 10 s, for a third of the cost.
    static constexpr int kSettledLookEvery = 3;

    LayoutKeeper(Platform& os, const std::string& programFolder);

    // One look at the icons. While `busy` (a clean, restore or apply runs) nothing
    // is read or saved.
    void Look(bool busy);
    // The display changed (size, DPI, monitors, a remote session) or the shell
    // restarted: once the icons are still, the new display's layout is put back.
    // Until then, and until the user moves an icon where no layout could be put
    // back, nothing is saved over a kept layout.
    void DisplayChanged();

    std::string LayoutPath(const std::string& configuration) const;

private:
    void WhenStill(const std::vector<IconRecord>& icons);
    void BringBack(const std::vector<MonitorInfo>& monitors, const std::string& configuration);
    void Save(const std::string& configuration, const std::vector<IconRecord>& icons);
    std::vector<IconRecord> Kept(const std::string& configuration, bool* readable = nullptr);

    Platform& os_;
    SilentUi silent_;
    std::string folder_; // the program folder's "Layouts\"
    std::vector<std::pair<int32_t, int32_t>> seen_; // the icons' places as the last look found them
    int settledLooks_ = 0;
    uint64_t seenSince_ = 0;            // since when they look so
    bool stillDealtWith_ = false;       // the still state was acted on
    std::vector<IconRecord> baseline_;  // the icons when last still: a change from it is the user's
    bool guarded_ = false;              // no save until the user moves an icon
    bool afterChange_ = false;          // a display change waits for the icons to settle
    std::vector<MonitorInfo> monitors_; // the display of `configuration_`
    std::string configuration_;
};

} // namespace stowly
