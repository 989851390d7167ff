// The simulated desktop list view: one item per visible entry of the two desktop
// folders, plus the virtual items. Items keep their order and place while they
// stay; new ones are added at the end, at the first free grid slot.
#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "platform/Text.h"
#include "platform/sim/SimPlatform.h"

namespace stowly {

namespace {

constexpr int kGridX = 75, kGridY = 75, kLeft = 10, kTop = 5;
constexpr size_t kMaxNameBytes = 79; // the list view's text buffer holds 80 with the NUL

// The name the list view shows: at most 79 bytes in the code page (in UTF-8 for a
// name the code page cannot hold).
std::string ListViewName(SimPlatform& os, const std::string& name) {
    std::string shown = name;
    while (!shown.empty()) {
        auto ansi = os.Utf8ToAnsi(shown);
        if ((ansi ? ansi->size() : shown.size()) <= kMaxNameBytes) break;
        shown = Utf8Left(shown, Utf8Length(shown) - 1);
    }
    return shown;
}

// Identity of an item across syncs: its file, or for a virtual item its name and
// which of the same-named virtual items it is.
std::string ItemKey(const std::string& source, const std::string& virtualName, int occurrence) {
    if (!source.empty()) return UpperCase(source);
    return '\x01' + virtualName + '\x01' + std::to_string(occurrence);
}

// The grid slot an item sits in: the slot whose point is less than half a cell
// away on both axes; -1 when it sits between slots or off the grid.
long long SlotOf(int32_t x, int32_t y, int rows) {
    long long dx = static_cast<long long>(x) - kLeft + kGridX / 2, dy = static_cast<long long>(y) - kTop + kGridY / 2;
    if (dx < 0 || dy < 0) return -1;
    long long col = dx / kGridX, row = dy / kGridY;
    long long offX = dx % kGridX - kGridX / 2, offY = dy % kGridY - kGridY / 2;
    if (std::abs(offX) >= kGridX / 2 || std::abs(offY) >= kGridY / 2 || row >= rows) return -1;
    return col * rows + row;
}

} // namespace

void SimPlatform::SyncIcons(bool countingPoll) {
    struct Present {
        std::string key, name, source;
    };
    std::vector<Present> present;
    std::unordered_map<std::string, int> virtualSeen;
    for (const auto& v : virtualItems) {
        std::string name = ListViewName(*this, v);
        present.push_back({ItemKey("", name, virtualSeen[name]++), name, ""});
    }
    for (const std::string& folder : {userDesktop, commonDesktop})
        for (const auto& e : List(folder + "\\", true)) {
            std::string source = folder + "\\" + e.name;
            const size_t dot = e.name.rfind('.');
            const bool cut = hideExtensions && !e.isFolder && dot != std::string::npos && dot > 0;
            present.push_back({ItemKey(source, "", 0), cut ? e.name.substr(0, dot) : e.name, source});
        }

    // Items whose file left disappear; the rest keep their order and place.
    std::unordered_set<std::string> presentKeys;
    for (const auto& p : present) presentKeys.insert(p.key);
    std::unordered_set<std::string> known;
    std::unordered_map<std::string, int> virtualKept; // virtual items keep their relative order
    std::erase_if(icons_, [&](const Icon& icon) {
        std::string key = ItemKey(icon.source, icon.name, icon.source.empty() ? virtualKept[icon.name]++ : 0);
        if (!presentKeys.count(key)) return true;
        known.insert(std::move(key));
        return false;
    });

    // New items take the first free grid slots, column by column.
    int rows = std::max(1, (screen.height - kTop) / kGridY);
    std::unordered_set<long long> taken;
    for (const auto& icon : icons_) taken.insert(SlotOf(icon.x, icon.y, rows));
    long long slot = 0;
    int fresh = 0; // new items of this look, shown a few polls apart when asked for
    for (const auto& p : present) {
        if (known.count(p.key)) continue;
        while (taken.count(slot)) ++slot;
        taken.insert(slot);
        const int delay = p.source.empty() ? 0 : itemShowDelay + pollsBetweenItems * fresh++;
        icons_.push_back({ListViewName(*this, p.name), p.source, static_cast<int32_t>(kLeft + (slot / rows) * kGridX),
                          static_cast<int32_t>(kTop + (slot % rows) * kGridY), delay});
    }
    if (countingPoll)
        for (auto& icon : icons_)
            if (icon.pollsUntilShown > 0) --icon.pollsUntilShown;

    shown_.clear();
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].pollsUntilShown == 0) shown_.push_back(i);
}

const std::vector<SimPlatform::Icon>& SimPlatform::Icons() {
    SyncIcons(false);
    return icons_;
}

bool SimPlatform::DesktopViewFound() { return desktopRunning; }

std::optional<long> SimPlatform::DesktopItemCount() {
    if (!desktopRunning) return std::nullopt;
    SyncIcons(true);
    return static_cast<long>(shown_.size());
}

// The shown items as a read gives them; parsing names only on the shell's road.
std::vector<DesktopItem> SimPlatform::ShownItems(bool places) {
    std::vector<DesktopItem> items;
    items.reserve(shown_.size());
    for (size_t i : shown_) {
        const Icon& icon = icons_[i];
        DesktopItem item{icon.name};
        if (places) item = {icon.name, icon.x, icon.y, !placeUnreadable.count(icon.name)};
        if (placingRoad == PlacingResult::Road::ShellView)
            item.parsingName = icon.source.empty() ? "::" + icon.name : icon.source.substr(icon.source.rfind('\\') + 1);
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<std::vector<DesktopItem>> SimPlatform::ReadDesktopItems() {
    if (!desktopRunning) return std::nullopt;
    SyncIcons(false);
    return ShownItems(true);
}

std::optional<std::vector<DesktopItem>> SimPlatform::ReadDesktopItemPlaces() {
    auto items = ReadDesktopItems();
    if (items)
        for (auto& item : *items) item.name.clear(), item.parsingName.clear();
    return items;
}

bool SimPlatform::DesktopArranges() { return desktopRunning && arranging; }

bool SimPlatform::StopDesktopArranging() {
    arranging = false;
    return desktopRunning;
}

PlacingResult SimPlatform::PlaceDesktopItems(const PlacingPlan& plan) {
    if (!desktopRunning) return {};
    SyncIcons(false);
    PlacingResult result{placingRoad, 0};
    result.asked = plan(ShownItems(false));
    // The items read, by identity, so that a change meanwhile moves no other item.
    std::vector<std::pair<std::string, std::string>> read; // source, name
    for (size_t i : shown_) read.emplace_back(icons_[i].source, icons_[i].name);
    if (betweenReadAndPlace) betweenReadAndPlace();
    SyncIcons(false);
    auto find = [&](int index) -> Icon* {
        if (index < 0 || static_cast<size_t>(index) >= read.size()) return nullptr;
        for (size_t i : shown_)
            if (std::pair(icons_[i].source, icons_[i].name) == read[index]) return &icons_[i];
        return nullptr;
    };
    ++positionBatches;
    for (const auto& [index, x, y] : result.asked) {
        positionCalls.push_back({index, x, y});
        Icon* icon = find(index);
        if (arranging || !icon) continue;
        icon->x = x;
        icon->y = y;
        ++result.placed;
    }
    for (const auto& asked : result.asked) {
        const Icon* icon = find(asked.index);
        result.after.push_back(icon ? DesktopItem{icon->name, icon->x, icon->y, !placeUnreadable.count(icon->name)}
                                    : DesktopItem{"", 0, 0, false});
    }
    return result;
}

} // namespace stowly
