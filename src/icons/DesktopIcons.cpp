#include "icons/DesktopIcons.h"

#include <cstdlib>
#include <unordered_map>

#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/Text.h"

namespace stowly {

namespace {

std::string MatchKey(const std::string& name) { return UpperCase(Trim(name)); }

// Half the desktop's default grid cell (75 pixels at 96 DPI): an icon that far
// from where it was put was snapped or pushed elsewhere.
constexpr int kHalfCell = 37;

} // namespace

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

// A read of the view (`read` gives every item, or names alone); nullopt, and an
// error reported, when the view cannot be reached or holds more than a list can.
template <typename Read>
auto ReadView(Platform& os, Ui& ui, Read read) -> decltype(read()) {
    try {
        if (!GetDesktopHwnd(os)) return std::nullopt;
        auto items = read();
        if (items && items->size() > kMaxIcons) throw RuntimeError(err::Overflow);
        return items;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "EnumDesktopIcons");
        return std::nullopt;
    }
}

} // namespace

std::optional<std::vector<IconRecord>> EnumDesktopIcons(Platform& os, Ui& ui) {
    auto items = ReadView(os, ui, [&] { return os.ReadDesktopItems(); });
    if (!items) return std::nullopt;
    std::vector<IconRecord> icons;
    icons.reserve(items->size());
    // An icon whose place could not be read is left out rather than recorded at 0,0.
    for (const auto& item : *items)
        if (item.placeKnown) icons.push_back({Utf8Left(item.name, kIconNameLength), item.x, item.y});
    return icons;
}

std::optional<int> ApplyIconPositions(Platform& os, Ui& ui, const std::vector<IconRecord>& records) {
    // Only the names are needed to match, and reading places too would double the
    // messages to the view.
    const auto names = ReadView(os, ui, [&] { return os.ReadDesktopItemNames(); });
    if (!names) return std::nullopt;

    // The records of each label in file order, so that matching costs one look-up
    // per item: the n-th item showing a label, in the view's order, takes the n-th
    // record of it. Items that share a label (a hidden extension, a shortcut on both
    // desktops) so each go back to their own place rather than onto one spot.
    struct Records {
        std::vector<const IconRecord*> inOrder;
        size_t taken = 0;
    };
    std::unordered_map<std::string, Records> byLabel;
    byLabel.reserve(records.size());
    for (const auto& record : records) byLabel[MatchKey(record.Name)].inOrder.push_back(&record);

    std::vector<ItemPosition> positions;
    for (size_t i = 0; i < names->size(); ++i) {
        auto found = byLabel.find(MatchKey(Utf8Left((*names)[i], kIconNameLength)));
        if (found == byLabel.end() || found->second.taken == found->second.inOrder.size()) continue;
        const IconRecord& record = *found->second.inOrder[found->second.taken++];
        positions.push_back({static_cast<int>(i), static_cast<int16_t>(record.X), static_cast<int16_t>(record.Y)});
    }
    if (positions.empty()) return 0;
    // A desktop that arranges its icons itself ignores positions: the user chooses.
    if (os.DesktopArranges() &&
        ui.Message("The desktop arranges its icons by itself, so they cannot go back to their places.  Turn off "
                   "\"Auto arrange icons\" and place them?",
                   "", MsgButtons::YesNo, MsgIcon::Question) == Answer::Yes)
        os.StopDesktopArranging();
    // Positions the shell will forget at its next refresh are not placed, whatever
    // the view shows now.
    if (os.SetDesktopItemPositions(positions).road == PlacingResult::Road::ListViewNotKept)
        return static_cast<int>(positions.size());
    // What the view shows now. An item elsewhere than asked by more than half a grid
    // cell was not placed: the desktop arranges its icons itself, or pushed the item
    // off a cell another one holds. An item that is gone, or another under its
    // index, counts too.
    const auto after = os.ReadDesktopItems();
    int notPlaced = 0;
    for (const ItemPosition& placed : positions) {
        const auto index = static_cast<size_t>(placed.index);
        notPlaced += !after || index >= after->size() || (*after)[index].name != (*names)[index] || !(*after)[index].placeKnown ||
                     std::abs((*after)[index].x - placed.x) > kHalfCell || std::abs((*after)[index].y - placed.y) > kHalfCell;
    }
    return notPlaced;
}

std::optional<int> RestoreLocations(Platform& os, Ui& ui, const std::string& path) {
    try {
        return ApplyIconPositions(os, ui, ReadPositionFile(os, path));
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "RestoreLocations");
        return std::nullopt;
    }
}

std::string NotPlacedSentence(int notPlaced) {
    if (notPlaced == 0) return {};
    return notPlaced == 1 ? " 1 icon is not where it was."
                          : " " + std::to_string(notPlaced) + " icons are not where they were.";
}

} // namespace stowly
