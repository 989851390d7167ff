#include "icons/DesktopIcons.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "core/Error.h"
#include "core/ReportError.h"
#include "icons/Layouts.h"
#include "platform/Text.h"

namespace stowly {

namespace {


// Half the desktop's default grid cell (75 pixels at 96 DPI): an icon that far
// from where it was put was snapped or pushed elsewhere.
constexpr int kHalfCell = 37;

} // namespace

std::string LabelKey(const std::string& name) { return UpperCase(Trim(Utf8Left(name, kIconNameLength))); }

bool GetDesktopHwnd(Platform& os) { return os.DesktopViewFound(); }

long CountDesktopIcons(Platform& os, Ui& ui) {
    try {
        if (!GetDesktopHwnd(os)) return 0;
        auto count = os.DesktopItemCount();
        if (!count) return 0;
        if (*count > static_cast<long>(kMaxIcons)) throw RuntimeError(err::Overflow);
        return *count;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "CountDesktopIcons");
        return 0;
    }
}

std::string IconListingText(const std::vector<IconRecord>& icons) {
    std::string text;
    for (size_t i = 0; i < icons.size(); ++i)
        text += " " + std::to_string(i) + "\t" + icons[i].Name + "\r\n\tXPos: " + std::to_string(icons[i].X) +
                ";    YPos: " + std::to_string(icons[i].Y) + "\r\n\r\n";
    return text;
}

namespace {

// Every item of the view; nullopt, and an error reported, when the view cannot be
// reached or holds more than a list can.
std::optional<std::vector<DesktopItem>> ReadView(Platform& os, Ui& ui) {
    if (!GetDesktopHwnd(os)) return std::nullopt;
    auto items = os.ReadDesktopItems();
    if (items && items->size() > kMaxIcons) {
        ReportError(ui, err::Overflow, "EnumDesktopIcons");
        return std::nullopt;
    }
    return items;
}

// The items of each label in rank order: by the shell's parsing name (ordinal, in
// any case) where the view gives one, else in the view's order. Saving writes a
// label's records in this order and applying gives its n-th record to its n-th
// item, so that items sharing a label (a hidden extension, a shortcut on both
// desktops) each go back to their own place rather than onto one spot.
std::unordered_map<std::string, std::vector<size_t>> ItemsByLabel(const std::vector<DesktopItem>& items) {
    std::unordered_map<std::string, std::vector<size_t>> byLabel;
    std::vector<std::string> rank(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        byLabel[LabelKey(items[i].name)].push_back(i);
        rank[i] = UpperCase(items[i].parsingName);
    }
    for (auto& entry : byLabel)
        std::stable_sort(entry.second.begin(), entry.second.end(), [&](size_t a, size_t b) { return rank[a] < rank[b]; });
    return byLabel;
}

// Where the records send the items: each label's n-th item, in rank order, to the
// label's n-th record in file order (a label with fewer records leaves its later
// items be). In the items' order.
std::vector<ItemPosition> PlanPositions(const std::vector<DesktopItem>& items, const std::vector<IconRecord>& records) {
    std::unordered_map<std::string, std::vector<const IconRecord*>> recordsByLabel;
    recordsByLabel.reserve(records.size());
    for (const auto& record : records) recordsByLabel[LabelKey(record.Name)].push_back(&record);
    std::vector<ItemPosition> positions;
    for (const auto& [label, group] : ItemsByLabel(items)) {
        auto found = recordsByLabel.find(label);
        if (found == recordsByLabel.end()) continue;
        for (size_t k = 0; k < group.size() && k < found->second.size(); ++k)
            positions.push_back({static_cast<int>(group[k]), static_cast<int16_t>(found->second[k]->X),
                                 static_cast<int16_t>(found->second[k]->Y)});
    }
    std::sort(positions.begin(), positions.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
    return positions;
}

// How many of the items are elsewhere than asked: by more than half a grid cell
// (the desktop arranges its icons itself, or pushed an item off a cell another one
// holds), or with a place that cannot be read (an item that left). `now` holds one
// item per position.
int CountElsewhere(const std::vector<ItemPosition>& asked, const std::vector<DesktopItem>& now) {
    int elsewhere = 0;
    for (size_t k = 0; k < asked.size(); ++k)
        elsewhere += k >= now.size() || !now[k].placeKnown || std::abs(now[k].x - asked[k].x) > kHalfCell ||
                     std::abs(now[k].y - asked[k].y) > kHalfCell;
    return elsewhere;
}

} // namespace

std::optional<std::vector<IconRecord>> EnumDesktopIcons(Platform& os, Ui& ui) {
    auto items = ReadView(os, ui);
    if (!items) return std::nullopt;
    // In the view's order, but each label's items in rank order.
    auto byLabel = ItemsByLabel(*items);
    std::unordered_map<std::string, size_t> seen;
    std::vector<IconRecord> icons;
    icons.reserve(items->size());
    for (const auto& shown : *items) {
        const std::string label = LabelKey(shown.name);
        const DesktopItem& item = (*items)[byLabel[label][seen[label]++]];
        // An icon whose place could not be read is left out rather than recorded at 0,0.
        if (item.placeKnown) icons.push_back({Utf8Left(item.name, kIconNameLength), item.x, item.y});
    }
    return icons;
}

std::optional<int> ApplyIconPositions(Platform& os, Ui& ui, const std::vector<IconRecord>& records, bool mayAsk) {
    bool overflow = false;
    auto plan = [&](const std::vector<DesktopItem>& items) {
        overflow = items.size() > kMaxIcons;
        return overflow ? std::vector<ItemPosition>{} : PlanPositions(items, records);
    };

    // A desktop that arranges its icons itself ignores positions: the user chooses,
    // when there are icons to place and a window to ask from. Left arranging, the
    // icons that are not where their record says stay so.
    if (!GetDesktopHwnd(os)) return std::nullopt;
    if (os.DesktopArranges()) {
        const auto items = ReadView(os, ui);
        if (!items) return std::nullopt;
        const auto positions = PlanPositions(*items, records);
        std::vector<DesktopItem> now;
        for (const auto& p : positions) now.push_back((*items)[static_cast<size_t>(p.index)]);
        const int elsewhere = CountElsewhere(positions, now);
        if (elsewhere == 0) return 0;
        if (!mayAsk ||
            ui.Message("The desktop arranges its icons by itself, so they cannot go back to their places.  Turn off "
                       "\"Auto arrange icons\" and place them?",
                       "", MsgButtons::YesNo, MsgIcon::Question) != Answer::Yes)
            return elsewhere;
        os.StopDesktopArranging();
    }

    const PlacingResult placing = os.PlaceDesktopItems(plan);
    if (overflow) ReportError(ui, err::Overflow, "EnumDesktopIcons");
    if (overflow || placing.road == PlacingResult::Road::NotReached) return std::nullopt;
    // Positions the shell will forget at its next refresh are not placed, whatever
    // the view shows now.
    if (placing.road == PlacingResult::Road::ListViewNotKept) return static_cast<int>(placing.asked.size());
    return CountElsewhere(placing.asked, placing.after);
}

std::optional<int> RestoreLocations(Platform& os, Ui& ui, const std::string& path, bool mayAsk) {
    try {
        std::string screen;
        const std::vector<IconRecord> records = ReadPositionFile(os, path, &screen);
        return ApplyIconPositions(os, ui, FitToScreen(os, records, screen), mayAsk);
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "RestoreLocations");
        return std::nullopt;
    }
}

std::string NotPlacedSentence(int notPlaced) {
    return CountSentence(notPlaced, "icon is not where it was.", "icons are not where they were.");
}

} // namespace stowly
