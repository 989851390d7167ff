#include "icons/LayoutKeeper.h"

#include <climits>
#include <set>

#include "core/Error.h"
#include "core/Files.h"
#include "icons/DesktopIcons.h"
#include "icons/Layouts.h"
#include "platform/Text.h"

namespace stowly {


LayoutKeeper::LayoutKeeper(Platform& os, const std::string& programFolder)
    : os_(os), folder_(programFolder + "Layouts\\"),
      monitors_(os.Monitors()), configuration_(DisplayConfigurationName(monitors_)) {
    // A kept layout is not saved over at start: the shell may have moved the icons
    // while the program was not running. It goes once the user moves an icon.
    guarded_ = os_.Attributes(LayoutPath(configuration_)).exists;
}

std::string LayoutKeeper::LayoutPath(const std::string& configuration) const {
    return folder_ + configuration + ".dpf";
}

void LayoutKeeper::Look(bool busy) {
    const uint64_t now = os_.TickCountMs();
    if (busy) {
        seen_.clear();
        seenSince_ = now;
        stillDealtWith_ = false;
        return;
    }
    if (stillDealtWith_ && ++settledLooks_ % kSettledLookEvery != 0) return;
    // The places alone tell whether anything moved; names are read once it is still.
    const auto items = os_.ReadDesktopItemPlaces();
    if (!items) return;
    std::vector<std::pair<int32_t, int32_t>> places;
    places.reserve(items->size());
    for (const auto& item : *items) places.emplace_back(item.placeKnown ? item.x : INT32_MIN, item.y);
    if (places != seen_) {
        seen_ = std::move(places);
        seenSince_ = now;
        stillDealtWith_ = false;
        settledLooks_ = 0;
        return;
    }
    if (stillDealtWith_ || now - seenSince_ < kStillMs) return;
    const auto icons = EnumDesktopIcons(os_, silent_);
    if (!icons) return;
    stillDealtWith_ = true;
    WhenStill(*icons);
}

void LayoutKeeper::DisplayChanged() {
    afterChange_ = true;
    stillDealtWith_ = false;
    seenSince_ = os_.TickCountMs();
}

void LayoutKeeper::WhenStill(const std::vector<IconRecord>& icons) {
    const std::vector<MonitorInfo> monitors = os_.Monitors();
    const std::string configuration = DisplayConfigurationName(monitors);
    // A display that changed without a word is a change all the same.
    if (afterChange_ || configuration != configuration_) {
        afterChange_ = false;
        BringBack(monitors, configuration);
        return;
    }
    const bool moved = !baseline_.empty() && icons != baseline_;
    baseline_ = icons;
    if (moved) guarded_ = false;
    // A desktop that arranges its icons itself has no layout of the user's.
    if (guarded_ || os_.DesktopArranges()) return;
    Save(configuration, icons);
}

void LayoutKeeper::BringBack(const std::vector<MonitorInfo>& monitors, const std::string& configuration) {
    const std::string before = configuration_;
    const std::vector<MonitorInfo> beforeMonitors = monitors_;
    monitors_ = monitors;
    configuration_ = configuration;
    baseline_.clear();
    guarded_ = true; // what the shell made of the icons is never saved over a layout
    if (os_.DesktopArranges()) return;
    bool readable = false;
    std::vector<IconRecord> layout = Kept(configuration, &readable);
    const bool seenBefore = !layout.empty();
    if (!seenBefore && readable) layout = MapLayout(Kept(before), beforeMonitors, monitors);
    if (layout.empty()) {
        guarded_ = !readable; // nothing to bring back: the layout as it is now may be kept
        return;
    }
    if (!ApplyIconPositions(os_, silent_, layout, false)) return;
    guarded_ = false;
    if (!seenBefore) Save(configuration, layout);
}

std::vector<IconRecord> LayoutKeeper::Kept(const std::string& configuration, bool* readable) {
    if (readable) *readable = true;
    const std::string path = LayoutPath(configuration);
    if (!os_.Attributes(path).exists) return {};
    try {
        return ReadPositionFile(os_, path);
    } catch (const RuntimeError&) {
        if (readable) *readable = false; // a damaged layout is left as it is, never saved over
        return {};
    }
}

void LayoutKeeper::Save(const std::string& configuration, const std::vector<IconRecord>& icons) {
    bool readable = false;
    std::vector<IconRecord> layout = icons;
    // Icons that are not on the desktop now (a cleaned desktop, a file away for a
    // while) keep their records.
    std::set<std::string> shown;
    for (const auto& icon : icons) shown.insert(LabelKey(icon.Name));
    const std::vector<IconRecord> kept = Kept(configuration, &readable);
    if (!readable) return;
    for (const auto& icon : kept)
        if (!shown.count(LabelKey(icon.Name))) layout.push_back(icon);
    if (layout == kept || layout.empty()) return; // nothing to write
    try {
        if (!HaveFolder(os_, folder_)) return;
        WritePositionFile(os_, LayoutPath(configuration), ScreenSizeText(os_.Screen()), layout);
    } catch (const RuntimeError&) {
        // The next still moment tries again.
    }
}

} // namespace stowly
