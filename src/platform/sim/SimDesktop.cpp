// The simulated desktop list view: one item per visible entry of the two desktop
// folders, plus the virtual items, in the order they appeared.
#include <algorithm>

#include "platform/Text.h"
#include "platform/sim/SimPlatform.h"

namespace stowly {

namespace {

constexpr int kGridX = 75, kGridY = 75, kLeft = 10, kTop = 5;

// The name the list view shows: at most 79 bytes in the code page.
std::string ListViewName(SimPlatform& os, const std::string& name) {
    std::string shown = name;
    while (!shown.empty()) {
        auto ansi = os.Utf8ToAnsi(shown);
        size_t bytes = ansi ? ansi->size() : shown.size();
        if (bytes <= 79) break;
        shown = Utf8Left(shown, Utf8Length(shown) - 1);
    }
    return shown;
}

} // namespace

void SimPlatform::SyncIcons(bool countingPoll) {
    struct Present {
        std::string name, source;
    };
    std::vector<Present> present;
    for (const auto& v : virtualItems) present.push_back({v, ""});
    for (const std::string& folder : {userDesktop, commonDesktop})
        for (const auto& e : List(folder + "\\", true)) present.push_back({e.name, folder + "\\" + e.name});

    // Items whose file left disappear; the rest keep their order and place.
    std::erase_if(icons_, [&](const Icon& icon) {
        return std::none_of(present.begin(), present.end(), [&](const Present& p) {
            return EqualsNoCase(p.source, icon.source) && (!icon.source.empty() || p.name == icon.name);
        });
    });
    for (const auto& p : present) {
        bool known = std::any_of(icons_.begin(), icons_.end(), [&](const Icon& icon) {
            return EqualsNoCase(p.source, icon.source) && (!p.source.empty() || p.name == icon.name);
        });
        if (known) continue;
        // New items take the first free grid slot, column by column.
        int rows = std::max(1, (screen.height - kTop) / kGridY);
        for (int slot = 0;; ++slot) {
            int32_t x = kLeft + (slot / rows) * kGridX, y = kTop + (slot % rows) * kGridY;
            bool taken = std::any_of(icons_.begin(), icons_.end(), [&](const Icon& i) {
                return i.x > x - kGridX / 2 && i.x < x + kGridX / 2 && i.y > y - kGridY / 2 && i.y < y + kGridY / 2;
            });
            if (!taken) {
                icons_.push_back({ListViewName(*this, p.name), p.source, x, y, p.source.empty() ? 0 : itemShowDelay});
                break;
            }
        }
    }
    if (countingPoll)
        for (auto& icon : icons_)
            if (icon.pollsUntilShown > 0) --icon.pollsUntilShown;
}

const std::vector<SimPlatform::Icon>& SimPlatform::Icons() {
    SyncIcons(false);
    return icons_;
}

bool SimPlatform::DesktopViewFound() { return desktopRunning; }

std::optional<long> SimPlatform::DesktopItemCount() {
    if (!desktopRunning) return std::nullopt;
    SyncIcons(true);
    return static_cast<long>(std::count_if(icons_.begin(), icons_.end(), [](const Icon& i) { return i.pollsUntilShown == 0; }));
}

std::optional<std::vector<DesktopItem>> SimPlatform::ReadDesktopItems() {
    if (!desktopRunning) return std::nullopt;
    SyncIcons(false);
    std::vector<DesktopItem> items;
    for (const auto& icon : icons_)
        if (icon.pollsUntilShown == 0) items.push_back({icon.name, icon.x, icon.y});
    return items;
}

void SimPlatform::SetDesktopItemPosition(int index, int16_t x, int16_t y) {
    positionCalls.push_back({index, x, y});
    int shown = -1;
    for (auto& icon : icons_) {
        if (icon.pollsUntilShown != 0) continue;
        if (++shown == index) {
            icon.x = x;
            icon.y = y;
            return;
        }
    }
}

} // namespace stowly
